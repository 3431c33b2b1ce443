#include "viewer/report.h"

#include <algorithm>
#include <cstring>

// The wide scans are for x86 and can be left out (TESSAL_SIMD=OFF) to build and test the
// portable path on its own.
#if !defined(TESSAL_NO_SIMD) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define TESSAL_X86_SIMD 1
#if defined(__SSE2__)
#define TESSAL_SSE2 1
#endif
#endif

#include "platform/os.h"
#include "platform/rules.h"
#include "viewer/linereader.h"
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

// Constant pieces stored with room behind them, copied in whole chunks.
struct tPadded {
  char text[64];
  size_t size;
};

constexpr tPadded Pad(std::string_view a, std::string_view b = {}) {
  tPadded padded{};
  for (char c : a) padded.text[padded.size++] = c;
  for (char c : b) padded.text[padded.size++] = c;
  return padded;
}

// Readable bytes for the empty fields to point at.
alignas(64) const char kNothing[kLineSlack] = {};

// The event and quarantine texts.
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
  for (char& c : text) c = platform::AsciiUpper(c);
}

namespace {

// Fills every text of the record. With kPadded, bytes past the end of the line may be read.
template <bool kPadded>
void SplitInto(std::string_view line, AuditRecord& record) {
  const char* const p = line.data();
  const size_t n = line.size();
  size_t start = 0;  // of the field under way
  int field = 0;
  size_t i = 0;
#if defined(TESSAL_SSE2)
  // Sixteen bytes at a time: a mask of the commas among them.
  const __m128i comma = _mm_set1_epi8(',');
  const size_t whole = kPadded ? n : n & ~size_t{15};
  for (; i < whole; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, comma)));
    if (n - i < 16) mask &= (1u << (n - i)) - 1;  // the bytes past the line are not its own
    while (mask != 0) {
      const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
      record.Text[field] = std::string_view(p + start, at - start);
      start = at + 1;
      if (++field == kRelayAgentInformation) goto rest;
      mask &= mask - 1;
    }
  }
#endif
  for (; i < n; ++i) {
    if (p[i] == ',') {
      record.Text[field] = std::string_view(p + start, i - start);
      start = i + 1;
      if (++field == kRelayAgentInformation) goto rest;
    }
  }
  for (int empty = field; empty < kRelayAgentInformation; ++empty) {
    record.Text[empty] = std::string_view(kNothing, 0);
  }
rest:
  record.Text[kRelayAgentInformation] = std::string_view(p + start, n - start);
}

}  // namespace

AuditRecord SplitAuditRecord(std::string_view line) {
  AuditRecord record;
  SplitInto<false>(line, record);
  return record;
}

