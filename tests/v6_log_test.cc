// The server's DHCPv6 log: which log a file is, the split of its lines, its event texts, and
// whole logs through ReportFile, the way a run reads them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_os.h"
#include "viewer/colours.h"
#include "viewer/log_kind.h"
#include "viewer/output.h"
#include "viewer/report.h"
#include "viewer/v6_record.h"
#include "viewer/v6_texts.h"

namespace tessal {
namespace {

TEST(LogKind, TheServersNameInAnyLetterCase) {
  struct Case {
    const char* name;
    tLogKind kind;
  } cases[] = {
      {"DhcpV6SrvLog-Thu.log", tLogKind::kIPv6},
      {"dhcpv6srvlog-mon.LOG", tLogKind::kIPv6},
      {"DHCPV6SRVLOG-Copy of Sun.log", tLogKind::kIPv6},
      {"DhcpV6SrvLog-.log", tLogKind::kIPv6},  // the star may stand for nothing
      {"DhcpSrvLog-Thu.log", tLogKind::kIPv4},
      {"DhcpV6SrvLog.log", tLogKind::kIPv4},
      {"DhcpV6SrvLog-Thu.log.bak", tLogKind::kIPv4},
      {"DhcpV6SrvLog-Thu.txt", tLogKind::kIPv4},
      {"Old-DhcpV6SrvLog-Thu.log", tLogKind::kIPv4},
      {"DhcpV6SrvLog-", tLogKind::kIPv4},
      {"", tLogKind::kIPv4},
  };
  for (const Case& c : cases) EXPECT_EQ(KindOfLogName(c.name), c.kind) << c.name;
}

TEST(LogKind, AHeaderSaysItsKindAndTheFirstRecordTakesTheName) {
  constexpr const char* kV6Header =
      "ID,Date,Time,Description,IPv6 Address,Host Name,Error Code, Duid Length, Duid "
      "Bytes(Hex),User Name,Dhcid,Subnet Prefix.";
  constexpr const char* kV4Header =
      "ID,Date,Time,Description,IP Address,Host Name,MAC Address,User Name, TransactionID";
  struct Case {
    const char* line;
    tLogKind by_name;
    tLogKind settled;
  } cases[] = {
      {kV6Header, tLogKind::kIPv4, tLogKind::kIPv6},
      {"id,date,time,description,ipv6 address", tLogKind::kIPv4, tLogKind::kIPv6},
      {kV4Header, tLogKind::kIPv6, tLogKind::kIPv4},
      {"11000,12/06/21,12:43:57,DHCPV6 Solicit", tLogKind::kIPv6, tLogKind::kIPv6},
      {"11000,12/06/21,12:43:57,DHCPV6 Solicit", tLogKind::kIPv4, tLogKind::kIPv4},
      {"0x2AF8,", tLogKind::kIPv6, tLogKind::kIPv6},  // the ID rule of a record
      // Lines of the header block, and lines no kind reports, settle nothing.
      {"", tLogKind::kIPv6, tLogKind::kUndecided},
      {"\t\tMicrosoft DHCPv6 Service Activity Log", tLogKind::kIPv6, tLogKind::kUndecided},
      {"11000\tDHCPv6 Solicit.", tLogKind::kIPv6, tLogKind::kUndecided},
      {"ID,Date,Time,Description,IPv4 Address", tLogKind::kIPv6, tLogKind::kUndecided},
      {" ID,Date,Time,Description,IPv6 Address", tLogKind::kIPv4, tLogKind::kUndecided},
      {"-1,x", tLogKind::kIPv6, tLogKind::kUndecided},
      {"10 ,x", tLogKind::kIPv6, tLogKind::kUndecided},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KindSettledBy(c.line, c.by_name), c.settled) << c.line;
  }
}

TEST(V6Record, SplitsAtTheFirstTwelveCommasAsTheIPv4LogDoes) {
  struct Case {
    const char* line;
    std::vector<std::string> texts;  // the thirteen, the rest last
  } cases[] = {
      // The server's thirteen commas: the rest holds one.
      {"11000,d,t,Solicit,2a02::1,host,,18,0004A3,,,,,",
       {"11000", "d", "t", "Solicit", "2a02::1", "host", "", "18", "0004A3", "", "", "", ","}},
      // Twelve fields: the twelfth has no comma of its own and stands as the rest.
      {"1,2,3,4,5,6,7,8,9,10,11,12",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "", "12"}},
      {"1,2,3,4,5,6,7,8,9,10,11,12,",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", ""}},
      {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13,14,15,16,17,18,19,20"}},
      {"no comma", {"", "", "", "", "", "", "", "", "", "", "", "", "no comma"}},
      // Quotes are bytes like any other: the comma inside them separates.
      {"1,\"a,b\", c ", {"1", "\"a", "b\"", "", "", "", "", "", "", "", "", "", " c "}},
  };
  for (const Case& c : cases) {
    const tV6Record record = SplitV6Record(c.line);
    std::vector<std::string> texts(std::begin(record.Text), std::end(record.Text));
    EXPECT_EQ(texts, c.texts) << c.line;
  }
}

TEST(V6Texts, TheServersMeaningsByteForByteAndUnkonwnForTheRest) {
  struct Case {
    int32_t id;
    const char* text;
  } cases[] = {
      {11000, " - DHCPv6 Solicit."},
      {11019, " - DHCPv6 Leases Expired and Leases Deleted ."},
      {11024, " - DNS IPv6 Update Successful."},
      {11028, " - DNS IPv6 update request failed as the DNS update request queue limit exceeded."},
      {11032, " - DHCPV6 Information Request from IPV6 Stateless Client."},
      // The gap in the server's table, its edges, and the IPv4 IDs.
      {11025, " - Unkonwn Event."},
      {11027, " - Unkonwn Event."},
      {10999, " - Unkonwn Event."},
      {11033, " - Unkonwn Event."},
      {1103, " - Unkonwn Event."},
      {10, " - Unkonwn Event."},
      {0, " - Unkonwn Event."},
  };
  for (const Case& c : cases) EXPECT_EQ(V6EventText(c.id), c.text) << c.id;
}

constexpr const char* kHeaderBlock =
    "\t\tMicrosoft DHCPv6 Service Activity Log\r\n"
    "\r\n"
    "Event ID  Meaning\r\n"
    "11000\tDHCPv6 Solicit.\r\n"
    "\r\n"
    "ID,Date,Time,Description,IPv6 Address,Host Name,Error Code, Duid Length, Duid "
    "Bytes(Hex),User Name,Dhcid,Subnet Prefix.\r\n";
constexpr const char* kSolicit =
    "11000,12/06/21,12:43:57,DHCPV6 Solicit,2a02:db8::6fc6,test-host,,18,0004A344,,,,,\r\n";
constexpr const char* kSolicitBlock =
    "Event: 11000 - DHCPv6 Solicit.\r\n"
    "Date: 12/06/21\r\n"
    "Time: 12:43:57\r\n"
    "Description: DHCPV6 Solicit\r\n"
    "IPv6 Address: 2a02:db8::6fc6\r\n"
    "Host Name: test-host\r\n"
    "Error Code: \r\n"
    "Duid Length: 18\r\n"
    "Duid Bytes(Hex): 0004A344\r\n"
    "User Name: \r\n"
    "Dhcid: \r\n"
    "Subnet Prefix: \r\n"
    "Further Fields: ,\r\n"
    "\r\n";
// The same line under the IPv4 labels: how it reads where nothing says DHCPv6.
constexpr const char* kSolicitAsIPv4 = "Event: 11000 - Unkonwn Event.\r\n";

class V6ReportFileTest : public ::testing::Test {
 protected:
  // The output of a whole log opened as name.
  std::string Report(const std::string& log, const std::string& name) {
    os_.events.clear();
    os_.files[name] = log;
    platform::FileHandle file = 0;
    EXPECT_EQ(os_.OpenForReading(name, &file), platform::kErrorNone);
    tOutput out = StartOutput(os_);
    ReportFile(os_, file, settings_, out, name);
    OutFlush(out);
    os_.Close(file);
    return os_.Stdout();
  }

  platform::FakeOs os_;
  tRunSettings settings_;
};

TEST_F(V6ReportFileTest, TheHeaderOrElseTheNameDecides) {
  const std::string v4_block = Report(kSolicit, "C:\\dhcp\\copy.log");
  ASSERT_EQ(v4_block.substr(0, std::string(kSolicitAsIPv4).size()), kSolicitAsIPv4);
  const std::string records = std::string(kSolicit) + kSolicit;
  struct Case {
    std::string log;
    const char* name;
    bool v6;
    int records;
  } cases[] = {
      {kHeaderBlock + records, "C:\\dhcp\\copy.log", true, 2},
      {kHeaderBlock + records, "C:\\dhcp\\DhcpSrvLog-Thu.log", true, 2},
      {records, "C:\\dhcp\\DhcpV6SrvLog-Thu.log", true, 2},
      {records, "C:/dhcp/dhcpv6srvlog-thu.log", true, 2},
      {records, "C:\\dhcp\\DhcpSrvLog-Thu.log", false, 2},
      {records, "C:\\DhcpV6SrvLog-Thu.log\\copy.log", false, 2},  // a folder's name says nothing
      // A header after the first record is a line like any other.
      {kSolicit + (kHeaderBlock + records), "C:\\dhcp\\copy.log", false, 3},
      // The IPv4 header says IPv4, whatever the name.
      {"ID,Date,Time,Description,IP Address,Host Name,MAC Address\r\n" + records,
       "C:\\dhcp\\DhcpV6SrvLog-Thu.log", false, 2},
  };
  for (const Case& c : cases) {
    std::string wanted;
    for (int i = 0; i < c.records; ++i) wanted += c.v6 ? kSolicitBlock : v4_block;
    EXPECT_EQ(Report(c.log, c.name), wanted) << c.name << "\n" << c.log;
  }
}

TEST_F(V6ReportFileTest, AFilterThatPassesOverTheHeaderLineStillFindsTheKind) {
  settings_.Filter1 = "TEST-HOST";  // the block scan would pass over every header line
  EXPECT_EQ(Report(kHeaderBlock + std::string(kSolicit), "C:\\dhcp\\copy.log"), kSolicitBlock);
  settings_.Filter1 = "OTHER-HOST";
  settings_.Filter2 = "TEST-HOST";
  EXPECT_EQ(Report(kHeaderBlock + std::string(kSolicit), "C:\\dhcp\\copy.log"), kSolicitBlock);
}

TEST_F(V6ReportFileTest, FiltersAndExclusionAsInTheIPv4Log) {
  const std::string log = std::string(kHeaderBlock) +
                          "11022,d,t,DNS IPv6 Update Request,2a02::1,pc-1,,,,,,,,\r\n"
                          "11023,d,t,DNS IPv6 Update Failed,2a02::1,PC-1,,,,,,,,\r\n"
                          "11024,d,t,DNS IPv6 Update Successful,2a02::1,pc-1,,,,,,,,\r\n"
                          "1102,d,t,?,2a02::1,pc-1,,,,,,,,\r\n"
                          "11000,d,t,DHCPV6 Solicit,2a02::2,pc-2,,,,,,,,\r\n";
  auto events = [&](const std::string& out) {
    std::vector<std::string> ids;
    for (size_t at = out.find("Event: "); at != std::string::npos; at = out.find("Event: ", at + 1))
      ids.push_back(out.substr(at + 7, out.find(' ', at + 7) - at - 7));
    return ids;
  };
  settings_.Filter1 = "PC-1";
  settings_.ExcludeIDs = "11022,11023";
  // 1102 is a piece of the exclusion text, so it goes as well.
  EXPECT_EQ(events(Report(log, "copy.log")), std::vector<std::string>{"11024"});
  settings_ = {};
  EXPECT_EQ(events(Report(log, "copy.log")),
            (std::vector<std::string>{"11022", "11023", "11024", "1102", "11000"}));
}

TEST_F(V6ReportFileTest, AShortLineShowsItsLastPieceOnTheLastLine) {
  EXPECT_EQ(Report(kHeaderBlock + std::string("11010,11/04/21,DHCPV6 Started\r\n"), "copy.log"),
            "Event: 11010 - DHCPv6 Started.\r\n"
            "Date: 11/04/21\r\n"
            "Time: \r\n"
            "Description: \r\n"
            "IPv6 Address: \r\n"
            "Host Name: \r\n"
            "Error Code: \r\n"
            "Duid Length: \r\n"
            "Duid Bytes(Hex): \r\n"
            "User Name: \r\n"
            "Dhcid: \r\n"
            "Subnet Prefix: \r\n"
            "Further Fields: DHCPV6 Started\r\n"
            "\r\n");
}

TEST_F(V6ReportFileTest, OnlyTheFullScopeAndFailedDnsUpdatesAreRed) {
  os_.console = true;
  struct Case {
    const char* id;
    bool red;
  } cases[] = {
      {"11009", true},  {"11023", true},  {"11028", true},  {"11029", true},
      {"11000", false}, {"11022", false}, {"11024", false}, {"11030", false},
      {"15", false},    {"31", false},  // red in the IPv4 log only
  };
  for (const Case& c : cases) {
    Report(kHeaderBlock + std::string(c.id) + ",d,t,x,,,,,,,,,,\r\n", "copy.log");
    std::vector<size_t> attributes;
    for (size_t i = 0; i < os_.events.size(); ++i) {
      if (os_.events[i].is_attribute) attributes.push_back(i);
    }
    if (!c.red) {
      EXPECT_TRUE(attributes.empty()) << c.id;
      EXPECT_EQ(os_.events.size(), 14u) << c.id;  // on a console each line goes out on its own
      continue;
    }
    // Red just around the event line, the user's colours right after it.
    ASSERT_EQ(attributes, (std::vector<size_t>{0, 2})) << c.id;
    EXPECT_EQ(os_.events[0].attribute, kAttributeBrightRed);
    EXPECT_EQ(os_.events[1].text.substr(0, 13), "Event: " + std::string(c.id) + " ");
    EXPECT_EQ(os_.events[2].attribute, platform::kAttributeDefault);
    EXPECT_EQ(os_.events.size(), 16u) << c.id;
  }
}

}  // namespace
}  // namespace tessal
