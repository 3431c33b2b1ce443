// The record report: every line of a log that is a record to report becomes its 19-line block
// (or, in the server's DHCPv6 log, its block under that log's labels);
// every other line is dropped without a word. The course of one line: the filters, the split
// into its record, the ID and exclusion tests, the block.
#pragma once

#include <cstdint>
#include <memory>
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

// A log that is still being written, reported as far as it goes each time it is read: the
// filters are prepared once, the kind of log is settled once, and a last line whose LF is not
// there yet is kept back until it is, so that no record is shown in two pieces.
struct tLiveLogState;
struct tLiveLog {
  tLiveLog(const tRunSettings& settings, tOutput& out, platform::PathStyle style,
           std::string_view log_name);
  ~tLiveLog();
  std::unique_ptr<tLiveLogState> state;
};
// Reports the whole lines added to the open log since the last call. False once a Ctrl-Z that
// begins a line has ended the input: nothing after it is read.
bool ReportAdded(tLiveLog& log, platform::Os& os, platform::FileHandle file);
// Reports the line kept back, as the last line of a log that will not grow any more.
void ReportKeptLine(tLiveLog& log);
// Forgets what was read: the next read starts a log of that name, or the same one truncated, at
// its start, and settles its kind anew.
void StartLogAfresh(tLiveLog& log, std::string_view log_name);
// The bytes of the log read so far.
uint64_t BytesRead(const tLiveLog& log);

// Reports one line of an IPv4 log as its block, or drops it.
void ReportLine(std::string_view line, const tRunSettings& settings, tOutput& out);

}  // namespace tessal
