// Standard output of the viewer: lines end in CR LF; on a console each line is written out as
// soon as it ends, elsewhere output goes out in large blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/os.h"
#include "viewer/buffers.h"

namespace tessal {

inline constexpr size_t kOutCapacity = 256 * 1024;

// The output of one run: its buffer, what standard output is, and the platform it is written to.
struct tOutput {
  platform::Os* os = nullptr;
  tAlignedBytes data;
  size_t used = 0;
  bool console = false;
  bool colours_known = false;
  uint16_t user_attribute = 0;
  uint16_t red_attribute = 0;
};

// The output of a run on os, which is asked once whether standard output is a console.
tOutput StartOutput(platform::Os& os);

void OutText(tOutput& out, std::string_view text);
void OutEndLine(tOutput& out);
inline void OutLine(tOutput& out, std::string_view text) {
  OutText(out, text);
  OutEndLine(out);
}
// Makes the console text that follows bright red on the user's own background, and then gives
// the user's own colours back; nothing happens when output is not a console. The user's
// attribute is read once, before the first red line.
void OutRedStart(tOutput& out);
void OutRedEnd(tOutput& out);
// Writes out what is buffered; a failure raises EInOutError.
void OutFlush(tOutput& out);
// Drops what is buffered without writing it.
void OutDiscard(tOutput& out);

// Direct building of output in the buffer, for output that is not a console: room for size bytes
// and kSlack more that may be scribbled on, or nullptr when size is more than the buffer can
// take. OutCommit takes the end of what was built.
inline char* OutReserve(tOutput& out, size_t size) {
  if (size > kOutCapacity) return nullptr;
  if (size > kOutCapacity - out.used) OutFlush(out);
  return out.data.get() + out.used;
}
inline void OutCommit(tOutput& out, char* end) {
  out.used = static_cast<size_t>(end - out.data.get());
}
inline bool OutIsConsole(const tOutput& out) { return out.console; }

}  // namespace tessal
