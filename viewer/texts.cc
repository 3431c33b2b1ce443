#include "viewer/texts.h"

#include "viewer/record.h"

namespace tessal {
namespace {

// These texts are the program's own, byte for byte, doubled words, stray blanks and misspellings
// ("Unkonwn", "has began") included: users' scripts search for them. Do not correct them.
constexpr tPadded kLeased = Pad(" - A new IP address was leased to a client.");
constexpr tPadded kRenewed = Pad(" - A lease was renewed by a client.");
constexpr tPadded kReleased = Pad(" - A lease was released by a client.");
constexpr tPadded kDenied = Pad(" - A lease was A lease was denied.");
constexpr tPadded kCleanup = Pad(" -  IP address cleanup operation has began.");
constexpr tPadded kDnsRequest = Pad(" - DNS update request to the named DNS server.");
constexpr tPadded kDnsFailed = Pad(" - DNS update failed.");
constexpr tPadded kDnsDone = Pad(" - DNS update successful.");
constexpr tPadded kUnknownEvent = Pad(" - Unkonwn Event.");
constexpr tPadded kUnknownQuarantine = Pad(" - Unkonwn.");
constexpr tPadded kNoQuarantine = Pad(" - No Quarantine.");
constexpr tPadded kNoQuarantineInformation = Pad(" - No Quarantine Information ProbationTime.");

}  // namespace

const tPadded& EventText(int32_t id) {
  switch (id) {
    case 10:
      return kLeased;
    case 11:
      return kRenewed;
    case 12:
      return kReleased;
    case 15:
      return kDenied;
    case 24:
      return kCleanup;
    case 30:
      return kDnsRequest;
    case 31:
      return kDnsFailed;
    case 32:
      return kDnsDone;
    default:
      return kUnknownEvent;
  }
}

const tPadded& QuarantineText(std::string_view qr_result) {
  int32_t code = 0;
  if (!ParseInteger(qr_result, &code)) return kUnknownQuarantine;
  switch (code) {
    case 0:
      return kNoQuarantine;
    case 6:
      return kNoQuarantineInformation;
    default:
      return kUnknownQuarantine;
  }
}

}  // namespace tessal
