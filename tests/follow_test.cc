// Following a log, against the fake: the writer of the log is a script of steps, one a wait, so
// that every case is the same each time it runs, and takes no time.
#include "viewer/follow.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "support/fake_os.h"
#include "viewer/failure.h"
#include "viewer/output.h"

namespace tessal {
namespace {

// A record whose host name tells it apart.
std::string Record(const std::string& host, int id = 11) {
  return std::to_string(id) + ",11/02/22,14:08:40,Renew,192.168.10.25," + host +
         ",A1B2C3D4E5F6,,123,0,,,,,,,,,0\r\n";
}

class FollowTest : public ::testing::Test {
 protected:
  static constexpr const char* kWed = "C:\\Logs\\DhcpSrvLog-Wed.log";
  static constexpr const char* kThu = "C:\\Logs\\DhcpSrvLog-Thu.log";
  static constexpr const char* kFri = "C:\\Logs\\DhcpSrvLog-Fri.log";

  void SetUp() override {
    os_.catching_stops = true;  // as the program asks before it follows
    // Each wait is one step of the writer; when the script is done, the user presses Ctrl+C.
    os_.on_wait = [this] {
      seen_.push_back(os_.Stdout());
      if (steps_.empty()) {
        os_.stop_requested = true;
        return;
      }
      const std::function<void()> step = steps_.front();
      steps_.pop_front();
      if (step) step();
    };
  }
  void Append(const std::string& name, const std::string& text) { os_.files[name] += text; }

  // Follows the log; the output in short: each record's host name, each " Log: " line and the
  // waiting line, in order.
  std::vector<std::string> Follow(const std::string& name,
                                  tFollowEnd wanted = tFollowEnd::kStopped) {
    tOutput out = StartOutput(os_);
    EXPECT_EQ(FollowLog(os_, out, name, settings_), wanted);
    OutFlush(out);
    return Summary(os_.Stdout());
  }
  static std::vector<std::string> Summary(const std::string& out) {
    std::vector<std::string> summary;
    for (size_t at = 0; at < out.size();) {
      size_t end = out.find("\r\n", at);
      if (end == std::string::npos) end = out.size();
      const std::string line = out.substr(at, end - at);
      if (line.starts_with("Host Name: ")) summary.push_back(line.substr(11));
      if (line.starts_with(" Log: ")) summary.push_back(line.substr(1));
      if (line == kWaitingLine) summary.push_back("waiting");
      at = end + 2;
    }
    return summary;
  }

