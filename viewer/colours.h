// The colour of the red event lines on the console.
#pragma once

#include <cstdint>

namespace tessal {

// Bright red text: the red and intensity bits of a console attribute.
inline constexpr uint16_t kAttributeBrightRed = 12;

// The console attribute of bright red text on the background of the given attribute: the low
// four bits are the text colour; the background and the rest stay the user's.
constexpr uint16_t BrightRedOn(uint16_t attribute) {
  return static_cast<uint16_t>((attribute & ~uint16_t{0x0F}) | kAttributeBrightRed);
}

}  // namespace tessal
