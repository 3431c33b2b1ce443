#include "viewer/block_writer.h"

#include <cstring>
#include <utility>

#include "viewer/output.h"

namespace tessal {
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

// "\r\n" and the label of every line after the first.
constexpr tPadded kLineStarts[kAuditFieldCount] = {
    Pad(""),
    Pad("\r\n", kLabels[kDate]),
    Pad("\r\n", kLabels[kTime]),
    Pad("\r\n", kLabels[kDescription]),
    Pad("\r\n", kLabels[kIPAddress]),
    Pad("\r\n", kLabels[kHostName]),
    Pad("\r\n", kLabels[kMACAddress]),
    Pad("\r\n", kLabels[kUserName]),
    Pad("\r\n", kLabels[kTransactionID]),
    Pad("\r\n", kLabels[kQRResult]),
    Pad("\r\n", kLabels[kProbationTime]),
    Pad("\r\n", kLabels[kCorrelationID]),
    Pad("\r\n", kLabels[kDhcID]),
    Pad("\r\n", kLabels[kVendorClassHex]),
    Pad("\r\n", kLabels[kVendorClassASCII]),
    Pad("\r\n", kLabels[kUserClassHex]),
    Pad("\r\n", kLabels[kUserClassASCII]),
    Pad("\r\n", kLabels[kRelayAgentInformation]),
};
constexpr tPadded kEventLabel = Pad("Event: ");
constexpr tPadded kBlockEnd = Pad("\r\n\r\n");

// Room a block needs besides the bytes of its line.
constexpr size_t kBlockRoom = 1024;

// Copies are made in whole chunks: they read up to a chunk past the end of a field, which the
// slack of the line it stands in covers, and write up to a chunk past the end of what is built,
// which the slack of the output buffer covers.
constexpr size_t kChunk = 32;
static_assert(kChunk <= kSlack, "a copy runs past the slack of the line or of the output");
static_assert(sizeof(tPadded::text) == 2 * kChunk, "a constant piece is copied in two chunks");

// Copies count bytes in whole chunks.
inline char* CopyChunks(char* to, const char* from, size_t count) {
  char* const end = to + count;
  do {
    std::memcpy(to, from, kChunk);
    to += kChunk;
    from += kChunk;
  } while (to < end);
  return end;
}

// A field: one chunk takes nearly every field whole.
inline char* PutField(char* to, std::string_view text) {
  std::memcpy(to, text.data(), kChunk);
  if (text.size() > kChunk) [[unlikely]] {
    CopyChunks(to + kChunk, text.data() + kChunk, text.size() - kChunk);
  }
  return to + text.size();
}

// A constant piece: labels take one chunk, the longer texts two.
inline char* Put(char* to, const tPadded& piece) {
  std::memcpy(to, piece.text, kChunk);
  if (piece.size > kChunk) std::memcpy(to + kChunk, piece.text + kChunk, kChunk);
  return to + piece.size;
}

// Lines 2 to 18: the line end before each, its label and its field, the quarantine text after
// the QR Result. Written out by the compiler for every field, so the sizes of the labels are
// constants and nothing is decided per field.
template <int... kFields>
inline char* PutFieldLines(char* to, const AuditRecord& record, const tPadded& quarantine,
                           std::integer_sequence<int, kFields...>) {
  (
      [&] {
        to = Put(to, kLineStarts[kFields + kDate]);
        to = PutField(to, record.Text[kFields + kDate]);
        if constexpr (kFields + kDate == kQRResult) to = Put(to, quarantine);
      }(),
      ...);
  return to;
}

// The block straight into the output buffer; false when it does not fit there.
bool WriteBlockInPlace(tOutput& out, const AuditRecord& record, size_t line_size,
                       const tPadded& event, const tPadded& quarantine) {
  char* to = OutReserve(out, line_size + kBlockRoom);
  if (to == nullptr) return false;
  to = Put(to, kEventLabel);
  to = PutField(to, record.Text[kID]);
  to = Put(to, event);
  to = PutFieldLines(to, record, quarantine,
                     std::make_integer_sequence<int, kAuditFieldCount - kDate>());
  OutCommit(out, Put(to, kBlockEnd));
  return true;
}

// The block line by line, each line flushed on a console, the event line in red where it asks.
void WriteBlockByLines(tOutput& out, const AuditRecord& record, int32_t id, const tPadded& event,
                       const tPadded& quarantine) {
  const bool red = IsRedEvent(id);
  if (red) OutRedStart(out);
  OutText(out, kLabels[kID]);
  OutText(out, record.Text[kID]);
  OutText(out, event.View());
  OutEndLine(out);
  if (red) OutRedEnd(out);
  for (int field = kDate; field < kAuditFieldCount; ++field) {
    OutText(out, kLabels[field]);
    OutText(out, record.Text[field]);
    if (field == kQRResult) OutText(out, quarantine.View());
    OutEndLine(out);
  }
  OutEndLine(out);
}

}  // namespace

void WriteBlock(tOutput& out, const AuditRecord& record, size_t line_size, int32_t id,
                const tPadded& event, const tPadded& quarantine) {
  if (OutIsConsole(out) || !WriteBlockInPlace(out, record, line_size, event, quarantine)) {
    WriteBlockByLines(out, record, id, event, quarantine);
  }
}

}  // namespace tessal
