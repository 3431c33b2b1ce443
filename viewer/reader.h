// Reads a log as lines, in constant memory whatever its size and with no limit on a line.
// A line ends at LF or CR LF; any other CR is dropped. A Ctrl-Z (byte 26) that begins a line ends
// the input. One inside a line ends that line: the rest of it, up to and including its LF, is
// skipped and reading goes on with the next line, so that a client that puts the byte into its
// host name or vendor class cannot hide the records after its own.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/os.h"
#include "viewer/buffers.h"
#include "viewer/failure.h"
#include "viewer/simd.h"

namespace tessal {

inline constexpr size_t kReadBlock = 512 * 1024;  // with the output buffer, stays in the cache
inline constexpr char kCtrlZ = 26;

// The line-end rule: a line ends at LF, and a CR right before that LF belongs to the line end.
// Any other CR is dropped from the line, which goes on: this is such a CR.
inline bool IsDroppedCr(const char* at, const char* end) {
  return at[0] == '\r' && (at + 1 >= end || at[1] != '\n');
}

namespace detail {

// A line without the CR of its CR LF end.
inline std::string_view WithoutEndCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// Hands on a line without its CRs (the one of its CR LF end, and those it drops), using scratch
// only when a CR stands inside it.
template <typename OnLine>
void EmitLine(std::string_view line, tPaddedBuffer& scratch, OnLine& on_line) {
  line = WithoutEndCr(line);
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

// The end of the line that starts at from: its LF, which stands before end. *clean tells that
// no CR stands in the line but the one right before that LF, so that the bytes are the line.
// One search finds both, sixteen bytes at a time where there is SSE2; it may look at the
// kLineEndReach bytes after end.
inline constexpr size_t kLineEndReach = 16;
static_assert(kLineEndReach <= kSlack, "the line-end search runs past the read block's slack");
inline const char* FindLineEnd(const char* from, const char* end, bool* clean) {
  const char* at = from;
#if defined(TESSAL_SSE2)
  const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
  for (;; at += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr))));
    if (mask != 0) {
      at += __builtin_ctz(mask);
      break;
    }
  }
#else
  while (*at != '\n' && *at != '\r') ++at;
#endif
  if (*at == '\n') {
    *clean = true;
    return at;
  }
  *clean = at + 1 < end && at[1] == '\n';
  if (*clean) return at + 1;
  return static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
}

// Where the next line to hand on lies: every line, unless a scan can rule lines out unread.
inline const char* EveryLine(const char* from, const char*) { return from; }

namespace detail {

// Hands on the lines of [p, stop), which holds no Ctrl-Z: first the end of the line in carry,
// then the whole lines, and keeps the start of a line that runs on past stop in carry.
template <typename OnLine, typename NextLine>
void SplitLines(const char* p, const char* stop, tPaddedBuffer& carry, tPaddedBuffer& scratch,
                OnLine& on_line, NextLine& next_line) {
  if (carry.size != 0) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(stop - p)));
    if (lf == nullptr) {
      carry.Append(p, static_cast<size_t>(stop - p));
      return;
    }
    carry.Append(p, static_cast<size_t>(lf - p));
    EmitLine(carry.View(), scratch, on_line);
    carry.Clear();
    p = lf + 1;
  }
  const char* lines_end = stop;
  while (lines_end > p && lines_end[-1] != '\n') --lines_end;
  while (p < lines_end) {
    const char* at = next_line(p, lines_end);
    if (at >= lines_end) break;
    if (at == p) {
      // A line from its start, as most are: one search finds its end and any CR in it.
      bool clean = false;
      const char* lf = FindLineEnd(p, lines_end, &clean);
      const std::string_view line(p, static_cast<size_t>(lf - p));
      if (clean) {
        on_line(WithoutEndCr(line));
      } else {
        EmitLine(line, scratch, on_line);
      }
      p = lf + 1;
      continue;
    }
    const char* start = at;
    while (start > p && start[-1] != '\n') --start;
    const char* lf =
        static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(lines_end - at)));
    EmitLine(std::string_view(start, static_cast<size_t>(lf - start)), scratch, on_line);
    p = lf + 1;
  }
  carry.Append(lines_end, static_cast<size_t>(stop - lines_end));
}

