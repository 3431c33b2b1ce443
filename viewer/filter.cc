#include "viewer/filter.h"

#include <algorithm>
#include <cstring>

#include "platform/rules.h"
#include "viewer/reader.h"
#include "viewer/simd.h"

namespace tessal {
namespace {

tAnchor AnchorOf(const std::string& filter) {
  auto fold_mask = [](char c) -> uint8_t { return c >= 'A' && c <= 'Z' ? 0xDF : 0xFF; };
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

// The test behind every kernel: a filter occurs at the position, or a dropped CR stands there.
bool CandidateAt(const tFilters& filters, const char* at, const char* end) {
  return (AnchorAt(filters.anchor_one, at, end) && FilterAt(filters.one, at, end)) ||
         (!filters.two.empty() && AnchorAt(filters.anchor_two, at, end) &&
          FilterAt(filters.two, at, end)) ||
         IsDroppedCr(at, end);
}

const char* PortableScan(const tFilters& filters, const char* at, const char* end) {
  for (; at < end; ++at) {
    if (CandidateAt(filters, at, end)) return at;
  }
  return end;
}

#if !defined(TESSAL_NO_SIMD)
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
template <>
struct tVectorOf<64> {
  typedef uint8_t Bytes __attribute__((vector_size(64)));
  typedef uint64_t Words __attribute__((vector_size(64)));
};

// The vector kernel, written once for every width: kWidth positions a step are tested for the
// first and last byte of each filter, and for a dropped CR (a CR not followed by LF, the
// reader's rule); a step that flags any goes to CandidateAt position by position. Each width is
// compiled for its instruction set by the function that calls it.
template <size_t kWidth>
[[gnu::always_inline]] inline const char* VectorScan(const tFilters& filters, const char* at,
                                                     const char* end) {
  using Bytes = typename tVectorOf<kWidth>::Bytes;
  using Words = typename tVectorOf<kWidth>::Words;
  const tAnchor& one = filters.anchor_one;
  const tAnchor& two = filters.two.empty() ? filters.anchor_one : filters.anchor_two;
  const Bytes first1 = Bytes{} + one.first, first1_mask = Bytes{} + one.first_mask;
  const Bytes last1 = Bytes{} + one.last, last1_mask = Bytes{} + one.last_mask;
  const Bytes first2 = Bytes{} + two.first, first2_mask = Bytes{} + two.first_mask;
  const Bytes last2 = Bytes{} + two.last, last2_mask = Bytes{} + two.last_mask;
  const Bytes cr = Bytes{} + uint8_t{'\r'}, lf = Bytes{} + uint8_t{'\n'};
  for (; static_cast<size_t>(end - at) >= filters.reach + kWidth; at += kWidth) {
    Bytes bytes, next, at_last1, at_last2;
    std::memcpy(&bytes, at, kWidth);
    std::memcpy(&next, at + 1, kWidth);
    std::memcpy(&at_last1, at + one.last_offset, kWidth);
    std::memcpy(&at_last2, at + two.last_offset, kWidth);
    const Bytes hits =
        (Bytes)(((bytes & first1_mask) == first1) & ((at_last1 & last1_mask) == last1)) |
        (Bytes)(((bytes & first2_mask) == first2) & ((at_last2 & last2_mask) == last2)) |
        (Bytes)((bytes == cr) & (next != lf));
    const Words words = (Words)hits;
    uint64_t any = 0;
    for (size_t i = 0; i < kWidth / 8; ++i) any |= words[i];
    if (any == 0) continue;
    for (size_t i = 0; i < kWidth; ++i) {
      if (hits[i] != 0 && CandidateAt(filters, at + i, end)) return at + i;
    }
  }
  return PortableScan(filters, at, end);
}

const char* Vector16Scan(const tFilters& filters, const char* at, const char* end) {
  return VectorScan<16>(filters, at, end);
}
#if defined(TESSAL_X86_SIMD)
__attribute__((target("avx2"))) const char* Vector32Scan(const tFilters& filters, const char* at,
                                                         const char* end) {
  return VectorScan<32>(filters, at, end);
}
__attribute__((target("avx512bw"))) const char* Vector64Scan(const tFilters& filters,
                                                             const char* at, const char* end) {
  return VectorScan<64>(filters, at, end);
}
#endif
#endif

}  // namespace

tFilters PrepareFilters(const std::string& filter1, const std::string& filter2) {
  tFilters filters;
  filters.one = filter1;
  filters.two = filter2;
  filters.scan = !filter1.empty() && filter1.find_first_of("\r\n") == std::string::npos &&
                 filter2.find_first_of("\r\n") == std::string::npos;
  if (!filter1.empty()) filters.anchor_one = AnchorOf(filter1);
  if (!filter2.empty()) filters.anchor_two = AnchorOf(filter2);
  filters.reach =
      std::max({filters.anchor_one.last_offset, filters.anchor_two.last_offset, size_t{1}});
  filters.kernel = KernelsHere().back();
  return filters;
}

bool PassesFilters(const tFilters& filters, std::string_view line) {
  if (filters.one.empty()) return true;
  const char* const end = line.data() + line.size();
  auto occurs = [&](const std::string& filter, const tAnchor& anchor) {
    if (filter.empty()) return false;  // an empty filter never occurs
    for (const char* at = line.data(); at + filter.size() <= end; ++at) {
      if (AnchorAt(anchor, at, end) && FilterAt(filter, at, end)) return true;
    }
    return false;
  };
  return occurs(filters.one, filters.anchor_one) || occurs(filters.two, filters.anchor_two);
}

const char* NextCandidate(const tFilters& filters, const char* from, const char* end) {
  switch (filters.kernel) {
#if !defined(TESSAL_NO_SIMD)
    case tScanKernel::kVector16:
      return Vector16Scan(filters, from, end);
#if defined(TESSAL_X86_SIMD)
    case tScanKernel::kVector32:
      return Vector32Scan(filters, from, end);
    case tScanKernel::kVector64:
      return Vector64Scan(filters, from, end);
#endif
#endif
    default:
      return PortableScan(filters, from, end);
  }
}

std::vector<tScanKernel> KernelsHere() {
  std::vector<tScanKernel> kernels = {tScanKernel::kPortable};
#if !defined(TESSAL_NO_SIMD)
  kernels.push_back(tScanKernel::kVector16);
#if defined(TESSAL_X86_SIMD)
  static const bool avx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  static const bool avx512 = __builtin_cpu_supports("avx512bw") != 0;
  if (avx2) kernels.push_back(tScanKernel::kVector32);
  if (avx512) kernels.push_back(tScanKernel::kVector64);
#endif
#endif
  return kernels;
}

}  // namespace tessal
