// The Windows command-line splitter. Checks: no argument holds a double quote or is empty; an
// argument holds a separator only where quotes grouped it; and, separators and quotes aside,
// the arguments hold the bytes of the command line in order.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/rules.h"

namespace {

bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= ' ' && c != '\0'; }

std::string Bare(const std::string& text) {
  std::string bare;
  for (char c : text) {
    if (c == '\0') break;
    if (c != '"' && !IsSeparator(c)) bare += c;
  }
  return bare;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  const auto arguments = platform::SplitWindowsCommandLine(line);
  std::string joined;
  bool any_quote = line.substr(0, line.find('\0')).find('"') != std::string::npos;
  for (const std::string& argument : arguments) {
    if (argument.empty() || argument.find('"') != std::string::npos) std::abort();
    for (char c : argument) {
      if (IsSeparator(c) && !any_quote) std::abort();
    }
    joined += argument;
  }
  if (Bare(joined) != Bare(line)) std::abort();
  return 0;
}
