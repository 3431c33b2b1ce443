// The red event line on a real Windows console: drawn on the user's own background, and the
// user's colours given back after it. Wine draws a console only where it has a display (under
// xvfb-run); elsewhere there is no console to look at and the test says so.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "platform/os.h"
#include "support/forwarding_os.h"
#include "viewer/follow.h"
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

// A console of the test's own, which wine draws only where it has a display (under xvfb-run);
// where it cannot be read, the test says so and is skipped.
class RealConsole : public ::testing::Test {
 protected:
  void SetUp() override {
    FreeConsole();
    if (!AllocConsole()) GTEST_SKIP() << "no console could be made";
    console_ = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(console_, &info)) {
      GTEST_SKIP() << "the console cannot be read here (wine needs a display: run under xvfb-run)";
    }
  }
  void TearDown() override { FreeConsole(); }
  HANDLE console_ = nullptr;
};

TEST_F(RealConsole, RedLinesKeepTheUsersBackgroundAndGiveTheirColoursBack) {
  const HANDLE console = console_;
  CONSOLE_SCREEN_BUFFER_INFO info;
  struct Case {
    WORD user, red;
  } cases[] = {{0x07, 0x0C}, {0x1E, 0x1C}, {0x5F, 0x5C}};
  for (const Case& c : cases) {
    SetConsoleTextAttribute(console, c.user);
    ASSERT_TRUE(GetConsoleScreenBufferInfo(console, &info));
    const SHORT row = info.dwCursorPosition.Y;
    tOutput out = StartOutput(platform::Real());
    ReportLine("15,d,t", tRunSettings(), out);
    OutFlush(out);
    EXPECT_EQ(TextAt(console, row, 9), "Event: 15");
    EXPECT_EQ(AttributeAt(console, row), c.red) << c.user;
    EXPECT_EQ(TextAt(console, static_cast<SHORT>(row + 1), 7), "Date: d");
    EXPECT_EQ(AttributeAt(console, static_cast<SHORT>(row + 1)), c.user) << c.user;
    ASSERT_TRUE(GetConsoleScreenBufferInfo(console, &info));
    EXPECT_EQ(info.wAttributes, c.user);
  }
}

WORD AttributeNow(HANDLE console) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  return GetConsoleScreenBufferInfo(console, &info) ? info.wAttributes : WORD{0xFFFF};
}

// The interrupt probe, built beside this test.
std::string ProbeName() {
  char name[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, name, MAX_PATH);
  const std::string self = name;
  return self.substr(0, self.find_last_of('\\') + 1) + "interrupt_probe.exe";
}

// Keeps this process going through the interrupt it raises for the probe.
BOOL WINAPI KeepGoing(DWORD) { return TRUE; }

// Ctrl+C while the text is red: the program gives the console the user's colours back, and then
// ends as an interrupted program ends. (Wine does not pass on a Ctrl+Break that a program raises,
// so Ctrl+C stands for both.)
TEST_F(RealConsole, CtrlCGivesTheUsersColoursBack) {
  const HANDLE console = console_;
  constexpr WORD kUser = 0x1E, kRed = 0x1C;  // yellow on blue, and red on blue
  SetConsoleTextAttribute(console, kUser);
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const HANDLE output =
      CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  &inherited, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(output, INVALID_HANDLE_VALUE);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION probe{};
  std::string command = "\"" + ProbeName() + "\"";
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                             &startup, &probe))
      << command;
  // The probe is ready once the text is red.
  for (int i = 0; i < 1000 && AttributeNow(console) != kRed; ++i) {
    if (WaitForSingleObject(probe.hProcess, 10) != WAIT_TIMEOUT) break;
  }
  EXPECT_EQ(AttributeNow(console), kRed) << "the probe did not turn the text red";
  SetConsoleCtrlHandler(KeepGoing, TRUE);
  GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  // It would wait for half a minute: ended by then, it was ended by the interrupt.
  const bool ended = WaitForSingleObject(probe.hProcess, 10000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(probe.hProcess, 1);
  EXPECT_TRUE(ended) << "the interrupt did not end the probe";
  EXPECT_EQ(AttributeNow(console), kUser);
  SetConsoleCtrlHandler(KeepGoing, FALSE);
  CloseHandle(probe.hThread);
  CloseHandle(probe.hProcess);
  CloseHandle(output);
}

// The real platform, but each wait first runs the test's next step: the writer of the log, or
// the user pressing Ctrl+C.
class ScriptedWaits : public platform::ForwardingOs {
 public:
  std::function<void(int wait)> step;
  int waits = 0;
  bool WaitForStop(uint32_t milliseconds) override {
    if (step) step(waits);
    ++waits;
    return ForwardingOs::WaitForStop(milliseconds);
  }
};

void Append(const std::string& name, const std::string& text) {
  const HANDLE file =
      CreateFileA(name.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

TEST_F(RealConsole, CtrlCEndsTheFollowingInTheUsersColours) {
  const HANDLE console = console_;
  CONSOLE_SCREEN_BUFFER_INFO info;
  char folder[MAX_PATH + 1];
  ASSERT_NE(GetTempPathA(sizeof folder, folder), 0u);
  const std::string log =
      std::string(folder) + "tessal-follow-" + std::to_string(GetCurrentProcessId()) + ".log";
  DeleteFileA(log.c_str());
  Append(log, "15,d,t\r\n");
  constexpr WORD kUser = 0x1E, kRed = 0x1C;
  SetConsoleTextAttribute(console, kUser);
  ASSERT_TRUE(GetConsoleScreenBufferInfo(console, &info));
  const SHORT first_row = info.dwCursorPosition.Y;

  ScriptedWaits os;
  os.step = [&](int wait) {
    if (wait == 0) Append(log, "15,d,t\r\n");
    // Ctrl+C on this console, which Windows hands to the control handler on a thread of its own.
    if (wait == 2) GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  };
  os.CatchStopRequests();
  tOutput out = StartOutput(os);
  const tFollowEnd end = FollowLog(os, out, log, tRunSettings());
  OutLine(out, "Done");
  OutFlush(out);
  DeleteFileA(log.c_str());

  EXPECT_EQ(end, tFollowEnd::kStopped);
  EXPECT_LT(os.waits, 40) << "the stop request ended a wait";
  ASSERT_TRUE(GetConsoleScreenBufferInfo(console, &info));
  EXPECT_EQ(info.wAttributes, kUser) << "the user's colours after the stop";
  const SHORT done_row = static_cast<SHORT>(info.dwCursorPosition.Y - 1);
  EXPECT_EQ(TextAt(console, done_row, 5), "Done ");
  EXPECT_EQ(AttributeAt(console, done_row), kUser);
  int red_lines = 0;
  for (SHORT row = first_row; row < done_row; ++row) {
    if (TextAt(console, row, 9) == "Event: 15") {
      EXPECT_EQ(AttributeAt(console, row), kRed) << row;
      EXPECT_EQ(AttributeAt(console, static_cast<SHORT>(row + 1)), kUser) << row;
      ++red_lines;
    }
  }
  EXPECT_EQ(red_lines, 2);
}

}  // namespace
}  // namespace tessal
