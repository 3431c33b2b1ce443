#include "viewer/log_kind.h"

#include <cstdint>

#include "platform/rules.h"
#include "viewer/record.h"

namespace tessal {
namespace {

// The start of each log's column header line; the IPv4 one goes on "IP Address", the DHCPv6 one
// "IPv6 Address", so neither is a prefix of the other.
constexpr std::string_view kV4Header = "ID,DATE,TIME,DESCRIPTION,IP ADDRESS";
constexpr std::string_view kV6Header = "ID,DATE,TIME,DESCRIPTION,IPV6 ADDRESS";
constexpr std::string_view kV6NameStart = "DHCPV6SRVLOG-";
constexpr std::string_view kV6NameEnd = ".LOG";

// text begins with upper, which is upper-cased, the letters a to z in either case.
bool StartsWithInAnyCase(std::string_view text, std::string_view upper) {
  if (text.size() < upper.size()) return false;
  for (size_t i = 0; i < upper.size(); ++i) {
    if (platform::AsciiUpper(text[i]) != upper[i]) return false;
  }
  return true;
}

}  // namespace

tLogKind KindOfLogName(std::string_view name) {
  if (name.size() < kV6NameStart.size() + kV6NameEnd.size()) return tLogKind::kIPv4;
  const bool v6 = StartsWithInAnyCase(name, kV6NameStart) &&
                  StartsWithInAnyCase(name.substr(name.size() - kV6NameEnd.size()), kV6NameEnd);
  return v6 ? tLogKind::kIPv6 : tLogKind::kIPv4;
}

tLogKind KindSettledBy(std::string_view line, tLogKind by_name) {
  if (StartsWithInAnyCase(line, kV6Header)) return tLogKind::kIPv6;
  if (StartsWithInAnyCase(line, kV4Header)) return tLogKind::kIPv4;
  // The ID test of a record, on the text before the first comma.
  const size_t comma = line.find(',');
  if (comma == std::string_view::npos) return tLogKind::kUndecided;
  int32_t id = -1;
  if (!ParseInteger(line.substr(0, comma), &id) || id < 0) return tLogKind::kUndecided;
  return by_name;
}

}  // namespace tessal
