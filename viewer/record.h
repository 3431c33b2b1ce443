// One audit-log line as its record: seventeen fields and the rest, and the integer rule of the
// ID and QR Result fields.
#pragma once

#include <cstdint>
#include <string_view>

#include "viewer/buffers.h"

namespace tessal {

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
// They are views into the line; fields the line has no comma for are empty.
struct AuditRecord {
  std::string_view Text[kAuditFieldCount];
};

// Splits a line at its first seventeen commas.
AuditRecord SplitAuditRecord(std::string_view line);
// The same for a line followed by at least kSplitReach readable bytes (as the reader hands lines
// on), which lets the split look at whole 16-byte steps.
inline constexpr size_t kSplitReach = 16;
static_assert(kSplitReach <= kSlack, "the split runs past the slack lines are handed on with");
void SplitPaddedAuditRecord(std::string_view line, AuditRecord& record);

// The ID test and the exclusion test of a record, of either log: the ID text converts to a
// number that is not negative (*id), and does not occur in exclude_ids (anywhere, as a plain
// substring, the commas playing no part).
bool IsReportedID(std::string_view id_text, std::string_view exclude_ids, int32_t* id);

// Converts decimal or $/x/X/0x/0X hexadecimal text, with leading blanks and a sign, to a 32-bit
// integer. False for any other form or a value out of range.
bool ParseInteger(std::string_view text, int32_t* value);

}  // namespace tessal
