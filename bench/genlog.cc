// genlog: writes a synthetic DHCP server audit log of a given size to standard output, for
// timing Tessal on large inputs.
//
//   genlog SIZE_MB [SEED]
//
// Writes the header block the server puts at the top of every log, then whole records until at
// least SIZE_MB * 1,000,000 bytes are written. Lines end in CR LF. The same arguments always give
// byte-identical output (a fixed-seed PRNG, no clock, no locale). The mix is an office server's:
// lease renewals above all, each client's vendor class on its lease lines (so on most lines),
// fully qualified host names, DNS updates after new leases and some renewals, a few denials, and
// the 19 fields of a server that also logs DnsRegError. About 2% of the lines name the host
// printer-7, so a run with the filter printer-7 keeps about 2% of them.
//
// Build: g++ -std=c++20 -O2 -o genlog bench/genlog.cc
// The output is written as raw bytes; on Windows run it where standard output is not translated.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

namespace {

constexpr std::string_view kHeader =
    "\t\tMicrosoft DHCP Service Activity Log\r\n"
    "\r\n"
    "\r\n"
    "Event ID  Meaning\r\n"
    "00\tThe log was started.\r\n"
    "01\tThe log was stopped.\r\n"
    "02\tThe log was temporarily paused due to low disk space.\r\n"
    "10\tA new IP address was leased to a client.\r\n"
    "11\tA lease was renewed by a client.\r\n"
    "12\tA lease was released by a client.\r\n"
    "13\tAn IP address was found to be in use on the network.\r\n"
    "14\tA lease request could not be satisfied because the scope's address pool was exhausted.\r\n"
    "15\tA lease was denied.\r\n"
    "16\tA lease was deleted.\r\n"
    "17\tA lease was expired and DNS records for an expired leases have not been deleted.\r\n"
    "18\tA lease was expired and DNS records were deleted.\r\n"
    "20\tA BOOTP address was leased to a client.\r\n"
    "21\tA dynamic BOOTP address was leased to a client.\r\n"
    "22\tA BOOTP request could not be satisfied because the scope's address pool for BOOTP was "
    "exhausted.\r\n"
    "23\tA BOOTP IP address was deleted after checking to see it was not in use.\r\n"
    "24\tIP address cleanup operation has began.\r\n"
    "25\tIP address cleanup statistics.\r\n"
    "30\tDNS update request to the named DNS server.\r\n"
    "31\tDNS update failed.\r\n"
    "32\tDNS update successful.\r\n"
    "33\tPacket dropped due to NAP policy.\r\n"
    "34\tDNS update request failed.as the DNS update request queue limit exceeded.\r\n"
    "35\tDNS update request failed.\r\n"
    "36\tPacket dropped because the server is in failover standby role or the hash of the client "
    "ID does not match.\r\n"
    "50\tUnreachable domain.\r\n"
    "51\tAuthorization succeeded.\r\n"
    "52\tUpgraded to a Windows Server 2003 operating system.\r\n"
    "53\tCached authorization.\r\n"
    "54\tAuthorization failed.\r\n"
    "55\tAuthorization (servicing).\r\n"
    "56\tAuthorization failure, stopped servicing.\r\n"
    "57\tServer found in domain.\r\n"
    "58\tServer could not find domain.\r\n"
    "59\tNetwork failure.\r\n"
    "60\tNo DC is DS Enabled.\r\n"
    "61\tServer found that belongs to DS domain.\r\n"
    "62\tAnother server was found.\r\n"
    "63\tRestarting rogue detection.\r\n"
    "64\tNo DHCP enabled interfaces.\r\n"
    "\r\n"
    "QResult: 0: NoQuarantine, 1:Quarantine, 2:Drop Packet, 3:Probation,6:No Quarantine "
    "Information ProbationTime:Year-Month-Day Hour:Minute:Second:MilliSecond.\r\n"
    "\r\n"
    "ID,Date,Time,Description,IP Address,Host Name,MAC Address,User Name, TransactionID, "
    "QResult,Probationtime, CorrelationID,Dhcid,VendorClass(Hex),VendorClass(ASCII),"
    "UserClass(Hex),UserClass(ASCII),RelayAgentInformation,DnsRegError.\r\n";

constexpr std::string_view kDomain = ".corp.example";
constexpr std::string_view kMsftClass = "0x4D53465420352E30,MSFT 5.0";
constexpr std::string_view kAndroidClass = "0x616E64726F69642D646863702D3133,android-dhcp-13";
constexpr std::string_view kLinuxClass =
    "0x64686370636420392E342E313A4C696E75782D362E312E302D31332D616D6436343A7838365F36343A47"
    "656E75696E65496E74656C,dhcpcd 9.4.1:Linux-6.1.0-13-amd64:x86_64:GenuineIntel";
constexpr std::string_view kPrinterClass =
    "0x4865776C6574742D5061636B617264204A6574446972656374,Hewlett-Packard JetDirect";
constexpr int kHostCount = 400;    // host 0 is printer-7; the others never contain that text
constexpr int kFilterPercent = 2;  // share of events that concern printer-7

// splitmix64: small, fast and good enough for test data.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 .. n-1; the slight modulo bias does not matter here.
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }

 private:
  uint64_t state_;
};

