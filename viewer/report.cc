#include "viewer/report.h"

#include <cstring>

#include "platform/os.h"
#include "viewer/output.h"

namespace tessal {

std::string LogFile;
std::string Filter1;
std::string Filter2;
std::string ExcludeIDs;

namespace {

constexpr std::string_view kLabels[kAuditFieldCount] = {
    "Event: ",
    "Date: ",
    "Time: ",
    "Description: ",
    "IP Address: ",
    "Host Name: ",
    "MAC Address: ",
    "User Name: ",
    "Transaction ID: ",
    "QR Result: ",
    "Probation Time: ",
    "Correlation ID: ",
    "Dhc ID: ",
    "VendorClass(Hex): ",
    "VendorClass(ASCII): ",
    "UserClass(Hex): ",
    "UserClass(ASCII): ",
    "RelayAgentInformation: ",
};

std::string_view EventText(int32_t id) {
  switch (id) {
    case 10:
      return " - A new IP address was leased to a client.";
    case 11:
      return " - A lease was renewed by a client.";
    case 12:
      return " - A lease was released by a client.";
    case 15:
      return " - A lease was A lease was denied.";
    case 24:
      return " -  IP address cleanup operation has began.";
    case 30:
      return " - DNS update request to the named DNS server.";
    case 31:
      return " - DNS update failed.";
    case 32:
      return " - DNS update successful.";
    default:
      return " - Unkonwn Event.";
  }
}

std::string_view QuarantineText(std::string_view qr_result) {
  int32_t code = 0;
  if (!ParseInteger(qr_result, &code)) return " - Unkonwn.";
  switch (code) {
    case 0:
      return " - No Quarantine.";
    case 6:
      return " - No Quarantine Information ProbationTime.";
    default:
      return " - Unkonwn.";
  }
}

bool IsRedEvent(int32_t id) { return id == 15 || id == 31; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// An empty filter never occurs.
bool Occurs(const std::string& filter, std::string_view upper_line) {
  return !filter.empty() && upper_line.find(filter) != std::string_view::npos;
}

bool PassesFilters(std::string_view line) {
  if (Filter1.empty()) return true;
  static std::string upper;  // reused from line to line
  upper.assign(line);
  AsciiUpperInPlace(upper);
  return Occurs(Filter1, upper) || Occurs(Filter2, upper);
}

}  // namespace

void AsciiUpperInPlace(std::string& text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
  }
}

AuditRecord SplitAuditRecord(std::string_view line) {
  AuditRecord record;
  std::string_view rest = line;
  for (int field = 0; field < kRelayAgentInformation; ++field) {
    const size_t comma = rest.find(',');
    if (comma == std::string_view::npos) break;
    record.Text[field] = rest.substr(0, comma);
    rest.remove_prefix(comma + 1);
  }
  record.Text[kRelayAgentInformation] = rest;
  return record;
}

bool ParseInteger(std::string_view text, int32_t* value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) return false;
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    int digit = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0) return false;
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<unsigned>(digit);
    if (magnitude > (hex ? 0xFFFFFFFFull : 0x80000000ull)) return false;
  }
  int64_t result;
  if (hex) {
    // Hexadecimal digits give a 32-bit pattern: from 80000000 up it is negative.
    result = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
    if (negative) result = -result;
    *value = static_cast<int32_t>(static_cast<uint32_t>(result));
    return true;
  }
  result = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  if (result > INT32_MAX) return false;
  *value = static_cast<int32_t>(result);
  return true;
}

void ReportLine(std::string_view line) {
  if (!PassesFilters(line)) return;
  if (std::memchr(line.data(), ',', line.size()) == nullptr) return;
  const AuditRecord record = SplitAuditRecord(line);
  int32_t id = -1;
  if (!ParseInteger(record.Text[kID], &id)) id = -1;
  if (id < 0) return;
  if (!ExcludeIDs.empty() && ExcludeIDs.find(record.Text[kID]) != std::string::npos) return;

  const bool red = IsRedEvent(id);
  if (red) OutAttribute(platform::kAttributeBrightRed);
  OutText(kLabels[kID]);
  OutText(record.Text[kID]);
  OutText(EventText(id));
  OutEndLine();
  if (red) OutAttribute(platform::kAttributeDefault);
  for (int field = kDate; field < kAuditFieldCount; ++field) {
    OutText(kLabels[field]);
    OutText(record.Text[field]);
    if (field == kQRResult) OutText(QuarantineText(record.Text[kQRResult]));
    OutEndLine();
  }
  OutEndLine();
}

}  // namespace tessal
