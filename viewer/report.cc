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

void ReportFile(platform::Os& os, platform::FileHandle file, const tRunSettings& settings,
                tOutput& out, std::string_view log_name) {
  tReport report = PrepareReport(settings);
  const tLogKind by_name =
      KindOfLogName(log_name.substr(platform::FolderLength(log_name, os.Style())));
  // Settled by the header or the first record. Until then every line is looked at: the scan
  // would pass over a header line that the filters do not match.
  tLogKind kind = tLogKind::kUndecided;
  auto on_line = [&](std::string_view line) {
    if (kind == tLogKind::kIPv4) [[likely]] {
      ReportPaddedLine(report, line, out);
      return;
    }
    if (kind == tLogKind::kUndecided) {
      kind = KindSettledBy(line, by_name);
      if (kind == tLogKind::kUndecided) return;  // no record, in either kind
    }
    if (kind == tLogKind::kIPv6) {
      ReportV6Line(out, line, report.filters, report.exclude_ids);
    } else {
      ReportPaddedLine(report, line, out);
    }
  };
  if (report.filters.scan) {
    ReadLines(os, file, on_line, [&](const char* from, const char* end) {
      return kind == tLogKind::kUndecided ? from : NextCandidate(report.filters, from, end);
    });
  } else {
    ReadLines(os, file, on_line);
  }
}

void ReportLine(std::string_view line, const tRunSettings& settings, tOutput& out) {
  static tPaddedBuffer padded;  // reused from line to line
  padded.Clear();
  padded.Append(line.data(), line.size());
  tReport report = PrepareReport(settings);
  ReportPaddedLine(report, padded.View(), out);
}

}  // namespace tessal
