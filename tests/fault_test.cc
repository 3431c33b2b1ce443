// The fault path: capture, the exception report, its tones and its syslog notice, on the fake.
#include <gtest/gtest.h>

#include <map>

#include "support/fake_os.h"
#include "support/toolkit_test.h"
#include "support/worked_example.h"
#include "toolkit/Mef32.h"
#include "toolkit/capture.h"

namespace mef32 {
namespace {

using Elements = std::map<std::string, std::string>;

// The elements of one exception file, by name; the file must be 17 CR LF-ended lines.
Elements Parse(const std::string& xml) {
  Elements elements;
  size_t begin = 0;
  int lines = 0;
  while (begin < xml.size()) {
    const size_t end = xml.find("\r\n", begin);
    EXPECT_NE(end, std::string::npos) << xml;
    if (end == std::string::npos) break;
    const std::string line = xml.substr(begin, end - begin);
    const size_t close = line.find('>');
    const size_t open = line.rfind("</");
    if (line[1] != '/' && open != std::string::npos && open > close) {
      elements[line.substr(1, close - 1)] = line.substr(close + 1, open - close - 1);
    }
    begin = end + 2;
    ++lines;
  }
  EXPECT_EQ(lines, 17) << xml;
  return elements;
}

class FaultTest : public testing_support::ToolkitTest<> {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    os_.directories = {"C:\\Tools\\"};
  }

