// The viewer's byte buffers: blocks aligned to the cache line (the kernel copies into an aligned
// block several times faster), and a growable buffer that keeps room behind its bytes so that
// they can be read in whole chunks.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

namespace tessal {

inline constexpr size_t kCacheLine = 64;
// The slack: every buffer that a search or a copy may run past keeps this many readable bytes
// after its contents (the read block, every padded buffer, the output buffer), so that lines can
// be searched, split and copied in whole chunks. Each code that runs past an end says how far,
// and asserts that the slack covers it.
inline constexpr size_t kSlack = 64;

struct tAlignedDelete {
  void operator()(char* bytes) const { ::operator delete[](bytes, std::align_val_t{kCacheLine}); }
};
using tAlignedBytes = std::unique_ptr<char[], tAlignedDelete>;

inline tAlignedBytes NewAlignedBytes(size_t size) {
  return tAlignedBytes(new (std::align_val_t{kCacheLine}) char[size]);
}

// A growable byte buffer that always keeps kSlack bytes of room after its contents.
struct tPaddedBuffer {
  tAlignedBytes data = NewAlignedBytes(kSlack);
  size_t size = 0;
  size_t capacity = 0;

  void Clear() { size = 0; }
  void Append(const char* from, size_t count) {
    if (size + count > capacity) {
      size_t grown = capacity < 256 ? 256 : capacity;
      while (grown < size + count) grown += grown / 2;  // a 64 MB line may cost 1.5 times
      tAlignedBytes bigger = NewAlignedBytes(grown + kSlack);
      std::memcpy(bigger.get(), data.get(), size);
      data = std::move(bigger);
      capacity = grown;
    }
    std::memcpy(data.get() + size, from, count);
    size += count;
  }
  std::string_view View() const { return {data.get(), size}; }
};

}  // namespace tessal
