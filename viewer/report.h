// The record report: every line of a log that is a record to report becomes its 19-line block;
// every other line is dropped without a word. The course of one line: the filters, the split
// into its record, the ID and exclusion tests, the block.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/os.h"
#include "viewer/settings.h"

namespace tessal {

// Reads the open log to its end and reports every line, in order.
void ReportFile(platform::Os& os, platform::FileHandle file, const tRunSettings& settings);

// A log that is still being written, reported as far as it goes each time it is read: the
// filters are prepared once, and a last line whose LF is not there yet is kept back until it
// is, so that no record is shown in two pieces.
struct tLiveLogState;
struct tLiveLog {
  explicit tLiveLog(const tRunSettings& settings);
  ~tLiveLog();
  std::unique_ptr<tLiveLogState> state;
};
// Reports the whole lines added to the open log since the last call. False once a Ctrl-Z that
// begins a line has ended the input: nothing after it is read.
bool ReportAdded(tLiveLog& log, platform::Os& os, platform::FileHandle file);
// Reports the line kept back, as the last line of a log that will not grow any more.
void ReportKeptLine(tLiveLog& log);
// Forgets what was read: the next read starts a log, or the same one truncated, at its start.
void StartLogAfresh(tLiveLog& log);
// The bytes of the log read so far.
uint64_t BytesRead(const tLiveLog& log);

// Reports one line as its block, or drops it.
void ReportLine(std::string_view line, const tRunSettings& settings);

}  // namespace tessal
