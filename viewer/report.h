// The record report: every line of a log that is a record to report becomes its 19-line block;
// every other line is dropped without a word. The course of one line: the filters, the split
// into its record, the ID and exclusion tests, the block.
#pragma once

#include <string_view>

#include "platform/os.h"
#include "viewer/output.h"
#include "viewer/settings.h"

namespace tessal {

// Reads the open log to its end and reports every line, in order.
void ReportFile(platform::Os& os, platform::FileHandle file, const tRunSettings& settings,
                tOutput& out);

// Reports one line as its block, or drops it.
void ReportLine(std::string_view line, const tRunSettings& settings, tOutput& out);

}  // namespace tessal
