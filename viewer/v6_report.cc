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
void WriteV6Block(const tV6Record& record, int32_t id) {
  const bool red = IsRedV6Event(id);
  if (red) OutRedStart();
  OutText(kV6Labels[kV6ID]);
  OutText(record.Text[kV6ID]);
  OutText(V6EventText(id));
  OutEndLine();
  if (red) OutRedEnd();
  for (int field = kV6Date; field < kV6FieldCount; ++field) {
    OutText(kV6Labels[field]);
    OutText(record.Text[field]);
    OutEndLine();
  }
  OutEndLine();
}

}  // namespace

void ReportV6Line(std::string_view line, const tFilters& filters, std::string_view exclude_ids) {
  if (!PassesFilters(filters, line)) return;
  const tV6Record record = SplitV6Record(line);
  int32_t id = -1;
  if (!ParseInteger(record.Text[kV6ID], &id)) id = -1;
  if (id < 0) return;
  // The ID text anywhere in the exclusion text, as for the IPv4 log.
  if (!exclude_ids.empty() && exclude_ids.find(record.Text[kV6ID]) != std::string_view::npos)
    return;
  WriteV6Block(record, id);
}

}  // namespace tessal
