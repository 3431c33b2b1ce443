// The report of a DHCPv6 log line: the same course as an IPv4 line (the filters, the split, the
// ID and exclusion tests), ending in a block under the DHCPv6 log's own labels.
#pragma once

#include <string_view>

#include "viewer/filter.h"
#include "viewer/output.h"

namespace tessal {

// Reports one line of a DHCPv6 log as its 14-line block, or drops it: the event line with the
// event's meaning, one labelled line for each of the eleven fields after the ID, "Further
// Fields: " and the rest of the line, and an empty line.
void ReportV6Line(tOutput& out, std::string_view line, const tFilters& filters,
                  std::string_view exclude_ids);

}  // namespace tessal
