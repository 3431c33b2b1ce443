#include "platform/rules.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

struct SplitCase {
  const char* command_line;
  std::vector<std::string> arguments;
};

TEST(SplitWindowsCommandLine, FollowsTheArgumentRules) {
  const SplitCase cases[] = {
      {"", {}},
      {"Tessal.exe", {"Tessal.exe"}},
      {"Tessal.exe audit.log pc-01 /e:30,31", {"Tessal.exe", "audit.log", "pc-01", "/e:30,31"}},
      {"  Tessal.exe \t audit.log  ", {"Tessal.exe", "audit.log"}},
      // Quotes group blanks and are removed wherever they stand.
      {"\"C:\\Program Files\\Tessal.exe\" \"my log.log\"",
       {"C:\\Program Files\\Tessal.exe", "my log.log"}},
      {"t a\"b c\"d", {"t", "ab cd"}},
      {"t \"unclosed quote runs on", {"t", "unclosed quote runs on"}},
      // An empty pair of quotes is no argument: the next one takes its place.
      {"t \"\" pc-01", {"t", "pc-01"}},
      {"t \"\"\"\" \"\" x", {"t", "x"}},
      {"t \"\"x", {"t", "x"}},
      {"t \" \"", {"t", " "}},
      {"t x \"", {"t", "x"}},  // a quote left open on nothing
      {"t \"\"\" y", {"t", " y"}},
      // A backslash is an ordinary character, even before a quote.
      {"t C:\\dir\\ \"a\\\"b", {"t", "C:\\dir\\", "a\\b"}},
      // Control characters separate like blanks; bytes above 127 do not.
      {"t a\x01"
       "b\x1f"
       "c\r\nd",
       {"t", "a", "b", "c", "d"}},
      {"t caf\xe9 \xff", {"t", "caf\xe9", "\xff"}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(SplitWindowsCommandLine(c.command_line), c.arguments) << c.command_line;
  }
}

TEST(PathParts, CutAtTheLastSeparatorOfTheStyle) {
  struct Case {
    const char* path;
    PathStyle style;
    const char* directory;
    const char* file;
  } cases[] = {
      {"C:\\Tools\\Tessal.exe", PathStyle::kWindows, "C:\\Tools\\", "Tessal.exe"},
      {"C:Tessal.exe", PathStyle::kWindows, "C:", "Tessal.exe"},
      {"Tessal.exe", PathStyle::kWindows, "", "Tessal.exe"},
      {"\\\\srv\\share\\a/b.exe", PathStyle::kWindows, "\\\\srv\\share\\", "a/b.exe"},
      {"/opt/tessal/Tessal", PathStyle::kPosix, "/opt/tessal/", "Tessal"},
      {"/opt/a\\b:c", PathStyle::kPosix, "/opt/", "a\\b:c"},
      {"Tessal", PathStyle::kPosix, "", "Tessal"},
      {"", PathStyle::kPosix, "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::string(c.path).substr(0, DirectoryLength(c.path, c.style)), c.directory)
        << c.path;
    EXPECT_EQ(FileNamePart(c.path, c.style), c.file) << c.path;
  }
}

TEST(WildcardMatch, StarAndQuestionMark) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"*.exe", "Tessal.exe", true},
      {"*.exe", "Tessal.exe.bak", false},
      {"T?ssal.*", "Tessal.log", true},
      {"T?ssal", "Tssal", false},
      {"*", "", true},
      {"a*b*c", "aXXbYYbc", true},
      {"a*b*c", "aXXbYYb", false},
      {"exact", "exact", true},
      {"[a]", "a", false},
      {"**x", "yyx", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " ~ " << c.name;
  }
}

TEST(WildcardPatterns, OnlyTheLastPartOfThePathCounts) {
  struct Case {
    const char* path;
    PathStyle style;
    bool pattern;
    const char* folder;
  } cases[] = {
      {"C:\\Windows\\System32\\dhcp\\DhcpSrvLog-*.log", PathStyle::kWindows, true,
       "C:\\Windows\\System32\\dhcp\\"},
      {"DhcpSrvLog-???.log", PathStyle::kWindows, true, ""},
      {"C:/dhcp/DhcpSrvLog-*.log", PathStyle::kWindows, true, "C:/dhcp/"},
      {"C:*.log", PathStyle::kWindows, true, "C:"},
      {"C:\\dhcp*\\DhcpSrvLog-Wed.log", PathStyle::kWindows, false, "C:\\dhcp*\\"},
      {"C:\\logs?/DhcpSrvLog-Wed.log", PathStyle::kWindows, false, "C:\\logs?/"},
      {"C:\\dhcp\\", PathStyle::kWindows, false, "C:\\dhcp\\"},
      {"", PathStyle::kWindows, false, ""},
      {"/var/log/dhcp/DhcpSrvLog-*.log", PathStyle::kPosix, true, "/var/log/dhcp/"},
      {"/var/log/dhcp*/DhcpSrvLog-Wed.log", PathStyle::kPosix, false, "/var/log/dhcp*/"},
      // A backslash and a colon are ordinary characters of a POSIX name.
      {"logs*\\x.log", PathStyle::kPosix, true, ""},
      {"/logs/a:b?", PathStyle::kPosix, true, "/logs/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsWildcardPattern(c.path, c.style), c.pattern) << c.path;
    EXPECT_EQ(std::string(c.path).substr(0, FolderLength(c.path, c.style)), c.folder) << c.path;
  }
}

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

TEST(NamesSysnative, AnyComponentInAnyLetterCase) {
  struct Case {
    const char* path;
    bool sysnative;
  } cases[] = {
      {"C:\\Windows\\Sysnative\\dhcp\\DhcpSrvLog-Wed.log", true},
      {"c:\\windows\\SYSNATIVE\\dhcp\\x.log", true},
      {"C:/Windows/sysnative/dhcp/x.log", true},
      {"Sysnative", true},
      {"..\\Sysnative\\x", true},
      {"C:\\Windows\\System32\\dhcp\\DhcpSrvLog-Wed.log", false},
      {"C:\\Windows\\Sysnative2\\x.log", false},
      {"C:\\logs\\Sysnative.log", false},
      {"C:\\logs\\my sysnative\\x.log", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(NamesSysnative(c.path), c.sysnative) << c.path;
}

TEST(BrightRedOn, KeepsTheBackgroundAndTheHigherBits) {
  EXPECT_EQ(BrightRedOn(0x07), 0x0C);
  EXPECT_EQ(BrightRedOn(0x1E), 0x1C);
  EXPECT_EQ(BrightRedOn(0xF0), 0xFC);
  EXPECT_EQ(BrightRedOn(0x8000 | 0x2A), 0x8000 | 0x2C);
}

}  // namespace
}  // namespace platform
