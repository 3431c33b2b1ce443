#include "viewer/v6_record.h"

namespace tessal {

tV6Record SplitV6Record(std::string_view line) {
  tV6Record record;
  std::string_view rest = line;
  for (int field = 0; field < kV6FurtherFields; ++field) {
    const size_t comma = rest.find(',');
    if (comma == std::string_view::npos) break;  // this field and the later ones stay empty
    record.Text[field] = rest.substr(0, comma);
    rest.remove_prefix(comma + 1);
  }
  record.Text[kV6FurtherFields] = rest;
  return record;
}

}  // namespace tessal
