// Reads a log as lines, in constant memory whatever its size and with no limit on a line.
// A line ends at LF or CR LF; any other CR is dropped; a Ctrl-Z (byte 26) ends the input.
#pragma once

#include <cstring>
#include <memory>
#include <string_view>

#include "platform/os.h"
#include "viewer/failure.h"

namespace tessal {

inline constexpr size_t kReadBlock = 128 * 1024;  // stays in the cache while it is worked on
inline constexpr char kCtrlZ = 26;
// Every line handed on is followed by at least this many readable bytes, so that the report can
// copy its pieces in whole chunks.
inline constexpr size_t kLineSlack = 64;

// A growable byte buffer that always keeps kLineSlack bytes of room after its contents.
struct tPaddedBuffer {
  std::unique_ptr<char[]> data{new char[kLineSlack]};
  size_t size = 0;
  size_t capacity = 0;

  void Clear() { size = 0; }
  void Append(const char* from, size_t count) {
    if (size + count > capacity) {
      size_t grown = capacity < 256 ? 256 : capacity;
      while (grown < size + count) grown += grown / 2;  // a 64 MB line may cost 1.5 times
      std::unique_ptr<char[]> bigger(new char[grown + kLineSlack]);
      std::memcpy(bigger.get(), data.get(), size);
      data = std::move(bigger);
      capacity = grown;
    }
    std::memcpy(data.get() + size, from, count);
    size += count;
  }
  std::string_view View() const { return {data.get(), size}; }
};

namespace detail {

// Hands on a line without its CRs, using scratch only when a CR stands inside it.
template <typename OnLine>
void EmitLine(std::string_view line, tPaddedBuffer& scratch, OnLine& on_line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const char* cr = static_cast<const char*>(std::memchr(line.data(), '\r', line.size()));
  if (cr == nullptr) {
    on_line(line);
    return;
  }
  scratch.Clear();
  const char* const end = line.data() + line.size();
  for (const char* from = line.data(); from < end;) {
    const char* next = static_cast<const char*>(std::memchr(from, '\r', end - from));
    if (next == nullptr) next = end;
    scratch.Append(from, static_cast<size_t>(next - from));
    from = next + 1;
  }
  on_line(scratch.View());
}

}  // namespace detail

// Where the next line to hand on lies: every line, unless a scan can rule lines out unread.
inline const char* EveryLine(const char* from, const char*) { return from; }

// Calls on_line(std::string_view) for every line of the file, in order; a read failure raises
// EInOutError. The view is valid only during the call, and kLineSlack bytes after it can be read.
// next_line(from, end), given the start of a line, answers a position in the first line of
// [from, end) that is to be handed on, or end: the lines it passes over are not handed on.
// Lines that run on past a block are always handed on.
template <typename OnLine, typename NextLine = decltype(EveryLine)>
void ReadLines(platform::Os& os, platform::FileHandle file, OnLine&& on_line,
               NextLine&& next_line = EveryLine) {
  std::unique_ptr<char[]> block(new char[kReadBlock + kLineSlack]);
  tPaddedBuffer carry;  // the start of a line that runs on past a block
  tPaddedBuffer scratch;
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
    if (carry.size != 0) {
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
      if (lf == nullptr) {
        carry.Append(p, static_cast<size_t>(end - p));
        continue;
      }
      carry.Append(p, static_cast<size_t>(lf - p));
      detail::EmitLine(carry.View(), scratch, on_line);
      carry.Clear();
      p = lf + 1;
    }
    // The whole lines of the block, then the start of one that goes on in the next.
    const char* lines_end = end;
    while (lines_end > p && lines_end[-1] != '\n') --lines_end;
    while (p < lines_end) {
      const char* at = next_line(p, lines_end);
      if (at >= lines_end) break;
      const char* start = at;
      while (start > p && start[-1] != '\n') --start;
      const char* lf =
          static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(lines_end - at)));
      detail::EmitLine(std::string_view(start, static_cast<size_t>(lf - start)), scratch, on_line);
      p = lf + 1;
    }
    carry.Append(lines_end, static_cast<size_t>(end - lines_end));
  }
  if (carry.size != 0) detail::EmitLine(carry.View(), scratch, on_line);
}

}  // namespace tessal
