#include "viewer/filter.h"

#include <algorithm>
#include <cstring>

#include "platform/rules.h"
#include "viewer/reader.h"
#include "viewer/simd.h"

namespace tessal {
namespace {

tAnchor AnchorOf(const std::string& filter) {
  auto fold_mask = [](char c) -> uint8_t { return platform::AsciiLower(c) != c ? 0xDF : 0xFF; };
  const char first = filter.front(), last = filter.back();
  return {fold_mask(first), static_cast<uint8_t>(first), fold_mask(last),
          static_cast<uint8_t>(last), filter.size() - 1};
}

bool AnchorAt(const tAnchor& anchor, const char* at, const char* end) {
  return at + anchor.last_offset < end &&
         (static_cast<uint8_t>(at[0]) & anchor.first_mask) == anchor.first &&
         (static_cast<uint8_t>(at[anchor.last_offset]) & anchor.last_mask) == anchor.last;
}

// The whole filter at a position, the letters a to z taken as upper case.
bool FilterAt(const std::string& filter, const char* at, const char* end) {
  if (static_cast<size_t>(end - at) < filter.size()) return false;
  for (size_t i = 0; i < filter.size(); ++i) {
    if (platform::AsciiUpper(at[i]) != filter[i]) return false;
  }
  return true;
}

// A filter at a position: its anchor bytes first, as they are the quicker test. An empty filter
// occurs nowhere.
bool OccursAt(const std::string& filter, const tAnchor& anchor, const char* at, const char* end) {
  return !filter.empty() && AnchorAt(anchor, at, end) && FilterAt(filter, at, end);
}

// The test behind every kernel: a filter occurs at the position, or a dropped CR stands there.
bool CandidateAt(const tFilters& filters, const char* at, const char* end) {
  return OccursAt(filters.one, filters.anchor_one, at, end) ||
         OccursAt(filters.two, filters.anchor_two, at, end) || IsDroppedCr(at, end);
}

const char* PortableScan(const tFilters& filters, const char* at, const char* end) {
  for (; at < end; ++at) {
    if (CandidateAt(filters, at, end)) return at;
  }
  return end;
}

#if defined(TESSAL_VECTOR_TYPES)
template <size_t kWidth>
struct tVectorOf;
template <>
struct tVectorOf<16> {
  typedef uint8_t Bytes __attribute__((vector_size(16)));
  typedef uint64_t Words __attribute__((vector_size(16)));
};
template <>
struct tVectorOf<32> {
  typedef uint8_t Bytes __attribute__((vector_size(32)));
  typedef uint64_t Words __attribute__((vector_size(32)));
};

// The vector kernel, written once for every width: kWidth positions a step are tested for the
// first and last byte of each filter, and for a dropped CR (a CR not followed by LF, the
// reader's rule); kSteps steps are tested together, and when any position is flagged, the
// flagged ones go to CandidateAt in order. Each width is compiled for its instruction set by
// the function that calls it.
template <size_t kWidth, bool kTwo>
[[gnu::always_inline]] inline const char* VectorScan(const tFilters& filters, const char* at,
                                                     const char* end) {
  using Bytes = typename tVectorOf<kWidth>::Bytes;
  using Words = typename tVectorOf<kWidth>::Words;
  constexpr size_t kSteps = 64 / kWidth;
  const tAnchor& one = filters.anchor_one;
  const tAnchor& two = filters.anchor_two;
  const Bytes first1 = Bytes{} + one.first, first1_mask = Bytes{} + one.first_mask;
  const Bytes last1 = Bytes{} + one.last, last1_mask = Bytes{} + one.last_mask;
  const Bytes first2 = Bytes{} + two.first, first2_mask = Bytes{} + two.first_mask;
  const Bytes last2 = Bytes{} + two.last, last2_mask = Bytes{} + two.last_mask;
  const Bytes cr = Bytes{} + uint8_t{'\r'}, lf = Bytes{} + uint8_t{'\n'};
  for (; static_cast<size_t>(end - at) >= filters.reach + kSteps * kWidth; at += kSteps * kWidth) {
    Bytes hits[kSteps];
    Words any{};
#pragma GCC unroll 4
    for (size_t step = 0; step < kSteps; ++step) {
      const char* const here = at + step * kWidth;
      Bytes bytes, next, at_last1;
      std::memcpy(&bytes, here, kWidth);
      std::memcpy(&next, here + 1, kWidth);
      std::memcpy(&at_last1, here + one.last_offset, kWidth);
      hits[step] = (Bytes)(((bytes & first1_mask) == first1) & ((at_last1 & last1_mask) == last1)) |
                   (Bytes)((bytes == cr) & (next != lf));
      if constexpr (kTwo) {
        Bytes at_last2;
        std::memcpy(&at_last2, here + two.last_offset, kWidth);
        hits[step] |=
            (Bytes)(((bytes & first2_mask) == first2) & ((at_last2 & last2_mask) == last2));
      }
      any |= (Words)hits[step];
    }
    uint64_t flagged = 0;
    for (size_t i = 0; i < kWidth / 8; ++i) flagged |= any[i];
    if (flagged == 0) continue;
    // The flagged positions as bits, eight bytes at a time: each byte keeps its own bit, and
    // the multiplication adds the eight bytes into the top one.
    Bytes bits;
    for (size_t i = 0; i < kWidth; ++i) bits[i] = static_cast<uint8_t>(1u << (i % 8));
    for (size_t step = 0; step < kSteps; ++step) {
      const Words words = (Words)(hits[step] & bits);
      for (size_t word = 0; word < kWidth / 8; ++word) {
        for (uint64_t mask = (words[word] * 0x0101010101010101ull) >> 56; mask != 0;
             mask &= mask - 1) {
          const char* const here = at + step * kWidth + word * 8 + __builtin_ctzll(mask);
          if (CandidateAt(filters, here, end)) return here;
        }
      }
    }
  }
  return PortableScan(filters, at, end);
}

template <size_t kWidth>
[[gnu::always_inline]] inline const char* VectorScan(const tFilters& filters, const char* at,
                                                     const char* end) {
  return filters.two.empty() ? VectorScan<kWidth, false>(filters, at, end)
                             : VectorScan<kWidth, true>(filters, at, end);
}

const char* Vector16Scan(const tFilters& filters, const char* at, const char* end) {
  return VectorScan<16>(filters, at, end);
}
#if defined(TESSAL_X86_SIMD)
__attribute__((target("avx2"))) const char* Vector32Scan(const tFilters& filters, const char* at,
                                                         const char* end) {
  return VectorScan<32>(filters, at, end);
}
#endif
#endif

}  // namespace

std::string FilterCase(std::string_view filter) { return platform::AsciiUpper(filter); }

tFilters PrepareFilters(std::string_view filter1, std::string_view filter2) {
  tFilters filters;
  filters.one = FilterCase(filter1);
  filters.two = FilterCase(filter2);
  filters.scan = !filters.one.empty() && filters.one.find_first_of("\r\n") == std::string::npos &&
                 filters.two.find_first_of("\r\n") == std::string::npos;
  if (!filters.one.empty()) filters.anchor_one = AnchorOf(filters.one);
  if (!filters.two.empty()) filters.anchor_two = AnchorOf(filters.two);
  filters.reach =
      std::max({filters.anchor_one.last_offset, filters.anchor_two.last_offset, size_t{1}});
  filters.kernel = KernelsHere().back();
  return filters;
}

bool PassesFilters(const tFilters& filters, std::string_view line) {
  if (filters.one.empty()) return true;
  const char* const end = line.data() + line.size();
  for (const char* at = line.data(); at < end; ++at) {
    if (OccursAt(filters.one, filters.anchor_one, at, end) ||
        OccursAt(filters.two, filters.anchor_two, at, end)) {
      return true;
    }
  }
  return false;
}

const char* NextCandidate(const tFilters& filters, const char* from, const char* end) {
  switch (filters.kernel) {
#if defined(TESSAL_VECTOR_TYPES)
    case tScanKernel::kVector16:
      return Vector16Scan(filters, from, end);
#if defined(TESSAL_X86_SIMD)
    case tScanKernel::kVector32:
      return Vector32Scan(filters, from, end);
#endif
#endif
    default:
      return PortableScan(filters, from, end);
  }
}

std::vector<tScanKernel> KernelsHere() {
  std::vector<tScanKernel> kernels = {tScanKernel::kPortable};
#if defined(TESSAL_VECTOR_TYPES)
  kernels.push_back(tScanKernel::kVector16);
#if defined(TESSAL_X86_SIMD)
  static const bool avx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  if (avx2) kernels.push_back(tScanKernel::kVector32);
#endif
#endif
  return kernels;
}

}  // namespace tessal
