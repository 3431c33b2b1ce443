// The two text filters of a run: the plain test of one line, and the scan that finds, in a whole
// block of the log, the few lines a filter may let through, so that the others are never split
// into lines at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessal {

// The scan kernels: the portable byte loop, and one vector kernel compiled for each width the
// processor may have. The fastest the processor has is chosen when the filters are prepared.
enum class tScanKernel { kPortable, kVector16, kVector32 };

// One filter's first and last bytes, as the scans compare them: letters in either case.
struct tAnchor {
  uint8_t first_mask, first, last_mask, last;
  size_t last_offset;
};

struct tFilters {
  std::string one, two;  // upper-cased
  bool scan = false;     // a scan may pass over lines: filter one is set, neither holds CR or LF
  tAnchor anchor_one{}, anchor_two{};
  size_t reach = 1;  // bytes a scan step reads beyond its own width
  tScanKernel kernel = tScanKernel::kPortable;
};

// The filters' letter case: a filter is compared with the letters a to z upper-cased, in the
// line and in the filter, and every other byte as it is.
std::string FilterCase(std::string_view filter);

// Prepares the filters, as typed, for the tests and the scan.
tFilters PrepareFilters(std::string_view filter1, std::string_view filter2);

// The line passes when filter one is empty, or when either filter occurs in it, the letters
// a to z in either case.
bool PassesFilters(const tFilters& filters, std::string_view line);

// The first position in [from, end) whose line may pass the filters, or end; only [from, end)
// is read. A position qualifies when a filter occurs there, or when a CR stands there that the
// reader drops (the line's text then differs from its bytes, so only the line itself can tell).
const char* NextCandidate(const tFilters& filters, const char* from, const char* end);

// The kernels this processor can run, the portable one first.
std::vector<tScanKernel> KernelsHere();

}  // namespace tessal
