#include "viewer/report.h"

#include "platform/rules.h"
#include "viewer/block_writer.h"
#include "viewer/filter.h"
#include "viewer/log_kind.h"
#include "viewer/reader.h"
#include "viewer/record.h"
#include "viewer/texts.h"
#include "viewer/v6_report.h"

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

// One line that has kSlack readable bytes after it, as the reader hands lines on.
void ReportPaddedLine(tReport& report, std::string_view line, tOutput& out) {
  if (!PassesFilters(report.filters, line)) return;
  // A line without a comma has an empty ID, which drops it below.
  AuditRecord& record = report.record;
  SplitPaddedAuditRecord(line, record);
  int32_t id = -1;
  if (!IsReportedID(record.Text[kID], report.exclude_ids, &id)) return;
  WriteBlock(out, record, line.size(), id, EventText(id), QuarantineText(record.Text[kQRResult]));
}

}  // namespace

// The reading of one log: its report, where its lines stand, and its kind.
struct tLiveLogState {
  tReport report;
  tOutput& out;
  platform::PathStyle style;
  tLineReader reader;
  tLogKind by_name = tLogKind::kIPv4;  // the kind its name gives a log without a header
  // Settled by the header or the first record. Until then every line is looked at: the scan
  // would pass over a header line that the filters do not match.
  tLogKind kind = tLogKind::kUndecided;
};

namespace {

void SettleKindAnew(tLiveLogState& log, std::string_view log_name) {
  log.by_name = KindOfLogName(log_name.substr(platform::FolderLength(log_name, log.style)));
  log.kind = tLogKind::kUndecided;
}

inline void ReportLogLine(tLiveLogState& log, std::string_view line) {
  if (log.kind == tLogKind::kIPv4) [[likely]] {
    ReportPaddedLine(log.report, line, log.out);
    return;
  }
  if (log.kind == tLogKind::kUndecided) {
    log.kind = KindSettledBy(line, log.by_name);
    if (log.kind == tLogKind::kUndecided) return;  // no record, in either kind
  }
  if (log.kind == tLogKind::kIPv6) {
    ReportV6Line(log.out, line, log.report.filters, log.report.exclude_ids);
  } else {
    ReportPaddedLine(log.report, line, log.out);
  }
}

bool ReportAvailable(tLiveLogState& log, platform::Os& os, platform::FileHandle file) {
  auto on_line = [&](std::string_view line) { ReportLogLine(log, line); };
  if (log.report.filters.scan) {
    return log.reader.ReadAvailable(os, file, on_line, [&](const char* from, const char* end) {
      return log.kind == tLogKind::kUndecided ? from : NextCandidate(log.report.filters, from, end);
    });
  }
  return log.reader.ReadAvailable(os, file, on_line);
}

void ReportLastLine(tLiveLogState& log) {
  log.reader.Finish([&](std::string_view line) { ReportLogLine(log, line); });
}

}  // namespace

void ReportFile(platform::Os& os, platform::FileHandle file, const tRunSettings& settings,
                tOutput& out, std::string_view log_name) {
  tLiveLogState log{PrepareReport(settings), out, os.Style(), {}};
  SettleKindAnew(log, log_name);
  if (ReportAvailable(log, os, file)) ReportLastLine(log);
}

tLiveLog::tLiveLog(const tRunSettings& settings, tOutput& out, platform::PathStyle style,
                   std::string_view log_name)
    : state(new tLiveLogState{PrepareReport(settings), out, style, {}}) {
  SettleKindAnew(*state, log_name);
}
tLiveLog::~tLiveLog() = default;

bool ReportAdded(tLiveLog& log, platform::Os& os, platform::FileHandle file) {
  return ReportAvailable(*log.state, os, file);
}

void ReportKeptLine(tLiveLog& log) { ReportLastLine(*log.state); }

void StartLogAfresh(tLiveLog& log, std::string_view log_name) {
  log.state->reader.StartAfresh();
  SettleKindAnew(*log.state, log_name);
}

uint64_t BytesRead(const tLiveLog& log) { return log.state->reader.consumed; }

void ReportLine(std::string_view line, const tRunSettings& settings, tOutput& out) {
  static tPaddedBuffer padded;  // reused from line to line
  padded.Clear();
  padded.Append(line.data(), line.size());
  tReport report = PrepareReport(settings);
  ReportPaddedLine(report, padded.View(), out);
}

}  // namespace tessal
