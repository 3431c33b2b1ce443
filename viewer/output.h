// Standard output of the viewer: lines end in CR LF; on a console each line is written out as
// soon as it ends, elsewhere output goes out in large blocks.
#pragma once

#include <cstdint>
#include <string_view>

namespace tessal {

// Asks the platform once whether standard output is a console.
void OutStart();
void OutText(std::string_view text);
void OutEndLine();
inline void OutLine(std::string_view text) {
  OutText(text);
  OutEndLine();
}
// Colours the console text that follows; nothing happens when output is not a console.
void OutAttribute(uint16_t attribute);
// Direct building of output in the buffer, for output that is not a console: room for size bytes
// and 64 more that may be scribbled on, or nullptr when size is more than the buffer can take.
// OutCommit takes the end of what was built.
inline constexpr size_t kOutScribble = 64;
char* OutReserve(size_t size);
void OutCommit(char* end);
bool OutIsConsole();
// Writes out what is buffered; a failure raises EInOutError.
void OutFlush();
// Drops what is buffered without writing it.
void OutDiscard();

}  // namespace tessal
