// The syslog notice and its UDP broadcast, on the fake: nothing leaves the process.
#include <gtest/gtest.h>

#include "support/fake_os.h"
#include "support/toolkit_test.h"
#include "toolkit/Mef32.h"
#include "toolkit/capture.h"

namespace mef32 {
namespace {

TEST(SyslogLine, ThirteenPieces) {
  EXPECT_EQ(SyslogLine(1,
                       "EXCEPTION:Func=mef32.GetEXEPath Trace=100 "
                       "File=\"E!AuditView-20221102140840127.xml\" SelfName=AuditView "
                       "Version=2.4.1.7",
                       "AuditView", "WS042", 1),
            "<0>AuditView:00001 EXCEPTION:Func=mef32.GetEXEPath Trace=100 "
            "File=\"E!AuditView-20221102140840127.xml\" SelfName=AuditView Version=2.4.1.7 "
            "H=\"WS042\" (ID=00001)");
  EXPECT_EQ(SyslogLine(1, "m", "", "", 1), "<0>:00001 m H=\"\" (ID=00001)");
  EXPECT_EQ(SyslogLine(1, "", "S", "H", 1), "<0>S:00001  H=\"H\" (ID=00001)");
  EXPECT_EQ(SyslogLine(1, "a\"b\r\n", "", "", 1), "<0>:00001 a\"b\r\n H=\"\" (ID=00001)");
  struct Case {
    int32_t id;
    int16_t sequence;
    const char* line;
  } cases[] = {
      {1, 1, "<0>:00001 m H=\"\" (ID=00001)"},
      {9999, 42, "<0>:00042 m H=\"\" (ID=09999)"},
      {30000, 0, "<3>:00000 m H=\"\" (ID=30000)"},
      {123456, 32767, "<12>:32767 m H=\"\" (ID=123456)"},
      {-5, 1, "<0>:00001 m H=\"\" (ID=-00005)"},
      {-20000, 1, "<-2>:00001 m H=\"\" (ID=-20000)"},
  };
  for (const Case& c : cases) EXPECT_EQ(SyslogLine(c.id, "m", "", "", c.sequence), c.line);
}

TEST(NextSyslogSequence, WrapsAfter32767) {
  EXPECT_EQ(NextSyslogSequence(0), 1);
  EXPECT_EQ(NextSyslogSequence(32766), 32767);
  EXPECT_EQ(NextSyslogSequence(32767), 0);
}

using SyslogTest = testing_support::ToolkitTest<>;

TEST_F(SyslogTest, EveryNoticeIsNumberedEvenWhenItIsNotDelivered) {
  tSyslogRec notice;
  notice.ID = 1;
  notice.Msg = "m";
  PostSyslogMsg(notice);
  os_.send_error = 10051;
  PostSyslogMsg(notice);
  os_.send_error = 0;
  PostSyslogMsg(notice);
  ASSERT_EQ(os_.datagrams.size(), 2u);
  EXPECT_EQ(os_.datagrams[0].payload, "<0>:00001 m H=\"\" (ID=00001)");
  EXPECT_EQ(os_.datagrams[1].payload, "<0>:00003 m H=\"\" (ID=00001)");
  gGlobalSettings.SyslogSequence = 32766;
  PostSyslogMsg(notice);
  PostSyslogMsg(notice);
  PostSyslogMsg(notice);
  EXPECT_EQ(os_.datagrams[2].payload.substr(0, 9), "<0>:32767");
  EXPECT_EQ(os_.datagrams[3].payload.substr(0, 9), "<0>:00000");
  EXPECT_EQ(os_.datagrams[4].payload.substr(0, 9), "<0>:00001");
  EXPECT_EQ(notice.Msg, "m");
  EXPECT_TRUE(os_.written.empty());
  EXPECT_EQ(gGlobalSettings.CallDepth, 0);
}

TEST_F(SyslogTest, ASocketPerDatagramWithBroadcastOnAndOff) {
  EXPECT_EQ(PostUDPMessage("one", 514), 0);
  EXPECT_EQ(PostUDPMessage("", 66050), 0);  // only the low 16 bits of the port count
  EXPECT_EQ(os_.socket_calls,
            (std::vector<std::string>{"socket 1", "broadcast 1 on", "send 1", "broadcast 1 off",
                                      "close 1", "socket 2", "broadcast 2 on", "send 2",
                                      "broadcast 2 off", "close 2"}));
  ASSERT_EQ(os_.datagrams.size(), 2u);
  EXPECT_EQ(os_.datagrams[1].port, 514);
  EXPECT_EQ(os_.datagrams[1].payload, "");
  EXPECT_EQ(os_.start_calls, 1);  // started once, on first use
}

TEST_F(SyslogTest, NoPortNoSocket) {
  EXPECT_EQ(PostUDPMessage("x", 0), 0);
  EXPECT_EQ(PostUDPMessage("x", -514), 0);
  EXPECT_TRUE(os_.socket_calls.empty());
  EXPECT_EQ(os_.start_calls, 1);
}

TEST_F(SyslogTest, AFailedSendIsMinusOneAndNothingElse) {
  struct Case {
    const char* what;
    std::function<void()> setup;
    size_t calls;  // socket calls made, the close included
  } cases[] = {
      {"unreachable", [&] { os_.send_error = 10051; }, 4},
      {"too long", [&] { os_.send_error = 10040; }, 4},
      {"short send", [&] { os_.send_short = true; }, 4},
      {"broadcast refused", [&] { os_.broadcast_error = 10013; }, 3},
      {"no socket", [&] { os_.socket_error = 10024; }, 0},
  };
  for (const Case& c : cases) {
    Restart();
    c.setup();
    EXPECT_EQ(PostUDPMessage("x", 514), -1) << c.what;
    EXPECT_EQ(os_.sockets_open, 0) << c.what;
    EXPECT_EQ(os_.socket_calls.size(), c.calls) << c.what;
    if (c.calls > 0) {
      EXPECT_EQ(os_.socket_calls.back(), "close 1") << c.what;
    }
    EXPECT_TRUE(os_.written.empty()) << c.what;
    EXPECT_TRUE(os_.tones.empty()) << c.what;
    EXPECT_EQ(gGlobalSettings.CallDepth, 0) << c.what;
  }
}

TEST_F(SyslogTest, SocketsThatCannotStartAreReportedUnlessTheNetworkIsUnreachable) {
  os_.start_error = 10091;
  EXPECT_EQ(PostUDPMessage("x", 514), -2);
  // The report's own notice tried once more, failed again, and its report was the last.
  EXPECT_EQ(os_.written.size(), 2u);
  EXPECT_NE(os_.files[os_.written[0]].find("<Function>mef32.PostUDPMessage</Function>\r\n"
                                           "<CallingFunction></CallingFunction>\r\n"
                                           "<Trace>200</Trace>"),
            std::string::npos);
  EXPECT_NE(os_.files[os_.written[0]].find("<ClassName>ESocketError</ClassName>"),
            std::string::npos);
  EXPECT_NE(os_.files[os_.written[0]].find("10091"), std::string::npos);

  Restart();
  os_.start_error = 10051;
  EXPECT_EQ(PostUDPMessage("x", 514), -2);
  EXPECT_TRUE(os_.written.empty());
  EXPECT_TRUE(os_.tones.empty());
  // Started again on the next call, and this time it works.
  os_.start_error = 0;
  EXPECT_EQ(PostUDPMessage("x", 514), 0);
  EXPECT_EQ(os_.start_calls, 2);
  EXPECT_EQ(os_.datagrams.size(), 1u);
  EXPECT_EQ(gGlobalSettings.CallDepth, 0);
}

}  // namespace
}  // namespace mef32
