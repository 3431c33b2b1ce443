#include "viewer/record.h"

#include <gtest/gtest.h>

namespace tessal {
namespace {

TEST(ParseInteger, AcceptsDecimalAndHexForms) {
  struct Case {
    const char* text;
    bool ok;
    int32_t value;
  } cases[] = {
      {"0", true, 0},
      {"10", true, 10},
      {"00", true, 0},
      {"-0", true, 0},
      {"+31", true, 31},
      {"  15", true, 15},
      {"-2147483648", true, INT32_MIN},
      {"2147483647", true, INT32_MAX},
      {"000000000002147483647", true, INT32_MAX},
      {"$0A", true, 10},
      {"0x0A", true, 10},
      {"0X0a", true, 10},
      {"x1f", true, 31},
      {"X1F", true, 31},
      {"-$10", true, -16},
      {"$FFFFFFFF", true, -1},
      {"$80000000", true, INT32_MIN},
      {"-$FFFFFFFF", true, 1},
      {"$000000000FFFFFFFF", true, -1},
      {" -0x7FFFFFFF", true, -INT32_MAX},
      // Failures.
      {"", false, 0},
      {" ", false, 0},
      {"-", false, 0},
      {"+", false, 0},
      {"$", false, 0},
      {"0x", false, 0},
      {"10 ", false, 0},
      {"\t10", false, 0},
      {"1 0", false, 0},
      {"--1", false, 0},
      {"+-1", false, 0},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"99999999999999999999", false, 0},
      {"$100000000", false, 0},
      {"0xG", false, 0},
      {"$-1", false, 0},
      {"ID", false, 0},
      {"1e3", false, 0},
      {"0b101", false, 0},
      {"\xff", false, 0},
  };
  for (const Case& c : cases) {
    int32_t value = 12345;
    EXPECT_EQ(ParseInteger(c.text, &value), c.ok) << '"' << c.text << '"';
    if (c.ok) {
      EXPECT_EQ(value, c.value) << '"' << c.text << '"';
    }
  }
}

TEST(SplitAuditRecord, SeventeenFieldsAndTheRest) {
  struct Case {
    const char* line;
    int field;
    const char* text;
  } cases[] = {
      // 18 commas: the rest keeps the last two pieces and the comma between them.
      {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19", kUserClassASCII, "17"},
      {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19", kRelayAgentInformation, "18,19"},
      // Exactly 17 commas, nothing after the last.
      {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,", kUserClassASCII, "17"},
      {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,", kRelayAgentInformation, ""},
      // Six commas: the seventh piece is the rest, fields 7 to 17 are empty.
      {"1,2,3,4,5,6,7", kHostName, "6"},
      {"1,2,3,4,5,6,7", kMACAddress, ""},
      {"1,2,3,4,5,6,7", kUserClassASCII, ""},
      {"1,2,3,4,5,6,7", kRelayAgentInformation, "7"},
      // Quotes mean nothing; blanks are kept.
      {"11,\"a,b\", x ", kDate, "\"a"},
      {"11,\"a,b\", x ", kTime, "b\""},
      {"11,\"a,b\", x ", kRelayAgentInformation, " x "},
      {",,", kID, ""},
      {",,", kRelayAgentInformation, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitAuditRecord(c.line).Text[c.field], c.text) << c.line << " field " << c.field;
  }
}

}  // namespace
}  // namespace tessal