// The block logs are read into: one for the process, however many logs it reads. A pattern may
// name thousands, and a block of this size made and freed for each leaves the heap scattered.
inline char* ReadBlock() {
  static const tAlignedBytes block = NewAlignedBytes(kReadBlock + kSlack);
  return block.get();
}

}  // namespace detail

// The reading of one log as lines, which can go on where it stopped: a log that the server is
// still writing is read as far as it goes, again and again. What one read leaves over (the start
// of a line whose end is not there yet, the rest of a line that a Ctrl-Z cut short) waits here
// for the next.
struct tLineReader {
  tPaddedBuffer carry;  // the start of a line that runs on past what was read
  tPaddedBuffer scratch;
  bool skipping = false;  // in the rest of a line that a Ctrl-Z cut short
  bool ended = false;     // a Ctrl-Z that begins a line has ended the input
  uint64_t consumed = 0;  // the bytes read from the file

  // Forgets the file: the next read starts a file (or the same one, truncated) from its start.
  void StartAfresh() {
    carry.Clear();
    skipping = false;
    ended = false;
    consumed = 0;
  }

  // Reads the file up to its end as it is now and calls on_line(std::string_view) for every
  // whole line, in order; the last line, when its LF is not there yet, is kept back. A read
  // failure raises EInOutError. Answers false once a Ctrl-Z that begins a line has ended the
  // input (and reads nothing more then). The view is valid only during the call, and kSlack
  // bytes after it can be read. next_line(from, end), given the start of a line, answers a
  // position in the first line of [from, end) that is to be handed on, or end: the lines it
  // passes over are not handed on. Lines that run on past a block, or that a Ctrl-Z cuts short,
  // are always handed on.
  template <typename OnLine, typename NextLine = decltype(EveryLine)>
  bool ReadAvailable(platform::Os& os, platform::FileHandle file, OnLine&& on_line,
                     NextLine&& next_line = EveryLine) {
    if (ended) return false;
    char* const block = detail::ReadBlock();
    for (;;) {
      size_t got = 0;
      const platform::ErrorCode error = os.Read(file, block, kReadBlock, &got);
      if (error != platform::kErrorNone) RaiseInOutError(error);
      if (got == 0) return true;
      consumed += got;
      // Searches may look past the bytes read: let them find zeros there, nothing left undefined.
      std::memset(block + got, 0, kSlack);
      const char* p = block;
      const char* const end = p + got;
      while (p < end) {
        if (skipping) {
          const char* lf =
              static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
          if (lf == nullptr) break;
          skipping = false;
          p = lf + 1;
          continue;
        }
        const char* z =
            static_cast<const char*>(std::memchr(p, kCtrlZ, static_cast<size_t>(end - p)));
        detail::SplitLines(p, z != nullptr ? z : end, carry, scratch, on_line, next_line);
        if (z == nullptr) break;
        if (carry.size == 0) {  // the Ctrl-Z begins a line: the input ends here
          ended = true;
          return false;
        }
        detail::EmitLine(carry.View(), scratch, on_line);
        carry.Clear();
        skipping = true;
        p = z + 1;
      }
    }
  }

  // At the end of the input: the last line needs no line end, so the one kept back is handed
  // on now.
  template <typename OnLine>
  void Finish(OnLine&& on_line) {
    if (carry.size != 0) detail::EmitLine(carry.View(), scratch, on_line);
    carry.Clear();
  }
};

// Calls on_line(std::string_view) for every line of the file, in order, up to its end, as
// tLineReader::ReadAvailable does; the last line needs no line end.
template <typename OnLine, typename NextLine = decltype(EveryLine)>
void ReadLines(platform::Os& os, platform::FileHandle file, OnLine&& on_line,
               NextLine&& next_line = EveryLine) {
  tLineReader reader;
  if (reader.ReadAvailable(os, file, on_line, next_line)) reader.Finish(on_line);
}

}  // namespace tessal
