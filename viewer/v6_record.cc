#include "viewer/v6_record.h"

namespace tessal {

tV6Record SplitV6Record(std::string_view line) {
  tV6Record record;
  std::string_view rest = line;
  int field = 0;
  for (; field < kV6FurtherFields; ++field) {
    const size_t comma = rest.find(',');
    if (comma == std::string_view::npos) break;
    record.Text[field] = rest.substr(0, comma);
    rest.remove_prefix(comma + 1);
  }
  // The fields without a comma of their own are empty views at the line's end, not null ones,
  // which the output copies from as from any other text.
  for (; field < kV6FurtherFields; ++field) record.Text[field] = line.substr(line.size());
  record.Text[kV6FurtherFields] = rest;
  return record;
}

}  // namespace tessal
