// Reads a log as lines, in constant memory whatever its size and with no limit on a line.
// A line ends at LF or CR LF; any other CR is dropped; a Ctrl-Z (byte 26) ends the input.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/os.h"
#include "viewer/failure.h"

namespace tessal {

inline constexpr size_t kReadBlock = 1 << 20;
inline constexpr char kCtrlZ = 26;

namespace detail {

// Hands on a line without its CRs, using scratch only when a CR stands inside it.
template <typename OnLine>
void EmitLine(std::string_view line, std::string& scratch, OnLine& on_line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const void* cr = std::memchr(line.data(), '\r', line.size());
  if (cr == nullptr) {
    on_line(line);
    return;
  }
  scratch.clear();
  for (char c : line) {
    if (c != '\r') scratch.push_back(c);
  }
  on_line(std::string_view(scratch));
}

}  // namespace detail

// Calls on_line(std::string_view) for every line of the file, in order; a read failure raises
// EInOutError. The view is valid only during the call.
template <typename OnLine>
void ReadLines(platform::Os& os, platform::FileHandle file, OnLine&& on_line) {
  std::unique_ptr<char[]> block(new char[kReadBlock]);
  std::string carry;  // the start of a line that runs on past a block
  std::string scratch;
  bool more = true;
  while (more) {
    size_t got = 0;
    const platform::ErrorCode error = os.Read(file, block.get(), kReadBlock, &got);
    if (error != platform::kErrorNone) RaiseInOutError(error);
    if (got == 0) break;
    const char* p = block.get();
    const char* end = p + got;
    if (const void* z = std::memchr(p, kCtrlZ, got)) {
      end = static_cast<const char*>(z);
      more = false;
    }
    while (p < end) {
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
      if (lf == nullptr) {
        carry.append(p, end);
        break;
      }
      if (carry.empty()) {
        detail::EmitLine(std::string_view(p, static_cast<size_t>(lf - p)), scratch, on_line);
      } else {
        carry.append(p, lf);
        detail::EmitLine(carry, scratch, on_line);
        carry.clear();
      }
      p = lf + 1;
    }
  }
  if (!carry.empty()) detail::EmitLine(carry, scratch, on_line);
}

}  // namespace tessal
