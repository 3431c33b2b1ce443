#include "viewer/record.h"

#include <bit>
#include <cstring>

#include "viewer/simd.h"

namespace tessal {
namespace {

constexpr int kCommas = kRelayAgentInformation;  // the seventeen that end the fields

// The commas among the 16 bytes at p, as bits: bit i for byte i.
inline uint32_t CommaMask(const char* p) {
#if defined(TESSAL_SSE2)
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(','))));
#else
  // Eight bytes at a time: a zero byte where a comma was, its top bit gathered into the mask.
  uint32_t mask = 0;
  for (int half = 0; half < 2; ++half) {
    uint64_t word;
    std::memcpy(&word, p + 8 * half, 8);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    const uint64_t x = word ^ 0x2C2C2C2C2C2C2C2Cull;
    const uint64_t low = 0x7F7F7F7F7F7F7F7Full;
    const uint64_t zero = ~(((x & low) + low) | x | low);
    mask |= static_cast<uint32_t>(((zero >> 7) * 0x0102040810204080ull) >> 56) << (8 * half);
  }
  return mask;
#endif
}

// Fills every text of the record. With kPadded, the kSplitReach bytes after the line may be read.
template <bool kPadded>
void SplitInto(std::string_view line, AuditRecord& record) {
  const char* const p = line.data();
  const size_t n = line.size();
  size_t start = 0;  // of the field under way
  int field = 0;
  size_t i = 0;
  // Sixteen bytes at a time: a mask of the commas among them.
  const size_t whole = kPadded ? n : n & ~size_t{15};
  for (; i < whole; i += 16) {
    uint32_t mask = CommaMask(p + i);
    if (n - i < 16) mask &= (1u << (n - i)) - 1;  // the bytes past the line are not its own
    for (; mask != 0; mask &= mask - 1) {
      const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
      record.Text[field] = std::string_view(p + start, at - start);
      start = at + 1;
      if (++field == kCommas) goto rest;
    }
  }
  for (; i < n; ++i) {
    if (p[i] == ',') {
      record.Text[field] = std::string_view(p + start, i - start);
      start = i + 1;
      if (++field == kCommas) goto rest;
    }
  }
  // Fields without a comma of their own are empty; they point at the end of the line, where
  // the bytes after a padded line may be read as after any other field.
  for (; field < kCommas; ++field) record.Text[field] = std::string_view(p + n, 0);
rest:
  record.Text[kRelayAgentInformation] = std::string_view(p + start, n - start);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

AuditRecord SplitAuditRecord(std::string_view line) {
  AuditRecord record;
  SplitInto<false>(line, record);
  return record;
}

void SplitPaddedAuditRecord(std::string_view line, AuditRecord& record) {
  SplitInto<true>(line, record);
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

bool IsReportedID(std::string_view id_text, std::string_view exclude_ids, int32_t* id) {
  if (!ParseInteger(id_text, id) || *id < 0) return false;
  return exclude_ids.empty() || exclude_ids.find(id_text) == std::string_view::npos;
}

}  // namespace tessal