  // Makes the platform operation fail with a failure of the Exception family.
  void Fail(platform::Operation operation, const char* class_name = "ERangeError",
            const char* message = "Range check error") {
    os_.on_call = [=](platform::Operation called) {
      if (called == operation) throw Exception(class_name, message);
    };
  }
  Elements Report(size_t index = 0) {
    EXPECT_GT(os_.written.size(), index);
    return index < os_.written.size() ? Parse(os_.files[os_.written[index]]) : Elements();
  }
};

const std::vector<std::pair<uint32_t, uint32_t>> kTones = {
    {200, 50}, {400, 50}, {800, 50}, {1600, 50}};

TEST_F(FaultTest, EachRoutineReportsItsOwnFailureAndAnswersItsFallback) {
  using platform::Operation;
  struct Case {
    Operation operation;
    const char* function;
    int trace;
    std::function<bool()> fallback_answered;
  } cases[] = {
      {Operation::kFindFirst, "mef32.FileExists", 100, [] { return FileExists("x") == false; }},
      {Operation::kFindFirst, "mef32.GetEXEPath", 100,
       [] { return GetEXEPath("vrel.exe").empty(); }},
      {Operation::kChangeDirectory, "mef32.SetPathToEXEPath", 0,
       [] { return SetPathToEXEPath().empty(); }},
      {Operation::kTickCount, "mef32.MachineUpTime", 0,
       [] {
         const tMachineUpTime up = MachineUpTime();
         return up.Text.empty() && up.TickCount == 0;
       }},
      {Operation::kStartSockets, "mef32.PostUDPMessage", 200,
       [] { return PostUDPMessage("x", 514) == -2; }},
  };
  for (const Case& c : cases) {
    Restart();
    gGlobalSettings.CallDepth = 5;
    int depth_in_report = -1;
    const Operation failing = c.operation;
    os_.on_call = [&, failing](Operation called) {
      if (called == failing && depth_in_report < 0) {
        depth_in_report = 0;
        throw Exception("ERangeError", "Range check error");
      }
    };
    EXPECT_TRUE(c.fallback_answered()) << c.function;
    EXPECT_EQ(gGlobalSettings.CallDepth, 5) << c.function;
    // One report: one file, one notice.
    ASSERT_EQ(os_.written.size(), 1u) << c.function;
    EXPECT_EQ(os_.datagrams.size(), 1u) << c.function;
    const Elements report = Report();
    EXPECT_EQ(report.at("Function"), c.function);
    EXPECT_EQ(report.at("Trace"), std::to_string(c.trace)) << c.function;
    EXPECT_EQ(report.at("ClassName"), "ERangeError");
    EXPECT_EQ(report.at("e.Message"), "Range check error");
    EXPECT_EQ(report.at("SQL"), "");
    EXPECT_EQ(report.at("CallingFunction"), "");
    EXPECT_EQ(report.at("Notes"), "");
    EXPECT_EQ(report.at("Count"), "0");
    EXPECT_EQ(os_.tones, kTones) << c.function;  // bBeep was set
  }
}

TEST_F(FaultTest, CallDepthCountsEveryRoutineUnderWay) {
  int depth_at_tone = -1;
  os_.on_call = [&](platform::Operation called) {
    if (called == platform::Operation::kFindFirst) {
      throw Exception("ERangeError", "Range check error");
    }
    if (called == platform::Operation::kStartSockets && depth_at_tone < 0) {
      depth_at_tone = gGlobalSettings.CallDepth;
    }
  };
  FileExists("x");
  // FileExists, the report, PostSyslogMsg and PostUDPMessage are under way.
  EXPECT_EQ(depth_at_tone, 4);
  EXPECT_EQ(gGlobalSettings.CallDepth, 0);
}

TEST_F(FaultTest, FailuresOfOtherTypesPassThroughWithCallDepthRestored) {
  os_.on_call = [](platform::Operation called) {
    if (called == platform::Operation::kFindFirst) throw std::logic_error("not ours");
  };
  EXPECT_THROW(FileExists("x"), std::logic_error);
  EXPECT_THROW(GetEXEPath("vrel.exe"), std::logic_error);
  EXPECT_EQ(gGlobalSettings.CallDepth, 0);
  EXPECT_TRUE(os_.written.empty());
}

TEST_F(FaultTest, TheWorkedExampleFile) {
  os_.tick_count = 700000000;
  const tExceptionRec record = testing_support::WorkedExampleFault();
  std::string saved;
  SaveExceptionRecAsXML(record, saved);
  EXPECT_EQ(saved, "E!AuditView-20221102140840123.xml");
  EXPECT_EQ(os_.files[saved],
            "<xml>\r\n<Exception>\r\n<DateTime>2022-11-02 14:08:40.123</DateTime>\r\n"
            "<MachineUpTime>1w1d02h26m40s</MachineUpTime>\r\n<SelfName>AuditView</SelfName>\r\n"
            "<Version>2.4.1.7</Version>\r\n<Function>mef32.GetEXEPath</Function>\r\n"
            "<CallingFunction></CallingFunction>\r\n<Trace>100</Trace>\r\n"
            "<HostName>WS042</HostName>\r\n<ClassName>ERangeError</ClassName>\r\n"
            "<e.Message>Range check error</e.Message>\r\n<SQL></SQL>\r\n<Notes></Notes>\r\n"
            "<Count>0</Count>\r\n</Exception>\r\n</xml>\r\n");
  EXPECT_EQ(os_.tones, kTones);
  ASSERT_EQ(os_.datagrams.size(), 1u);
  EXPECT_EQ(os_.datagrams[0].port, 514);
  EXPECT_EQ(os_.datagrams[0].payload,
            "<0>AuditView:00001 EXCEPTION:Func=mef32.GetEXEPath Trace=100 "
            "File=\"E!AuditView-20221102140840123.xml\" SelfName=AuditView Version=2.4.1.7 "
            "H=\"WS042\" (ID=00001)");
  EXPECT_EQ(gGlobalSettings.CallDepth, 0);
}

TEST_F(FaultTest, ValuesAreEscapedAndTheRegionalSeparatorIsUsed) {
  os_.time_separator = ".";
  tExceptionRec record;
  record.Message = "a < b && c > d\r\n<Forged>x</Forged>";
  record.Notes = "plain \"quoted\" 'text'";
  record.Count = -3;
  std::string saved;
  SaveExceptionRecAsXML(record, saved);
  EXPECT_EQ(saved, "E!-20221102140840123.xml");  // no self name
  const std::string& xml = os_.files[saved];
  EXPECT_NE(xml.find("<DateTime>2022-11-02 14.08.40.123</DateTime>"), std::string::npos);
  EXPECT_NE(xml.find("<e.Message>a &lt; b &amp;&amp; c &gt; d\r\n&lt;Forged&gt;x&lt;/Forged&gt;"
                     "</e.Message>\r\n"),
            std::string::npos);
  EXPECT_NE(xml.find("<Notes>plain \"quoted\" 'text'</Notes>"), std::string::npos);
  EXPECT_NE(xml.find("<Count>-3</Count>"), std::string::npos);
  EXPECT_TRUE(os_.tones.empty());  // bBeep false
  EXPECT_EQ(os_.datagrams.size(), 1u);
}

TEST_F(FaultTest, FileNamePlaceholdersAndUnwritableFiles) {
  struct Case {
    const char* file_name;
    const char* saved;
  } cases[] = {
      {"{selfname}-{selfname}.xml", "Tessal-{selfname}.xml"},
      {"{SelfName}{TIMESTAMP}-{timestamp}-{timestamp}",
       "{SelfName}{TIMESTAMP}-20221102140840123-{timestamp}"},
      {"fixed.xml", "fixed.xml"},
  };
  for (const Case& c : cases) {
    Restart();
    gGlobalSettings.SelfName = "Tessal";
    tExceptionRec record;
    record.FileName = c.file_name;
    std::string saved = "before";
    SaveExceptionRecAsXML(record, saved);
    EXPECT_EQ(saved, c.saved);
    EXPECT_EQ(os_.written, std::vector<std::string>{c.saved});
  }
  // A file that cannot be written costs only the file: tones and notice still come.
  Restart();
  tExceptionRec record;
  record.FileName = "C:\\missing\\x.xml";
  record.bBeep = true;
  std::string saved;
  SaveExceptionRecAsXML(record, saved);
  EXPECT_EQ(saved, "C:\\missing\\x.xml");
  EXPECT_EQ(os_.files.count("C:\\missing\\x.xml"), 0u);
  EXPECT_EQ(os_.tones, kTones);
  ASSERT_EQ(os_.datagrams.size(), 1u);
  EXPECT_NE(os_.datagrams[0].payload.find("File=\"C:\\missing\\x.xml\""), std::string::npos);
}

TEST_F(FaultTest, TheReportsOwnFailureIsReportedOnItsOwnCopy) {
  // The second clock reading, for the file name, fails: trace point 380.
  os_.failing_clock_readings = {1};
  tExceptionRec record;
  record.Function = "mef32.GetEXEPath";
  record.CallingFunction = "caller";
  record.SQL = "select";
  record.Notes = "notes";
  record.Count = 7;
  record.Trace = 100;
  const tExceptionRec before = record;
  std::string saved = "before";
  SaveExceptionRecAsXML(record, saved);
  EXPECT_EQ(saved, "");               // it failed before it had a name
  ASSERT_EQ(os_.written.size(), 1u);  // only the nested report got as far as its file
  const Elements nested = Report();
  EXPECT_EQ(nested.at("Function"), "mef32.SaveExceptionRecAsXML");
  EXPECT_EQ(nested.at("Trace"), "380");
  EXPECT_EQ(nested.at("ClassName"), "EOSError");
  EXPECT_EQ(nested.at("CallingFunction"), "caller");
  EXPECT_EQ(nested.at("SQL"), "select");
  EXPECT_EQ(nested.at("Notes"), "notes");
  EXPECT_EQ(nested.at("Count"), "7");
  EXPECT_EQ(os_.tones, kTones);  // the nested report beeps; the failed one never got there
  EXPECT_EQ(record.Function, before.Function);
  EXPECT_EQ(gGlobalSettings.CallDepth, 0);
}

TEST_F(FaultTest, AFaultThatRecursInEveryReportEnds) {
  struct Case {
    const char* what;
    std::function<void()> break_it;
    size_t files, tones;
    int socket_starts;
  } cases[] = {
      // Sockets never start: the report and one nested report, then the chain is dropped.
      {"sockets", [&] { os_.start_error = 10091; }, 2, 8, 2},
      // The clock always fails: neither report gets as far as its file.
      {"clock", [&] { os_.failing_clock_readings = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}; }, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Restart();
    c.break_it();
    Fail(platform::Operation::kFindFirst);
    gGlobalSettings.CallDepth = 3;
    EXPECT_FALSE(FileExists("x"));
    EXPECT_EQ(os_.written.size(), c.files) << c.what;
    EXPECT_EQ(os_.tones.size(), c.tones) << c.what;
    EXPECT_EQ(os_.start_calls, c.socket_starts) << c.what;
    EXPECT_TRUE(os_.datagrams.empty()) << c.what;
    EXPECT_EQ(gGlobalSettings.CallDepth, 3) << c.what;
  }
}

TEST_F(FaultTest, WriteTextToFile) {
  EXPECT_EQ(WriteTextToFile("", "a.txt", false), -1);
  EXPECT_EQ(os_.files.count("a.txt"), 0u);
  EXPECT_EQ(WriteTextToFile("one", "a.txt", true), 0);  // append to nothing creates
  EXPECT_EQ(WriteTextToFile("two", "a.txt", true), 0);
  EXPECT_EQ(os_.files["a.txt"], "onetwo");
  EXPECT_EQ(WriteTextToFile("", "a.txt", false), -1);
  EXPECT_EQ(os_.files["a.txt"], "onetwo");
  EXPECT_EQ(WriteTextToFile("three\r\n", "a.txt", false), 0);
  EXPECT_EQ(os_.files["a.txt"], "three\r\n");
  EXPECT_EQ(WriteTextToFile("x", "C:\\Tools\\", false), -5);  // a folder
  os_.write_error = 112;
  EXPECT_EQ(WriteTextToFile("x", "b.txt", false), -5);
  EXPECT_EQ(os_.files_open_for_writing, 0);  // closed before -5
  EXPECT_EQ(gGlobalSettings.CallDepth, 0);
}

TEST(MachineUpTimeFromTicks, SplitsTheTickCounter) {
  struct Case {
    uint32_t ticks;
    const char* text;
    double days;
  } cases[] = {
      {0, "0w0d00h00m00s", 0},
      {999, "0w0d00h00m00s", 0},
      {86400000, "0w1d00h00m00s", 1},
      {700000000, "1w1d02h26m40s", 700000.0 / 86400},
      {4294967295u, "7w0d17h02m47s", 4294967.0 / 86400},
      {3723000, "0w0d01h02m03s", 3723.0 / 86400},
  };
  for (const Case& c : cases) {
    const tMachineUpTime up = MachineUpTimeFromTicks(c.ticks);
    EXPECT_EQ(up.Text, c.text);
    EXPECT_EQ(up.TickCount, c.ticks);
    EXPECT_NEAR(up.TotalDays, c.days, 1e-9) << c.ticks;
  }
}

TEST(BooleanTStr, PicksByTheFlag) {
  EXPECT_EQ(BooleanTStr(true, "True", "False"), "True");
  EXPECT_EQ(BooleanTStr(false, "True", "False"), "False");
}

TEST(XmlText, EscapesOnlyTheMarkup) {
  EXPECT_EQ(XmlText("Range check error"), "Range check error");
  EXPECT_EQ(XmlText("<&>\"'\r\n\x01\xff"), "&lt;&amp;&gt;\"'\r\n\x01\xff");
  EXPECT_EQ(XmlText("&amp;"), "&amp;amp;");
}

}  // namespace
}  // namespace mef32
