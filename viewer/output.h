// Standard output of the viewer: lines end in CR LF; on a console each line is written out as
// soon as it ends, elsewhere output goes out in large blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "viewer/buffers.h"

namespace tessal {

// Asks the platform once whether standard output is a console.
void OutStart();
void OutText(std::string_view text);
void OutEndLine();
inline void OutLine(std::string_view text) {
  OutText(text);
  OutEndLine();
}
// Makes the console text that follows bright red on the user's own background, and then gives
// the user's own colours back; nothing happens when output is not a console. The user's
// attribute is read once, before the first red line.
void OutRedStart();
void OutRedEnd();
// Direct building of output in the buffer, for output that is not a console: room for size bytes
// and 64 more that may be scribbled on, or nullptr when size is more than the buffer can take.
// OutCommit takes the end of what was built.
inline constexpr size_t kOutScribble = 64;
// Writes out what is buffered; a failure raises EInOutError.
void OutFlush();
// Drops what is buffered without writing it.
void OutDiscard();

namespace detail {
inline constexpr size_t kOutCapacity = 256 * 1024;
struct tOutBuffer {
  tAlignedBytes data = NewAlignedBytes(kOutCapacity + kOutScribble);
  size_t used = 0;
  bool console = false;
  bool colours_known = false;
  uint16_t user_attribute = 0;
  uint16_t red_attribute = 0;
};
extern tOutBuffer gOut;
}  // namespace detail

inline char* OutReserve(size_t size) {
  detail::tOutBuffer& out = detail::gOut;
  if (size > detail::kOutCapacity) return nullptr;
  if (size > detail::kOutCapacity - out.used) OutFlush();
  return out.data.get() + out.used;
}
inline void OutCommit(char* end) {
  detail::gOut.used = static_cast<size_t>(end - detail::gOut.data.get());
}
inline bool OutIsConsole() { return detail::gOut.console; }

}  // namespace tessal