bool ParseInteger(std::string_view text, int32_t* value) {
  // The common case first: a few decimal digits and nothing else.
  if (!text.empty() && text.size() <= 9) {
    uint32_t digits = 0;
    size_t k = 0;
    for (; k < text.size(); ++k) {
      const unsigned digit = static_cast<unsigned char>(text[k]) - unsigned{'0'};
      if (digit > 9) break;
      digits = digits * 10 + digit;
    }
    if (k == text.size()) {
      *value = static_cast<int32_t>(digits);
      return true;
    }
  }
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

namespace {

// Copies count bytes in whole 32-byte chunks: the source must have 32 readable bytes past the
// end of what is copied and the target room for 32 more. Most fields take one chunk.
inline char* CopyChunks(char* to, const char* from, size_t count) {
  char* const end = to + count;
  do {
    std::memcpy(to, from, 32);
    to += 32;
    from += 32;
  } while (to < end);
  return end;
}

inline char* Put(char* to, std::string_view text) {
  return CopyChunks(to, text.data(), text.size());
}
// A constant piece: labels take one chunk, the longer texts two.
inline char* Put(char* to, const tPadded& piece) {
  std::memcpy(to, piece.text, 32);
  if (piece.size > 32) std::memcpy(to + 32, piece.text + 32, 32);
  return to + piece.size;
}

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

// The block straight into the output buffer; false when it does not fit there.
bool WriteBlockInPlace(const AuditRecord& record, std::string_view line, const tPadded& event,
                       const tPadded& quarantine) {
  char* to = OutReserve(line.size() + kBlockRoom);
  if (to == nullptr) return false;
  to = Put(to, kEventLabel);
  to = Put(to, record.Text[kID]);
  to = Put(to, event);
  for (int field = kDate; field < kAuditFieldCount; ++field) {
    to = Put(to, kLineStarts[field]);
    to = Put(to, record.Text[field]);
    if (field == kQRResult) to = Put(to, quarantine);
  }
  OutCommit(Put(to, kBlockEnd));
  return true;
}

// The block line by line, each line flushed on a console, the event line in red where it asks.
void WriteBlockByLines(const AuditRecord& record, int32_t id, const tPadded& event,
                       const tPadded& quarantine) {
  const bool red = IsRedEvent(id);
  if (red) OutRedStart();
  OutText(kLabels[kID]);
  OutText(record.Text[kID]);
  OutText(std::string_view(event.text, event.size));
  OutEndLine();
  if (red) OutRedEnd();
  for (int field = kDate; field < kAuditFieldCount; ++field) {
    OutText(kLabels[field]);
    OutText(record.Text[field]);
    if (field == kQRResult) OutText(std::string_view(quarantine.text, quarantine.size));
    OutEndLine();
  }
  OutEndLine();
}

}  // namespace

namespace {

// One filter's first and last bytes, as the scan compares them: letters in either case.
struct tAnchor {
  uint8_t first_mask, first, last_mask, last;
  size_t last_offset;
};

tAnchor AnchorOf(const std::string& filter) {
  auto fold_mask = [](char c) -> uint8_t { return platform::AsciiLower(c) != c ? 0xDF : 0xFF; };
  const char first = filter.front(), last = filter.back();
  return {fold_mask(first), static_cast<uint8_t>(first), fold_mask(last),
          static_cast<uint8_t>(last), filter.size() - 1};
}

bool AnchorAt(const tAnchor& anchor, const char* at, const char* end) {
  return at + anchor.last_offset < end &&
         (static_cast<uint8_t>(at[0]) & anchor.first_mask) == anchor.first &&
         (static_cast<uint8_t>(at[anchor.last_offset]) & anchor.last_mask) == anchor.last;
}

// The whole filter at a position, letters a to z taken as upper case.
bool FilterAt(const std::string& filter, const char* at, const char* end) {
  if (static_cast<size_t>(end - at) < filter.size()) return false;
  for (size_t i = 0; i < filter.size(); ++i) {
    if (platform::AsciiUpper(at[i]) != filter[i]) return false;
  }
  return true;
}

// A CR not followed by LF, which the reader drops: the line may match only without it.
bool LoneCrAt(const char* at, const char* end) {
  return at[0] == '\r' && (at + 1 >= end || at[1] != '\n');
}

}  // namespace

bool FiltersSkipLines() {
  for (const std::string* filter : {&Filter1, &Filter2}) {
    if (filter->find_first_of("\r\n") != std::string::npos) return false;
  }
  return !Filter1.empty();
}

namespace {

// The filters as the scans compare them.
struct tScan {
  tAnchor one, other;
  bool two;
  size_t reach;  // bytes a wide step reads beyond its position, besides its own width
};

#if defined(TESSAL_X86_SIMD)
// A verified position among the flagged ones of a wide step, or nullptr.
const char* FirstTrueHit(const char* at, unsigned mask, const char* end, bool two) {
  for (; mask != 0; mask &= mask - 1) {
    const char* hit = at + __builtin_ctz(mask);
    if (FilterAt(Filter1, hit, end) || (two && FilterAt(Filter2, hit, end)) || LoneCrAt(hit, end)) {
      return hit;
    }
  }
  return nullptr;
}

// Thirty-two positions at a time where the processor has AVX2; *at is left where it stopped.
__attribute__((target("avx2"))) const char* ScanAvx2(const tScan& scan, const char*& at,
                                                     const char* end) {
  const __m256i first1 = _mm256_set1_epi8(static_cast<char>(scan.one.first));
  const __m256i first1_mask = _mm256_set1_epi8(static_cast<char>(scan.one.first_mask));
  const __m256i last1 = _mm256_set1_epi8(static_cast<char>(scan.one.last));
  const __m256i last1_mask = _mm256_set1_epi8(static_cast<char>(scan.one.last_mask));
  const __m256i first2 = _mm256_set1_epi8(static_cast<char>(scan.other.first));
  const __m256i first2_mask = _mm256_set1_epi8(static_cast<char>(scan.other.first_mask));
  const __m256i last2 = _mm256_set1_epi8(static_cast<char>(scan.other.last));
  const __m256i last2_mask = _mm256_set1_epi8(static_cast<char>(scan.other.last_mask));
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i lf = _mm256_set1_epi8('\n');
#define TESSAL_LOAD32(from_here) _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from_here))
  for (; static_cast<size_t>(end - at) >= scan.reach + 32; at += 32) {
    const __m256i bytes = TESSAL_LOAD32(at);
    __m256i hits = _mm256_and_si256(
        _mm256_cmpeq_epi8(_mm256_and_si256(bytes, first1_mask), first1),
        _mm256_cmpeq_epi8(_mm256_and_si256(TESSAL_LOAD32(at + scan.one.last_offset), last1_mask),
                          last1));
    if (scan.two) {
      hits = _mm256_or_si256(
          hits, _mm256_and_si256(
                    _mm256_cmpeq_epi8(_mm256_and_si256(bytes, first2_mask), first2),
                    _mm256_cmpeq_epi8(
                        _mm256_and_si256(TESSAL_LOAD32(at + scan.other.last_offset), last2_mask),
                        last2)));
    }
    hits = _mm256_or_si256(hits, _mm256_andnot_si256(_mm256_cmpeq_epi8(TESSAL_LOAD32(at + 1), lf),
                                                     _mm256_cmpeq_epi8(bytes, cr)));
    const unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(hits));
    if (mask != 0) {
      if (const char* hit = FirstTrueHit(at, mask, end, scan.two)) return hit;
    }
  }
#undef TESSAL_LOAD32
  return nullptr;
}

bool HasAvx2() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}
#endif

}  // namespace

