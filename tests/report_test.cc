#include "viewer/report.h"

#include <gtest/gtest.h>

#include "support/block_labels.h"
#include "support/fake_os.h"
#include "toolkit/Mef32.h"
#include "viewer/colours.h"
#include "viewer/output.h"

namespace tessal {
namespace {

class ReportLineTest : public ::testing::Test {
 protected:
  // The output of one line, or "" when it is dropped.
  std::string Report(std::string_view line) {
    os_.events.clear();
    tOutput out = StartOutput(os_);
    ReportLine(line, settings_, out);
    OutFlush(out);
    return os_.Stdout();
  }
  // The first output line of a report: the event line.
  std::string EventLine(std::string_view line) {
    const std::string out = Report(line);
    return out.substr(0, out.find("\r\n"));
  }
  std::string LineOf(std::string_view line, int number) {
    const std::string out = Report(line);
    size_t begin = 0;
    for (int i = 1; i < number; ++i) begin = out.find("\r\n", begin) + 2;
    return out.substr(begin, out.find("\r\n", begin) - begin);
  }

  platform::FakeOs os_;
  tRunSettings settings_;
};

constexpr const char* kWorkedLine =
    "11,11/02/22,14:08:40,Renew,192.168.10.25,PC-01,A1B2C3D4E5F6,,123,0,,,,0x4142,AB,,,0,0";

TEST_F(ReportLineTest, WritesTheNineteenLineBlock) {
  EXPECT_EQ(Report(kWorkedLine),
            "Event: 11 - A lease was renewed by a client.\r\n"
            "Date: 11/02/22\r\n"
            "Time: 14:08:40\r\n"
            "Description: Renew\r\n"
            "IP Address: 192.168.10.25\r\n"
            "Host Name: PC-01\r\n"
            "MAC Address: A1B2C3D4E5F6\r\n"
            "User Name: \r\n"
            "Transaction ID: 123\r\n"
            "QR Result: 0 - No Quarantine.\r\n"
            "Probation Time: \r\n"
            "Correlation ID: \r\n"
            "Dhc ID: \r\n"
            "VendorClass(Hex): 0x4142\r\n"
            "VendorClass(ASCII): AB\r\n"
            "UserClass(Hex): \r\n"
            "UserClass(ASCII): \r\n"
            "RelayAgentInformation: 0,0\r\n"
            "\r\n");
}

// The block writer copies texts in 32-byte chunks: each text of the line (the rest after the
// seventeenth comma too) at each length around one and two chunks, and one long, while the others
// stay short. Built in place (redirected output) and line by line (a console), the block is the
// plain one: the labels, the texts as they stand, CR LF after each line.
TEST_F(ReportLineTest, EveryTextAtTheLengthsAroundTheCopyWidths) {
  constexpr int kTexts = 18, kIDText = 0, kQRText = 9, kRest = 17;
  constexpr size_t kLengths[] = {0, 1, 31, 32, 33, 63, 64, 65, 1000};
  int salt = 0;  // a new pattern for each case, so that no earlier block leaves the right bytes
  for (int field = 0; field < kTexts; ++field) {
    for (size_t length : kLengths) {
      std::string texts[kTexts];
      for (int i = 0; i < kTexts; ++i) texts[i] = "t" + std::to_string(i);
      texts[kIDText] = "11";
      texts[kQRText] = "0";
      std::string& text = texts[field];
      text.clear();
      ++salt;
      for (size_t k = 0; k < length; ++k) {
        text += field == kRest && k % 7 == 3 ? ',' : static_cast<char>('a' + (k * 7 + salt) % 26);
      }
      std::string event = " - A lease was renewed by a client.";
      std::string quarantine = " - No Quarantine.";
      if (field == kIDText) {
        if (length == 0) continue;  // no record without an ID
        // Blanks before a number still make an ID; a single digit is an unknown event.
        text = length == 1 ? "7" : std::string(length - 2, ' ') + "11";
        if (length == 1) event = " - Unkonwn Event.";
      }
      if (field == kQRText) quarantine = " - Unkonwn.";
      std::string line = texts[0];
      for (int i = 1; i < kTexts; ++i) line += "," + texts[i];
      std::string block = testing_support::kBlockLabels[0] + texts[0] + event + "\r\n";
      for (int i = 1; i < kTexts; ++i) {
        block +=
            testing_support::kBlockLabels[i] + texts[i] + (i == kQRText ? quarantine : "") + "\r\n";
      }
      block += "\r\n";
      for (bool console : {false, true}) {
        os_.console = console;
        EXPECT_EQ(Report(line), block) << "text " << field << " of " << length << " bytes"
                                       << (console ? " on a console" : " redirected");
      }
    }
  }
}

TEST_F(ReportLineTest, EventTexts) {
  struct Case {
    const char* id;
    const char* event_line;
  } cases[] = {
      {"10", "Event: 10 - A new IP address was leased to a client."},
      {"11", "Event: 11 - A lease was renewed by a client."},
      {"12", "Event: 12 - A lease was released by a client."},
      {"15", "Event: 15 - A lease was A lease was denied."},
      {"24", "Event: 24 -  IP address cleanup operation has began."},
      {"30", "Event: 30 - DNS update request to the named DNS server."},
      {"31", "Event: 31 - DNS update failed."},
      {"32", "Event: 32 - DNS update successful."},
      {"0", "Event: 0 - Unkonwn Event."},
      {"00", "Event: 00 - Unkonwn Event."},
      {"-0", "Event: -0 - Unkonwn Event."},
      {"13", "Event: 13 - Unkonwn Event."},
      {" 10", "Event:  10 - A new IP address was leased to a client."},
      {"$0A", "Event: $0A - A new IP address was leased to a client."},
      {"0x0A", "Event: 0x0A - A new IP address was leased to a client."},
      {"2147483647", "Event: 2147483647 - Unkonwn Event."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EventLine(std::string(c.id) + ",d,t"), c.event_line) << c.id;
  }
}

TEST_F(ReportLineTest, QuarantineTexts) {
  struct Case {
    const char* qr;
    const char* line;
  } cases[] = {
      {"0", "QR Result: 0 - No Quarantine."},
      {"00", "QR Result: 00 - No Quarantine."},
      {"6", "QR Result: 6 - No Quarantine Information ProbationTime."},
      {"$6", "QR Result: $6 - No Quarantine Information ProbationTime."},
      {"", "QR Result:  - Unkonwn."},
      {"3", "QR Result: 3 - Unkonwn."},
      {"none", "QR Result: none - Unkonwn."},
      {"0 ", "QR Result: 0  - Unkonwn."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LineOf("11,,,,,,,,," + std::string(c.qr) + ",", 10), c.line) << c.qr;
  }
}

TEST_F(ReportLineTest, DropsWhatIsNoRecord) {
  const char* dropped[] = {
      "",       "no comma here", "11",           "ID,Date,Time,Description,IP Address",
      "10 ,d",  "-1,d",          "2147483648,d", ",d",
      "\t10,d",
  };
  for (const char* line : dropped) EXPECT_EQ(Report(line), "") << '"' << line << '"';
}

TEST_F(ReportLineTest, ExclusionIsASubstringOfTheIDText) {
  settings_.ExcludeIDs = "30,31";
  for (const char* id : {"30", "31", "3", "0", "1"}) {
    EXPECT_EQ(Report(std::string(id) + ",d"), "") << id;
  }
  for (const char* id : {"32", "13", "10", " 30"}) {
    EXPECT_NE(Report(std::string(id) + ",d"), "") << id;
  }
}

TEST_F(ReportLineTest, FiltersLookAtTheWholeLineIgnoringCaseOfAToZ) {
  struct Case {
    const char* filter1;
    const char* filter2;
    const char* line;
    bool reported;
  } cases[] = {
      {"", "", "11,x", true},
      {"", "PC-01", "11,PC-02", true},  // an empty first filter lets everything through
      {"PC-01", "", "11,pc-01", true},
      {"PC-01", "", "11,Pc-01.corp", true},
      {"PC-01", "", "11,PC-02", false},
      {"PC-01", "PC-02", "11,PC-02", true},
      {"PC-01", "PC-03", "11,PC-02", false},
      {"10", "", "11,192.168.10.4", true},  // commas and every field count
      {",PC", "", "11,pc", true},
      {"\xC9T\xC9", "", "11,\xE9t\xE9", false},  // letters beyond a to z keep their case
      {"\xC9T\xC9", "", "11,\xC9t\xC9", true},
  };
  for (const Case& c : cases) {
    settings_.Filter1 = c.filter1;
    settings_.Filter2 = c.filter2;
    EXPECT_EQ(Report(c.line) != "", c.reported) << c.filter1 << "|" << c.filter2 << "|" << c.line;
  }
}

TEST_F(ReportLineTest, OnlyTheEventLineOfDenialsAndFailedUpdatesIsRed) {
  os_.console = true;
  for (const char* id : {"15", "31"}) {
    Report(std::string(id) + ",d");
    ASSERT_GE(os_.events.size(), 4u) << id;
    EXPECT_TRUE(os_.events[0].is_attribute);
    EXPECT_EQ(os_.events[0].attribute, 12);
    EXPECT_FALSE(os_.events[1].is_attribute);
    EXPECT_EQ(os_.events[1].text, "Event: " + std::string(id) +
                                      (id[1] == '5' ? " - A lease was A lease was denied.\r\n"
                                                    : " - DNS update failed.\r\n"));
    EXPECT_TRUE(os_.events[2].is_attribute);
    EXPECT_EQ(os_.events[2].attribute, 7);
    // Then the 18 other lines, each written on its own, and no more colour.
    EXPECT_EQ(os_.events.size(), 21u);
    for (size_t i = 3; i < os_.events.size(); ++i) EXPECT_FALSE(os_.events[i].is_attribute);
  }
  Report("11,d");
  EXPECT_EQ(os_.events.size(), 19u);
  for (const auto& event : os_.events) EXPECT_FALSE(event.is_attribute);
}

TEST(BrightRedOn, KeepsTheBackgroundAndTheHigherBits) {
  EXPECT_EQ(BrightRedOn(0x07), 0x0C);
  EXPECT_EQ(BrightRedOn(0x1E), 0x1C);
  EXPECT_EQ(BrightRedOn(0xF0), 0xFC);
  EXPECT_EQ(BrightRedOn(0x8000 | 0x2A), 0x8000 | 0x2C);
}

TEST_F(ReportLineTest, RedIsDrawnOnTheUsersBackgroundAndTheirColoursComeBack) {
  os_.console = true;
  struct Case {
    uint16_t user, red;
  } cases[] = {
      {0x07, 0x0C},  // the default console: exactly 12, then 7
      {0x1E, 0x1C},  // "color 1e": yellow on blue
      {0x5F, 0x5C},  // the classic PowerShell console: white on magenta
      {0x4C, 0x4C},  // already red text: stays as it is
  };
  for (const Case& c : cases) {
    os_.console_attribute = c.user;
    os_.attribute_readings = 0;
    os_.events.clear();
    tOutput out = StartOutput(os_);
    ReportLine("15,d", settings_, out);
    ReportLine("31,d", settings_, out);
    OutFlush(out);
    std::vector<uint16_t> attributes;
    for (const auto& event : os_.events) {
      if (event.is_attribute) attributes.push_back(event.attribute);
    }
    EXPECT_EQ(attributes, (std::vector<uint16_t>{c.red, c.user, c.red, c.user})) << c.user;
    EXPECT_EQ(os_.attribute_readings, 1) << c.user;  // read once, before the first red line
    EXPECT_EQ(os_.interrupt_attribute, c.user);      // and what a Ctrl-C gives back
  }
}

TEST_F(ReportLineTest, RedirectedOutputHasNoColourAndComesInOneWrite) {
  Report("15,d");
  ASSERT_EQ(os_.events.size(), 1u);
  EXPECT_FALSE(os_.events[0].is_attribute);
  EXPECT_EQ(os_.events[0].text.substr(0, 45), "Event: 15 - A lease was A lease was denied.\r\n");
}

TEST_F(ReportLineTest, AFailedWriteIsAnInOutError) {
  os_.console = true;
  os_.stdout_error = 112;
  tOutput out = StartOutput(os_);
  try {
    ReportLine(kWorkedLine, settings_, out);
    FAIL() << "no failure";
  } catch (const mef32::Exception& failure) {
    EXPECT_EQ(failure.ClassName(), "EInOutError");
    EXPECT_EQ(failure.Message(), "I/O error 112");
  }
}

}  // namespace
}  // namespace tessal
