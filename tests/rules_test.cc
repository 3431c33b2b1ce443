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

}  // namespace
}  // namespace platform