// Output assembled in a large buffer and written in big blocks.
class Out {
 public:
  static constexpr size_t kCapacity = 8u << 20;
  static constexpr size_t kSlack = 64u << 10;  // far more than one event writes

  Out() : data_(new char[kCapacity]) {}
  ~Out() { delete[] data_; }
  Out(const Out&) = delete;
  Out& operator=(const Out&) = delete;

  void Text(std::string_view text) {
    std::memcpy(data_ + used_, text.data(), text.size());
    used_ += text.size();
  }
  void Char(char c) { data_[used_++] = c; }
  void Number(uint64_t value) {
    const auto result = std::to_chars(data_ + used_, data_ + kCapacity, value);
    used_ = static_cast<size_t>(result.ptr - data_);
  }
  void TwoDigits(int value) {
    Char(static_cast<char>('0' + value / 10));
    Char(static_cast<char>('0' + value % 10));
  }
  void EndLine() {
    Char('\r');
    Char('\n');
  }
  // Writes the buffer out when it is nearly full (or always, at the end).
  bool Drain(bool all) {
    if (used_ == 0 || (!all && used_ < kCapacity - kSlack)) return true;
    const bool ok = std::fwrite(data_, 1, used_, stdout) == used_;
    total_ += used_;
    used_ = 0;
    return ok;
  }
  uint64_t Total() const { return total_ + used_; }

 private:
  char* data_;
  size_t used_ = 0;
  uint64_t total_ = 0;
};

struct Host {
  std::string name;  // as the server logs it
  std::string ip;
  std::string mac;
  std::string_view vendor_class;  // "hex,ascii" or empty
};

Host MakeHost(int index, Random& random) {
  Host host;
  char digits[8];
  if (index == 0) {
    host.name = "printer-7";
    host.name += kDomain;
    host.vendor_class = kPrinterClass;
  } else if (index < 220) {
    std::snprintf(digits, sizeof digits, "%04d", index);
    host.name = std::string("PC-") + digits + std::string(kDomain);
    host.vendor_class = kMsftClass;
  } else if (index < 280) {
    std::snprintf(digits, sizeof digits, "%02d", index - 219);
    host.name = std::string("srv-build-") + digits + std::string(kDomain);
    host.vendor_class = kLinuxClass;
  } else if (index < 340) {
    std::snprintf(digits, sizeof digits, "%d", index - 279);
    host.name = std::string("LAPTOP-") + digits + std::string(kDomain);
    host.vendor_class = kMsftClass;
  } else if (index < 388) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(random.Next()));
    host.name = std::string("android-") + hex;
    host.vendor_class = kAndroidClass;
  } else {
    // The other printers are named by floor: nothing else contains printer-7.
    std::snprintf(digits, sizeof digits, "%d", index - 387);
    host.name = std::string("PRN-") + digits + "F" + std::string(kDomain);
    host.vendor_class = kPrinterClass;
  }
  // Office clients in 192.168.10-11.x, phones in the guest range 192.168.20.x.
  char ip[16];
  if (index >= 340 && index < 388) {
    std::snprintf(ip, sizeof ip, "192.168.20.%d", 10 + (index - 340));
  } else {
    std::snprintf(ip, sizeof ip, "192.168.%d.%d", 10 + index / 200, 10 + index % 200);
  }
  host.ip = ip;
  // Locally administered addresses: 02 followed by ten invented hex digits.
  char mac[13];
  std::snprintf(mac, sizeof mac, "02%010llX",
                static_cast<unsigned long long>(random.Next() & 0xFFFFFFFFFFull));
  host.mac = mac;
  return host;
}

// The log's clock: MM/DD/YY and HH:MM:SS, advancing through the days.
class Clock {
 public:
  void Advance(uint32_t seconds) {
    second_ += static_cast<int>(seconds);
    while (second_ >= 86400) {
      second_ -= 86400;
      NextDay();
    }
  }
  int Hour() const { return second_ / 3600; }
  void Write(Out& out) const {
    out.TwoDigits(month_);
    out.Char('/');
    out.TwoDigits(day_);
    out.Char('/');
    out.TwoDigits(year_ % 100);
    out.Char(',');
    out.TwoDigits(second_ / 3600);
    out.Char(':');
    out.TwoDigits(second_ / 60 % 60);
    out.Char(':');
    out.TwoDigits(second_ % 60);
  }

 private:
  void NextDay() {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year_ % 4 == 0 && year_ % 100 != 0) || year_ % 400 == 0;
    const int length = kDays[month_ - 1] + (month_ == 2 && leap ? 1 : 0);
    if (++day_ > length) {
      day_ = 1;
      if (++month_ > 12) {
        month_ = 1;
        ++year_;
      }
    }
  }

  int year_ = 2026;
  int month_ = 12;
  int day_ = 9;
  int second_ = 3;  // 00:00:03
};

