// Decoding of one audit-log line and its labelled report.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessal {

// The run settings, set once from the command line before the first line is read.
extern std::string LogFile;
extern std::string Filter1;  // upper-cased
extern std::string Filter2;  // upper-cased
extern std::string ExcludeIDs;

enum AuditField : int {
  kID,
  kDate,
  kTime,
  kDescription,
  kIPAddress,
  kHostName,
  kMACAddress,
  kUserName,
  kTransactionID,
  kQRResult,
  kProbationTime,
  kCorrelationID,
  kDhcID,
  kVendorClassHex,
  kVendorClassASCII,
  kUserClassHex,
  kUserClassASCII,
  kRelayAgentInformation,
  kAuditFieldCount
};

// The eighteen texts of one line: seventeen fields and the rest after the seventeenth comma.
// They are views into the line.
struct AuditRecord {
  std::string_view Text[kAuditFieldCount];
};

// Splits a line at its first seventeen commas; fields without a comma of their own stay empty.
AuditRecord SplitAuditRecord(std::string_view line);

// Converts decimal or $/x/X/0x/0X hexadecimal text, with leading blanks and a sign, to a 32-bit
// integer. False for any other form or a value out of range.
bool ParseInteger(std::string_view text, int32_t* value);

// Upper-cases the letters a to z only.
void AsciiUpperInPlace(std::string& text);

// Reports one log line as its 19-line block, or drops it silently.
void ReportLine(std::string_view line);
// The same for a line followed by kLineSlack readable bytes, as ReadLines hands them on.
void ReportPaddedLine(std::string_view line);

// With a first filter set, most lines need not be looked at one by one: a scan of the raw bytes
// finds the few that may contain a filter. False when the filters hold a CR or LF.
bool FiltersSkipLines();
// A position in the first line of [from, end) that may pass the filters (its bytes hold the
// first and last byte of a filter the right distance apart, letters in either case, or a CR
// that the reader drops), or end. from is the start of a line; end may be read up to.
const char* NextFilterCandidate(const char* from, const char* end);

}  // namespace tessal
