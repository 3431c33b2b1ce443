#include "viewer/v6_texts.h"

#include <algorithm>
#include <iterator>

namespace tessal {
namespace {

struct tV6Event {
  int32_t id;
  std::string_view text;
};

// As the server's header block lists them, in order of ID; the meanings byte for byte, their
// stray blank and letter case ("Deleted .", "DHCPV6", "IPV6") included, as the server writes them.
constexpr tV6Event kV6Events[] = {
    {11000, " - DHCPv6 Solicit."},
    {11001, " - DHCPv6 Advertise."},
    {11002, " - DHCPv6 Request."},
    {11003, " - DHCPv6 Confirm."},
    {11004, " - DHCPv6 Renew."},
    {11005, " - DHCPv6 Rebind."},
    {11006, " - DHCPv6 Decline."},
    {11007, " - DHCPv6 Release."},
    {11008, " - DHCPv6 Information Request."},
    {11009, " - DHCPv6 Scope Full."},
    {11010, " - DHCPv6 Started."},
    {11011, " - DHCPv6 Stopped."},
    {11012, " - DHCPv6 Audit log paused."},
    {11013, " - DHCPv6 Log File."},
    {11014, " - DHCPv6 Bad Address."},
    {11015, " - DHCPv6 Address is already in use."},
    {11016, " - DHCPv6 Client deleted."},
    {11017, " - DHCPv6 DNS record not deleted."},
    {11018, " - DHCPv6 Expired."},
    {11019, " - DHCPv6 Leases Expired and Leases Deleted ."},
    {11020, " - DHCPv6 Database cleanup begin."},
    {11021, " - DHCPv6 Database cleanup end."},
    {11022, " - DNS IPv6 Update Request."},
    {11023, " - DNS IPv6 Update Failed."},
    {11024, " - DNS IPv6 Update Successful."},
    {11028, " - DNS IPv6 update request failed as the DNS update request queue limit exceeded."},
    {11029, " - DNS IPv6 update request failed."},
    {11030, " - DHCPv6 stateless client records purged."},
    {11031,
     " - DHCPv6 stateless client record is purged as the purge interval has expired for this "
     "client record."},
    {11032, " - DHCPV6 Information Request from IPV6 Stateless Client."},
};

constexpr std::string_view kUnknownEvent = " - Unkonwn Event.";

}  // namespace

std::string_view V6EventText(int32_t id) {
  const tV6Event* const end = std::end(kV6Events);
  const tV6Event* found =
      std::lower_bound(std::begin(kV6Events), end, id,
                       [](const tV6Event& event, int32_t key) { return event.id < key; });
  return found != end && found->id == id ? found->text : kUnknownEvent;
}

}  // namespace tessal
