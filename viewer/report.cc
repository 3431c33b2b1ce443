#include "viewer/report.h"

#include "viewer/block_writer.h"
#include "viewer/filter.h"
#include "viewer/reader.h"
#include "viewer/record.h"
#include "viewer/texts.h"

namespace tessal {
namespace {

// What the report of a log works with, prepared once from the run settings.
struct tReport {
  tFilters filters;
  std::string_view exclude_ids;
  AuditRecord record;  // of the line under way; every text is set anew for each line
};

tReport PrepareReport(const tRunSettings& settings) {
  return {PrepareFilters(settings.Filter1, settings.Filter2), settings.ExcludeIDs, {}};
}

// One line that has kLineSlack readable bytes after it, as the reader hands lines on.
void ReportPaddedLine(tReport& report, std::string_view line) {
  if (!PassesFilters(report.filters, line)) return;
  // A line without a comma has an empty ID, which drops it below.
  AuditRecord& record = report.record;
  SplitPaddedAuditRecord(line, record);
  int32_t id = -1;
  if (!ParseInteger(record.Text[kID], &id)) id = -1;
  if (id < 0) return;
  // The ID text anywhere in the exclusion text, the commas playing no part.
  if (!report.exclude_ids.empty() && report.exclude_ids.find(record.Text[kID]) != std::string::npos)
    return;
  WriteBlock(record, line.size(), id, EventText(id), QuarantineText(record.Text[kQRResult]));
}

}  // namespace

void ReportFile(platform::Os& os, platform::FileHandle file, const tRunSettings& settings) {
  tReport report = PrepareReport(settings);
  auto on_line = [&](std::string_view line) { ReportPaddedLine(report, line); };
  if (report.filters.scan) {
    ReadLines(os, file, on_line, [&](const char* from, const char* end) {
      return NextCandidate(report.filters, from, end);
    });
  } else {
    ReadLines(os, file, on_line);
  }
}

struct tLiveLogState {
  tReport report;
  tLineReader reader;
};

tLiveLog::tLiveLog(const tRunSettings& settings)
    : state(new tLiveLogState{PrepareReport(settings), {}}) {}
tLiveLog::~tLiveLog() = default;

bool ReportAdded(tLiveLog& log, platform::Os& os, platform::FileHandle file) {
  tReport& report = log.state->report;
  auto on_line = [&](std::string_view line) { ReportPaddedLine(report, line); };
  if (report.filters.scan) {
    return log.state->reader.ReadAvailable(os, file, on_line,
                                           [&](const char* from, const char* end) {
                                             return NextCandidate(report.filters, from, end);
                                           });
  }
  return log.state->reader.ReadAvailable(os, file, on_line);
}

void ReportKeptLine(tLiveLog& log) {
  log.state->reader.Finish(
      [&](std::string_view line) { ReportPaddedLine(log.state->report, line); });
}

void StartLogAfresh(tLiveLog& log) { log.state->reader.StartAfresh(); }

uint64_t BytesRead(const tLiveLog& log) { return log.state->reader.consumed; }

void ReportLine(std::string_view line, const tRunSettings& settings) {
  static tPaddedBuffer padded;  // reused from line to line
  padded.Clear();
  padded.Append(line.data(), line.size());
  tReport report = PrepareReport(settings);
  ReportPaddedLine(report, padded.View());
}

}  // namespace tessal
