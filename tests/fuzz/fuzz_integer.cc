// The integer conversion against a plain reading of its rules, and decimal round trips.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/rules.h"
#include "viewer/record.h"

namespace {

// Blanks, a sign, then decimal digits or $/x/X/0x/0X and hexadecimal digits, nothing after.
bool Reference(std::string_view t, int32_t* value) {
  size_t i = t.find_first_not_of(' ');
  if (i == std::string_view::npos) return false;
  bool negative = false;
  if (t[i] == '+' || t[i] == '-') negative = t[i++] == '-';
  int base = 10;
  if (t.substr(i, 2) == "0x" || t.substr(i, 2) == "0X") {
    base = 16;
    i += 2;
  } else if (i < t.size() && (t[i] == '$' || t[i] == 'x' || t[i] == 'X')) {
    base = 16;
    i += 1;
  }
  const std::string_view digits = t.substr(i);
  if (digits.empty()) return false;
  const std::string_view allowed = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
  if (digits.find_first_not_of(allowed) != std::string_view::npos) return false;
  const std::string_view significant =
      digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
  if (significant.size() > (base == 16 ? 8u : 10u)) return false;
  uint64_t magnitude = 0;
  for (char c : significant) {
    const int d = c <= '9' ? c - '0' : platform::AsciiLower(c) - 'a' + 10;
    magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(d);
  }
  if (base == 16) {
    const int64_t pattern = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
    *value = static_cast<int32_t>(static_cast<uint32_t>(negative ? -pattern : pattern));
    return true;
  }
  const int64_t signed_value =
      negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  if (signed_value < INT32_MIN || signed_value > INT32_MAX) return false;
  *value = static_cast<int32_t>(signed_value);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  int32_t got = 0, want = 0;
  const bool ok = tessal::ParseInteger(text, &got);
  if (ok != Reference(text, &want) || (ok && got != want)) std::abort();
  if (ok) {
    // The canonical decimal form of the value reads back as the same value.
    char buffer[16];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, got);
    int32_t again = 0;
    if (!tessal::ParseInteger(std::string_view(buffer, static_cast<size_t>(end - buffer)),
                              &again) ||
        again != got) {
      std::abort();
    }
  }
  return 0;
}
