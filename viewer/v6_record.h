// One line of the DHCPv6 log as its record: twelve fields under the names of the log's column
// header line, and the rest of the line.
#pragma once

#include <string_view>

namespace tessal {

enum V6Field : int {
  kV6ID,
  kV6Date,
  kV6Time,
  kV6Description,
  kV6IPv6Address,
  kV6HostName,
  kV6ErrorCode,
  kV6DuidLength,
  kV6DuidBytesHex,
  kV6UserName,
  kV6Dhcid,
  kV6SubnetPrefix,
  kV6FurtherFields,  // everything after the twelfth comma
  kV6FieldCount
};

// The thirteen texts of one line, views into it; fields the line has no comma for are empty.
struct tV6Record {
  std::string_view Text[kV6FieldCount];
};

// Splits a line at its first twelve commas, as an IPv4 line is split at its first seventeen:
// every comma separates, nothing is trimmed or unquoted, and a line with k commas (k below
// twelve) fills fields 1 to k and keeps the text after its k-th comma as the rest.
tV6Record SplitV6Record(std::string_view line);

}  // namespace tessal
