// What the block says about a record: the event texts by ID and the quarantine texts by QR
// Result, stored with room behind them so that the block writer copies them in whole chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessal {

// A constant piece of the block: its bytes, then zeros up to 64.
struct tPadded {
  char text[64];
  size_t size;

  std::string_view View() const { return {text, size}; }
};

constexpr tPadded Pad(std::string_view a, std::string_view b = {}) {
  tPadded padded{};
  for (char c : a) padded.text[padded.size++] = c;
  for (char c : b) padded.text[padded.size++] = c;
  return padded;
}

// The text after the ID on the event line.
const tPadded& EventText(int32_t id);
// Lease denials and failed DNS updates: their event line is red on the console.
inline bool IsRedEvent(int32_t id) { return id == 15 || id == 31; }
// The text after the QR Result field, for the field as it stands in the line.
const tPadded& QuarantineText(std::string_view qr_result);

}  // namespace tessal
