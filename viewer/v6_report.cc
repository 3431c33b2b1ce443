#include "viewer/v6_report.h"

#include <cstdint>

#include "viewer/output.h"
#include "viewer/record.h"
#include "viewer/v6_record.h"
#include "viewer/v6_texts.h"

namespace tessal {
namespace {

// The names of the log's column header line, written as the IPv4 labels are. The server names
// no field after the twelfth, yet writes more commas: the last line shows them all.
constexpr std::string_view kV6Labels[kV6FieldCount] = {
    "Event: ",     "Date: ",          "Time: ",           "Description: ",     "IPv6 Address: ",
    "Host Name: ", "Error Code: ",    "Duid Length: ",    "Duid Bytes(Hex): ", "User Name: ",
    "Dhcid: ",     "Subnet Prefix: ", "Further Fields: ",
};

// Few servers write this log, and few records: the block goes out line by line through the
// plain output calls, which flush each line on a console.
void WriteV6Block(tOutput& out, const tV6Record& record, int32_t id) {
  const bool red = IsRedV6Event(id);
  if (red) OutRedStart(out);
  OutText(out, kV6Labels[kV6ID]);
  OutText(out, record.Text[kV6ID]);
  OutText(out, V6EventText(id));
  OutEndLine(out);
  if (red) OutRedEnd(out);
  for (int field = kV6Date; field < kV6FieldCount; ++field) {
    OutText(out, kV6Labels[field]);
    OutText(out, record.Text[field]);
    OutEndLine(out);
  }
  OutEndLine(out);
}

}  // namespace

void ReportV6Line(tOutput& out, std::string_view line, const tFilters& filters,
                  std::string_view exclude_ids) {
  if (!PassesFilters(filters, line)) return;
  const tV6Record record = SplitV6Record(line);
  int32_t id = -1;
  if (!IsReportedID(record.Text[kV6ID], exclude_ids, &id)) return;
  WriteV6Block(out, record, id);
}

}  // namespace tessal