  platform::FakeOs os_;
  tRunSettings settings_;
  std::deque<std::function<void()>> steps_;
  std::vector<std::string> seen_;  // the output as it stood at each wait
};

using Lines = std::vector<std::string>;

TEST_F(FollowTest, ReportsTheLogThenEachRecordAppended) {
  os_.files[kWed] = Record("PC-1");
  steps_ = {[&] { Append(kWed, Record("PC-2")); }, nullptr, [&] { Append(kWed, Record("PC-3")); }};
  EXPECT_EQ(Follow(kWed), (Lines{"PC-1", "waiting", "PC-2", "PC-3"}));
  // What was reported had gone out before the next wait: a pipe sees it as it comes.
  ASSERT_GE(seen_.size(), 4u);
  EXPECT_EQ(Summary(seen_[0]), (Lines{"PC-1", "waiting"}));
  EXPECT_EQ(Summary(seen_[1]), (Lines{"PC-1", "waiting", "PC-2"}));
  EXPECT_EQ(Summary(seen_[3]), (Lines{"PC-1", "waiting", "PC-2", "PC-3"}));
  EXPECT_TRUE(os_.Stdout().ends_with("RelayAgentInformation: ,0\r\n\r\n"));
}

// The server's DHCPv6 log is followed under its own labels, known by its name; when the server
// starts the file afresh with its header block, that header decides again.
TEST_F(FollowTest, TheDhcpV6LogIsFollowedUnderItsOwnLabels) {
  const std::string v6 = "C:\\Logs\\DhcpV6SrvLog-Wed.log";
  const auto record = [](const std::string& host) {
    return "11000,12/06/21,12:43:57,DHCPV6 Solicit,2a02:db8::1," + host + ",,18,0004A3,,,,,\r\n";
  };
  os_.files[v6] = record("V6-1");
  steps_ = {[&] { Append(v6, record("V6-2")); },
            [&] {
              os_.files[v6] =
                  "ID,Date,Time,Description,IPv6 Address,Host Name,Error Code, Duid Length, Duid "
                  "Bytes(Hex),User Name,Dhcid,Subnet Prefix.\r\n";
            },
            [&] { Append(v6, record("V6-3")); }};
  EXPECT_EQ(Follow(v6), (Lines{"V6-1", "waiting", "V6-2", "Log: " + v6, "V6-3"}));
  const std::string out = os_.Stdout();
  size_t blocks = 0;
  for (size_t at = out.find("Duid Length: 18\r\n"); at != std::string::npos;
       at = out.find("Duid Length: 18\r\n", at + 1)) {
    ++blocks;
  }
  EXPECT_EQ(blocks, 3u);
  EXPECT_EQ(out.find("MAC Address: "), std::string::npos);
}

TEST_F(FollowTest, AnEmptyLogWaitsForItsFirstRecord) {
  os_.files[kWed] = "";
  steps_ = {nullptr, [&] { Append(kWed, Record("PC-1")); }};
  EXPECT_EQ(Follow(kWed), (Lines{"waiting", "PC-1"}));
}

TEST_F(FollowTest, ALineWrittenInPiecesIsShownOnceAndWhole) {
  os_.files[kWed] = Record("PC-1");
  const std::string second = Record("PC-2"), third = Record("PC-3");
  steps_ = {
      [&] { Append(kWed, second.substr(0, 30)); },
      [&] { Append(kWed, second.substr(30, second.size() - 31)); },  // all but the LF: CR last
      [&] { Append(kWed, "\n" + third.substr(0, 5)); },
      [&] { Append(kWed, third.substr(5)); },
  };
  EXPECT_EQ(Follow(kWed), (Lines{"PC-1", "waiting", "PC-2", "PC-3"}));
  ASSERT_GE(seen_.size(), 4u);
  EXPECT_EQ(seen_[1], seen_[0]) << "half a line is held back";
  EXPECT_EQ(seen_[2], seen_[0]) << "a line is held until its LF";
  EXPECT_EQ(Summary(seen_[3]), (Lines{"PC-1", "waiting", "PC-2"}));
  // The CR that waited for its LF is the line end's, not a CR dropped inside the line.
  EXPECT_NE(os_.Stdout().find("RelayAgentInformation: ,0\r\n\r\nEvent"), std::string::npos);
}

TEST_F(FollowTest, TheWaitingLineComesOnceAndTheWaitsArePolls) {
  os_.files[kWed] = Record("PC-1");
  steps_ = {[&] { Append(kWed, Record("PC-2")); }, nullptr, nullptr};
  EXPECT_EQ(Follow(kWed), (Lines{"PC-1", "waiting", "PC-2"}));
  EXPECT_EQ(os_.waits, 4);
  EXPECT_EQ(os_.waited_ms, 4u * kFollowPollMilliseconds);
  EXPECT_LE(kFollowPollMilliseconds, 500u) << "a record appears within a second";
}

TEST_F(FollowTest, FiltersAndTheExclusionApplyToWhatIsAppended) {
  settings_.Filter1 = "PC-2";
  settings_.Filter2 = "PC-4";
  settings_.ExcludeIDs = "15";
  os_.files[kWed] = Record("PC-1") + Record("PC-2");
  steps_ = {[&] { Append(kWed, Record("PC-3") + Record("PC-4") + Record("PC-2", 15)); }};
  EXPECT_EQ(Follow(kWed), (Lines{"PC-2", "waiting", "PC-4"}));
}

TEST_F(FollowTest, ALogStartedAfreshIsReadFromItsStart) {
  os_.files[kWed] = Record("PC-1") + Record("PC-2");
  steps_ = {[&] { os_.files[kWed] = Record("PC-3"); }, [&] { Append(kWed, Record("PC-4")); }};
  EXPECT_EQ(Follow(kWed),
            (Lines{"PC-1", "PC-2", "waiting", std::string("Log: ") + kWed, "PC-3", "PC-4"}));
  EXPECT_NE(os_.Stdout().find(std::string(" Log: ") + kWed + "\r\n\r\nEvent"), std::string::npos);
}

TEST_F(FollowTest, AtMidnightTheNextWeekdaysLogIsFollowed) {
  os_.files[kWed] = Record("PC-1");
  // Last week's Thursday, which nobody writes to: never shown.
  os_.files[kThu] = Record("PC-OLD");
  os_.write_times[kThu] = 1000;
  steps_ = {
      [&] { Append(kWed, Record("PC-2")); },
      nullptr,
      // Midnight: the last of Wednesday, and Thursday started afresh.
      [&] {
        Append(kWed, Record("PC-3"));
        os_.files[kThu] = Record("PC-4");
        os_.write_times[kThu] = 2000;
      },
      [&] { Append(kThu, Record("PC-5")); },
      // Friday's log did not exist: it comes at the next midnight.
      [&] { os_.files[kFri] = Record("PC-6"); },
  };
  EXPECT_EQ(Follow(kWed), (Lines{"PC-1", "waiting", "PC-2", "PC-3", std::string("Log: ") + kThu,
                                 "PC-4", "PC-5", std::string("Log: ") + kFri, "PC-6"}));
}

TEST_F(FollowTest, AWeekOldNextDayThatNobodyWritesIsNeverShown) {
  os_.files[kWed] = Record("PC-1");
  os_.files[kThu] = Record("PC-OLD");
  os_.write_times[kThu] = 1000;
  steps_ = {nullptr, [&] { Append(kWed, Record("PC-2")); }, nullptr};
  EXPECT_EQ(Follow(kWed), (Lines{"PC-1", "waiting", "PC-2"}));
}

TEST_F(FollowTest, ANextDayOnlyTouchedCountsAsWritten) {
  os_.files[kWed] = Record("PC-1");
  os_.files[kThu] = "";
  steps_ = {[&] { os_.write_times[kThu] = 5; }};
  EXPECT_EQ(Follow(kWed), (Lines{"PC-1", "waiting", std::string("Log: ") + kThu}));
}

TEST_F(FollowTest, TheNextDayIsNamedAsTheFolderSpellsIt) {
  const std::string typed = "C:\\Logs\\dhcpsrvlog-sun.log";
  const std::string monday = "C:\\Logs\\DhcpSrvLog-Mon.log";
  os_.files["C:\\Logs\\DhcpSrvLog-Sun.log"] = Record("PC-1");
  steps_ = {[&] { os_.files[monday] = Record("PC-2"); }};
  EXPECT_EQ(Follow(typed), (Lines{"PC-1", "waiting", "Log: " + monday, "PC-2"}));
}

TEST_F(FollowTest, OtherNamesHaveNoNextDay) {
  os_.files["C:\\Logs\\copy-Wed.log"] = Record("PC-1");
  os_.files["C:\\Logs\\copy-Thu.log"] = "";
  steps_ = {[&] { os_.files["C:\\Logs\\copy-Thu.log"] = Record("PC-2"); }, nullptr};
  EXPECT_EQ(Follow("C:\\Logs\\copy-Wed.log"), (Lines{"PC-1", "waiting"}));
}

TEST_F(FollowTest, ACtrlZAtTheStartOfALineEndsTheFollowing) {
  os_.files[kWed] = Record("PC-1");
  steps_ = {[&] { Append(kWed, Record("PC-2") + "\x1a" + Record("PC-3")); }, nullptr};
  EXPECT_EQ(Follow(kWed, tFollowEnd::kInputEnded), (Lines{"PC-1", "waiting", "PC-2"}));
  EXPECT_EQ(os_.waits, 1);
}

TEST_F(FollowTest, ACtrlZInsideALineEndsThatLineOnly) {
  os_.files[kWed] = Record("PC-1");
  // Cut before its line end: shown up to the Ctrl-Z as soon as that arrives.
  const std::string cut = Record("PC-CUT");
  steps_ = {[&] { Append(kWed, cut.substr(0, cut.size() - 2) + "\x1a,rest"); },
            [&] { Append(kWed, ",more\r\n" + Record("PC-2")); }};
  EXPECT_EQ(Follow(kWed), (Lines{"PC-1", "waiting", "PC-CUT", "PC-2"}));
  ASSERT_GE(seen_.size(), 2u);
  EXPECT_EQ(Summary(seen_[1]), (Lines{"PC-1", "waiting", "PC-CUT"}));
}

TEST_F(FollowTest, AStreamThatIsNoFileIsReadToItsEnd) {
  os_.files[kWed] = Record("PC-1") + Record("PC-2").substr(0, 60);  // the last line unended
  os_.not_regular.push_back(kWed);
  EXPECT_EQ(Follow(kWed, tFollowEnd::kInputEnded), (Lines{"PC-1", "PC-2"}));
  EXPECT_EQ(os_.waits, 0);
}

TEST_F(FollowTest, AStopRequestEndsTheWaitingAtOnce) {
  os_.files[kWed] = Record("PC-1");
  os_.stop_requested = true;
  EXPECT_EQ(Follow(kWed), (Lines{"PC-1", "waiting"}));
  EXPECT_EQ(os_.waits, 1);
}

TEST_F(FollowTest, AReadFailureWhileFollowingIsAnInOutError) {
  os_.files[kWed] = Record("PC-1");
  steps_ = {[&] {
    Append(kWed, Record("PC-2"));
    os_.read_error = 64;
  }};
  tOutput out = StartOutput(os_);
  try {
    FollowLog(os_, out, kWed, settings_);
    ADD_FAILURE() << "no failure";
  } catch (const EInOutError& failure) {
    EXPECT_EQ(failure.Code(), 64u);
  }
}

TEST_F(FollowTest, AMissingLogFailsToOpen) {
  tOutput out = StartOutput(os_);
  EXPECT_THROW(FollowLog(os_, out, kWed, settings_), EInOutError);
}

TEST_F(FollowTest, AfterAStopAReaderThatHasGoneIsNoFailure) {
  tOutput out = StartOutput(os_);
  OutLine(out, "Done");
  os_.stdout_error = platform::kErrorNoData;
  EXPECT_NO_THROW(FlushAfterStop(out));
  OutLine(out, "Done");
  os_.stdout_error = platform::kErrorBrokenPipe;
  EXPECT_NO_THROW(FlushAfterStop(out));
  OutLine(out, "Done");
  os_.stdout_error = platform::kErrorDiskFull;
  EXPECT_THROW(FlushAfterStop(out), EInOutError);
}

TEST(FollowRules, TheSwitch) {
  EXPECT_TRUE(IsFollowArgument("/f"));
  EXPECT_TRUE(IsFollowArgument("/F"));
  for (const char* other : {"/f ", "-f", "/follow", "f", "/e:f", "//f", ""}) {
    EXPECT_FALSE(IsFollowArgument(other)) << other;
  }
}

TEST(FollowRules, ServerLogNames) {
  for (const char* name :
       {"DhcpSrvLog-Mon.log", "DhcpSrvLog-Sun.log", "dhcpsrvlog-wed.LOG", "DHCPSRVLOG-THU.LOG",
        "DhcpV6SrvLog-Fri.log", "dhcpv6srvlog-sat.log", "DhcpSrvLog-Tue.log"}) {
    EXPECT_TRUE(IsServerLogName(name)) << name;
  }
  for (const char* name : {"DhcpSrvLog-Wed.txt", "DhcpSrvLog-Wednesday.log", "DhcpSrvLog-Xyz.log",
                           "DhcpSrvLog-Wed.log.bak", "copy-DhcpSrvLog-Wed.log", "DhcpSrvLog-.log",
                           "DhcpV4SrvLog-Wed.log", "DhcpSrvLogWed.log", "", "DhcpSrvLog-Wed"}) {
    EXPECT_FALSE(IsServerLogName(name)) << name;
  }
}

TEST(FollowRules, TheNextWeekdaysName) {
  const std::pair<const char*, const char*> cases[] = {
      {"DhcpSrvLog-Mon.log", "DhcpSrvLog-Tue.log"},
      {"DhcpSrvLog-Tue.log", "DhcpSrvLog-Wed.log"},
      {"DhcpSrvLog-Wed.log", "DhcpSrvLog-Thu.log"},
      {"DhcpSrvLog-Thu.log", "DhcpSrvLog-Fri.log"},
      {"DhcpSrvLog-Fri.log", "DhcpSrvLog-Sat.log"},
      {"DhcpSrvLog-Sat.log", "DhcpSrvLog-Sun.log"},
      {"DhcpSrvLog-Sun.log", "DhcpSrvLog-Mon.log"},
      {"DhcpV6SrvLog-Sun.log", "DhcpV6SrvLog-Mon.log"},
      {"dhcpsrvlog-wed.log", "dhcpsrvlog-thu.log"},
      {"DHCPSRVLOG-WED.LOG", "DHCPSRVLOG-THU.LOG"},
      {"dhcpsrvlog-sAT.log", "dhcpsrvlog-sUN.log"},
  };
  for (const auto& [name, next] : cases) EXPECT_EQ(NextWeekdayLogName(name), next) << name;
}

}  // namespace
}  // namespace tessal
