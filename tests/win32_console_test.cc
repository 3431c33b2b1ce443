// The red event line on a real Windows console: drawn on the user's own background, and the
// user's colours given back after it. Wine draws a console only where it has a display (under
// xvfb-run); elsewhere there is no console to look at and the test says so.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "viewer/output.h"
#include "viewer/report.h"

namespace tessal {
namespace {

WORD AttributeAt(HANDLE console, SHORT row) {
  WORD attribute = 0;
  DWORD read = 0;
  ReadConsoleOutputAttribute(console, &attribute, 1, COORD{0, row}, &read);
  return read == 1 ? attribute : WORD{0xFFFF};
}

std::string TextAt(HANDLE console, SHORT row, DWORD length) {
  std::string text(length, '\0');
  DWORD read = 0;
  ReadConsoleOutputCharacterA(console, text.data(), length, COORD{0, row}, &read);
  text.resize(read);
  return text;
}

TEST(Console, RedLinesKeepTheUsersBackgroundAndGiveTheirColoursBack) {
  FreeConsole();
  if (!AllocConsole()) GTEST_SKIP() << "no console could be made";
  const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(console, &info)) {
    GTEST_SKIP() << "the console cannot be read here (wine needs a display: run under xvfb-run)";
  }
  struct Case {
    WORD user, red;
  } cases[] = {{0x07, 0x0C}, {0x1E, 0x1C}, {0x5F, 0x5C}};
  for (const Case& c : cases) {
    SetConsoleTextAttribute(console, c.user);
    ASSERT_TRUE(GetConsoleScreenBufferInfo(console, &info));
    const SHORT row = info.dwCursorPosition.Y;
    OutStart();
    ReportLine("15,d,t", tRunSettings());
    OutFlush();
    EXPECT_EQ(TextAt(console, row, 9), "Event: 15");
    EXPECT_EQ(AttributeAt(console, row), c.red) << c.user;
    EXPECT_EQ(TextAt(console, static_cast<SHORT>(row + 1), 7), "Date: d");
    EXPECT_EQ(AttributeAt(console, static_cast<SHORT>(row + 1)), c.user) << c.user;
    ASSERT_TRUE(GetConsoleScreenBufferInfo(console, &info));
    EXPECT_EQ(info.wAttributes, c.user);
  }
  FreeConsole();
}

}  // namespace
}  // namespace tessal
