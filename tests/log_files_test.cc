// The viewer's rules for a pattern's logs, held in both path styles.
#include "viewer/log_files.h"

#include <gtest/gtest.h>

namespace tessal {
namespace {

using platform::FoundFile;
using platform::PathStyle;

TEST(FoundFileName, ThePatternsFolderAndTheNameFound) {
  struct Case {
    const char* pattern;
    const char* base;
    PathStyle style;
    const char* name;  // of the file Mon.log
  } cases[] = {
      {"C:\\Windows\\System32\\dhcp\\*.log", "C:\\Tools\\", PathStyle::kWindows,
       "C:\\Windows\\System32\\dhcp\\Mon.log"},
      {"c:/dhcp/M*", "C:\\Tools\\", PathStyle::kWindows, "c:/dhcp/Mon.log"},
      {"\\\\srv\\c$\\dhcp\\*.log", "C:\\Tools\\", PathStyle::kWindows,
       "\\\\srv\\c$\\dhcp\\Mon.log"},
      // Relative names are read below the program's folder, and shown so.
      {"*.log", "C:\\Tools\\", PathStyle::kWindows, "C:\\Tools\\Mon.log"},
      {"..\\logs/*.log", "C:\\Tools\\", PathStyle::kWindows, "C:\\Tools\\..\\logs/Mon.log"},
      // The root or the current folder of a drive: given as such, shown as given.
      {"\\dhcp\\*.log", "C:\\Tools\\", PathStyle::kWindows, "\\dhcp\\Mon.log"},
      {"D:*.log", "C:\\Tools\\", PathStyle::kWindows, "D:Mon.log"},
      {"/var/log/dhcp/*.log", "/opt/tessal/bin/", PathStyle::kPosix, "/var/log/dhcp/Mon.log"},
      {"dhcp/*.log", "/opt/tessal/bin/", PathStyle::kPosix, "/opt/tessal/bin/dhcp/Mon.log"},
      {"C:\\dhcp\\*.log", "/opt/", PathStyle::kPosix, "/opt/Mon.log"},
      // No folder was made current: relative names are read where the program was started.
      {"dhcp\\*.log", "", PathStyle::kWindows, "dhcp\\Mon.log"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FoundFileName(c.pattern, "Mon.log", c.base, c.style), c.name) << c.pattern;
  }
}

TEST(OrderOldestFirst, ByWriteTimeThenByName) {
  // Real write times, so that a time cut to 32 bits would tie them all.
  constexpr uint64_t kMonday = 133118717200000000, kHigh = uint64_t{1} << 32;
  std::vector<FoundFile> files = {
      {"DhcpSrvLog-Wed.log", kMonday + 2 * kHigh},
      {"B.log", kMonday + 3 * kHigh},
      {"DhcpSrvLog-Mon.log", kMonday},
      {"a.log", kMonday + 3 * kHigh},
      {"DhcpSrvLog-Tue.log", kMonday + kHigh},
      {"A.log", kMonday + 3 * kHigh},
  };
  struct Case {
    PathStyle style;
    std::vector<std::string> order;
  } cases[] = {
      {PathStyle::kWindows,
       {"DhcpSrvLog-Mon.log", "DhcpSrvLog-Tue.log", "DhcpSrvLog-Wed.log", "A.log", "a.log",
        "B.log"}},
      {PathStyle::kPosix,
       {"DhcpSrvLog-Mon.log", "DhcpSrvLog-Tue.log", "DhcpSrvLog-Wed.log", "A.log", "B.log",
        "a.log"}},
  };
  for (const Case& c : cases) {
    std::vector<FoundFile> ordered = files;
    OrderOldestFirst(ordered, c.style);
    std::vector<std::string> names;
    for (const FoundFile& file : ordered) names.push_back(file.name);
    EXPECT_EQ(names, c.order) << (c.style == PathStyle::kWindows ? "Windows" : "POSIX");
  }
}

}  // namespace
}  // namespace tessal
