// The record report: every line of a log that is a record to report becomes its 19-line block
// (or, in the server's DHCPv6 log, its block under that log's labels);
// every other line is dropped without a word. The course of one line: the filters, the split
// into its record, the ID and exclusion tests, the block.
#pragma once

#include <string_view>

#include "platform/os.h"
#include "viewer/output.h"
#include "viewer/settings.h"

namespace tessal {

// Reads the open log to its end and reports every line, in order, each as a line of its kind:
// the DHCPv6 log when its column header line comes before its first record, or, without one,
// when log_name (the name it was opened by) is the server's name of it; else the IPv4 log.
void ReportFile(platform::Os& os, platform::FileHandle file, const tRunSettings& settings,
                tOutput& out, std::string_view log_name = {});

// Reports one line of an IPv4 log as its block, or drops it.
void ReportLine(std::string_view line, const tRunSettings& settings, tOutput& out);

}  // namespace tessal