const char* NextFilterCandidate(const char* from, const char* end) {
  tScan scan{AnchorOf(Filter1), {}, !Filter2.empty(), 0};
  scan.other = scan.two ? AnchorOf(Filter2) : scan.one;
  scan.reach = std::max({scan.one.last_offset, scan.other.last_offset, size_t{1}});
  const tAnchor& one = scan.one;
  const tAnchor& other = scan.other;
  const bool two = scan.two;
  const char* at = from;
#if defined(TESSAL_X86_SIMD)
  if (HasAvx2()) {
    if (const char* hit = ScanAvx2(scan, at, end)) return hit;
  }
#endif
#if defined(TESSAL_SSE2)
  // Sixteen positions at a time: where both anchor bytes of a filter stand, or a lone CR.
  const __m128i first1 = _mm_set1_epi8(static_cast<char>(one.first));
  const __m128i first1_mask = _mm_set1_epi8(static_cast<char>(one.first_mask));
  const __m128i last1 = _mm_set1_epi8(static_cast<char>(one.last));
  const __m128i last1_mask = _mm_set1_epi8(static_cast<char>(one.last_mask));
  const __m128i first2 = _mm_set1_epi8(static_cast<char>(other.first));
  const __m128i first2_mask = _mm_set1_epi8(static_cast<char>(other.first_mask));
  const __m128i last2 = _mm_set1_epi8(static_cast<char>(other.last));
  const __m128i last2_mask = _mm_set1_epi8(static_cast<char>(other.last_mask));
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  auto load = [](const char* from_here) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(from_here));
  };
  for (; static_cast<size_t>(end - at) >= scan.reach + 16; at += 16) {
    const __m128i bytes = load(at);
    __m128i hits =
        _mm_and_si128(_mm_cmpeq_epi8(_mm_and_si128(bytes, first1_mask), first1),
                      _mm_cmpeq_epi8(_mm_and_si128(load(at + one.last_offset), last1_mask), last1));
    if (two) {
      hits = _mm_or_si128(
          hits, _mm_and_si128(_mm_cmpeq_epi8(_mm_and_si128(bytes, first2_mask), first2),
                              _mm_cmpeq_epi8(
                                  _mm_and_si128(load(at + other.last_offset), last2_mask), last2)));
    }
    hits = _mm_or_si128(
        hits, _mm_andnot_si128(_mm_cmpeq_epi8(load(at + 1), lf), _mm_cmpeq_epi8(bytes, cr)));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) {
      if (const char* hit = FirstTrueHit(at, mask, end, two)) return hit;
    }
  }
#endif
  for (; at < end; ++at) {
    if ((AnchorAt(one, at, end) && FilterAt(Filter1, at, end)) ||
        (two && AnchorAt(other, at, end) && FilterAt(Filter2, at, end)) || LoneCrAt(at, end)) {
      return at;
    }
  }
  return end;
}

void ReportPaddedLine(std::string_view line) {
  if (!PassesFilters(line)) return;
  // A line without a comma has an empty ID, which drops it below.
  static AuditRecord record;  // reused from line to line
  SplitInto<true>(line, record);
  int32_t id = -1;
  if (!ParseInteger(record.Text[kID], &id)) id = -1;
  if (id < 0) return;
  if (!ExcludeIDs.empty() && ExcludeIDs.find(record.Text[kID]) != std::string::npos) return;

  const tPadded& event = EventText(id);
  const tPadded& quarantine = QuarantineText(record.Text[kQRResult]);
  if (OutIsConsole() || !WriteBlockInPlace(record, line, event, quarantine)) {
    WriteBlockByLines(record, id, event, quarantine);
  }
}

void ReportLine(std::string_view line) {
  static tPaddedBuffer padded;  // reused from line to line
  padded.Clear();
  padded.Append(line.data(), line.size());
  ReportPaddedLine(padded.View());
}

}  // namespace tessal
