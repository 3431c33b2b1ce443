// Which of the server's two logs a file is. A DHCP server that also serves IPv6 writes a second
// log beside the first, DhcpV6SrvLog-Mon.log ... DhcpV6SrvLog-Sun.log, whose records carry other
// fields; both open with a header block whose column line names the fields.
#pragma once

#include <string_view>

namespace tessal {

enum class tLogKind { kUndecided, kIPv4, kIPv6 };

// The kind a log's name gives it when it has no header block: a DhcpV6SrvLog-*.log in any
// letter case is the DHCPv6 log, every other name the IPv4 one. name is the file-name part.
tLogKind KindOfLogName(std::string_view name);

// What one line settles while no record has been seen: a column header line settles its kind;
// the first record (a comma, and an ID that is a non-negative number) settles by_name; any
// other line settles nothing.
tLogKind KindSettledBy(std::string_view line, tLogKind by_name);

}  // namespace tessal