class Generator {
 public:
  explicit Generator(uint64_t seed) : random_(seed) {
    for (int i = 0; i < kHostCount; ++i) hosts_[i] = MakeHost(i, random_);
  }

  bool Run(uint64_t target) {
    out_.Text(kHeader);
    System("00", "Started", "", true);
    clock_.Advance(1);
    System("55", "Authorized(servicing)", "corp.example", true);
    int cleanup_hour = clock_.Hour();
    while (out_.Total() < target) {
      clock_.Advance(random_.Below(3));
      if (clock_.Hour() != cleanup_hour) {
        cleanup_hour = clock_.Hour();
        Cleanup();
      }
      Event();
      if (!out_.Drain(false)) return false;
    }
    return out_.Drain(true) && std::fflush(stdout) == 0;
  }

 private:
  // One client event and the DNS updates that follow it.
  void Event() {
    const Host& host =
        random_.Below(100) < kFilterPercent ? hosts_[0] : hosts_[1 + random_.Below(kHostCount - 1)];
    const uint32_t roll = random_.Below(100);
    if (roll < 72) {
      Lease("11", "Renew", host);
      if (random_.Below(100) < 10) Dns(host);
    } else if (roll < 80) {
      Lease("10", "Assign", host);
      Dns(host);
    } else if (roll < 86) {
      Lease("12", "Release", host);
    } else if (roll < 89) {
      Nack(host);
    } else {
      Dns(host);  // the server refreshing a registration
    }
  }

  void Begin(std::string_view id) {
    out_.Text(id);
    out_.Char(',');
    clock_.Write(out_);
    out_.Char(',');
  }

  void Lease(std::string_view id, std::string_view description, const Host& host) {
    Begin(id);
    out_.Text(description);
    out_.Char(',');
    out_.Text(host.ip);
    out_.Char(',');
    out_.Text(host.name);
    out_.Char(',');
    out_.Text(host.mac);
    out_.Text(",,");
    out_.Number(random_.Next() & 0xFFFFFFFFu);
    out_.Text(",0,,,,");
    out_.Text(host.vendor_class.empty() ? std::string_view(",") : host.vendor_class);
    out_.Text(",,,,0");
    out_.EndLine();
  }

  void Nack(const Host& host) {
    // A client asking for an address from another network, with no vendor class logged.
    Begin("15");
    out_.Text("NACK,192.168.");
    out_.Number(random_.Below(2));
    out_.Char('.');
    out_.Number(2 + random_.Below(250));
    out_.Char(',');
    out_.Text(host.name);
    out_.Char(',');
    out_.Text(host.mac);
    out_.Text(",,");
    out_.Number(random_.Next() & 0xFFFFFFFFu);
    out_.Text(",0,,,,,,,,,0");
    out_.EndLine();
  }

  void Dns(const Host& host) {
    DnsLine("30", "DNS Update Request", host, 0);
    const uint32_t roll = random_.Below(100);
    if (roll < 92) {
      DnsLine("32", "DNS Update Successful", host, 0);
    } else {
      DnsLine("31", "DNS Update Failed", host, roll < 98 ? 9005 : 9002);
    }
  }

  void DnsLine(std::string_view id, std::string_view description, const Host& host,
               uint32_t error) {
    Begin(id);
    out_.Text(description);
    out_.Char(',');
    out_.Text(host.ip);
    out_.Char(',');
    out_.Text(host.name);
    out_.Text(",,,0,6,,,,,,,,,");
    out_.Number(error);
    out_.EndLine();
  }

  void Cleanup() {
    System("24", "Database Cleanup Begin", "", false);
    Begin("25");
    out_.Number(random_.Below(4));
    out_.Text(" leases expired and ");
    out_.Number(random_.Below(2));
    out_.Text(" leases deleted,,,,,0,6,,,,,,,,");
    out_.EndLine();
  }

  // A server line without a client: 19 fields, or 18 as the cleanup lines are written.
  void System(std::string_view id, std::string_view description, std::string_view host,
              bool dns_error_field) {
    Begin(id);
    out_.Text(description);
    out_.Text(",,");
    out_.Text(host);
    out_.Text(",,,0,6,,,,,,,,");
    if (dns_error_field) out_.Text(",0");
    out_.EndLine();
  }

  Random random_;
  Out out_;
  Clock clock_;
  Host hosts_[kHostCount];
};

bool ParseNumber(const char* text, uint64_t* value) {
  const char* end = text + std::strlen(text);
  const auto result = std::from_chars(text, end, *value);
  return result.ec == std::errc() && result.ptr == end && end != text;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t size_mb = 0;
  uint64_t seed = 1;
  if (argc < 2 || argc > 3 || !ParseNumber(argv[1], &size_mb) || size_mb > 1000000 ||
      (argc == 3 && !ParseNumber(argv[2], &seed))) {
    std::fputs("usage: genlog SIZE_MB [SEED]\n", stderr);
    return 2;
  }
  static Generator generator(seed);
  if (!generator.Run(size_mb * 1000000)) {
    std::fputs("genlog: write failed\n", stderr);
    return 1;
  }
  return 0;
}
