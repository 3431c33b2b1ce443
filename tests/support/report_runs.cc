#include "support/report_runs.h"

#include <cstring>

#include "viewer/log_kind.h"
#include "viewer/output.h"
#include "viewer/reader.h"
#include "viewer/report.h"
#include "viewer/v6_report.h"

namespace testing_support {

std::string RunOver(platform::FakeOs& os, const std::string& log, size_t chunk,
                    const tessal::tRunSettings& settings, tReading reading,
                    const std::string& name) {
  os.files[name] = log;
  os.read_chunk = chunk;
  platform::FileHandle file = 0;
  os.OpenForReading(name, &file);
  tessal::tOutput out = tessal::StartOutput(os);
  if (reading == tReading::kEveryLine) {
    const tessal::tFilters filters = tessal::PrepareFilters(settings.Filter1, settings.Filter2);
    const tessal::tLogKind by_name = tessal::KindOfLogName(name);
    tessal::tLogKind kind = tessal::tLogKind::kUndecided;
    tessal::ReadLines(os, file, [&](std::string_view line) {
      if (kind == tessal::tLogKind::kUndecided) kind = tessal::KindSettledBy(line, by_name);
      if (kind == tessal::tLogKind::kIPv6) {
        tessal::ReportV6Line(out, line, filters, settings.ExcludeIDs);
      } else {
        tessal::ReportLine(line, settings, out);
      }
    });
  } else {
    tessal::ReportFile(os, file, settings, out, name);
  }
  tessal::OutFlush(out);
  os.Close(file);
  return os.Stdout();
}

std::vector<size_t> Candidates(const tessal::tFilters& filters, std::string_view text) {
  std::vector<size_t> found;
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  for (const char* from = begin; from < end;) {
    const char* at = tessal::NextCandidate(filters, from, end);
    if (at == end) break;
    found.push_back(static_cast<size_t>(at - begin));
    const char* lf = static_cast<const char*>(std::memchr(at, '\n', end - at));
    from = lf == nullptr ? end : lf + 1;
  }
  return found;
}

}  // namespace testing_support
