// The syslog line and the XML element text. Checks: the line is its thirteen pieces in order;
// escaped text holds no markup, every "&" starts one of the three entities, and unescaping gives
// the value back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "toolkit/Mef32.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string Unescape(std::string_view text) {
  std::string value;
  for (size_t i = 0; i < text.size();) {
    if (text[i] != '&') {
      value += text[i++];
      continue;
    }
    bool known = false;
    for (auto [entity, c] : {std::pair{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}}) {
      if (text.substr(i, std::strlen(entity)) == entity) {
        value += c;
        i += std::strlen(entity);
        known = true;
        break;
      }
    }
    Check(known);
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  int32_t id;
  int16_t sequence;
  std::memcpy(&id, data, 4);
  std::memcpy(&sequence, data + 4, 2);
  const size_t self_size = data[6] % 16, host_size = data[7] % 16;
  std::string_view rest(reinterpret_cast<const char*>(data) + 8, size - 8);
  const std::string_view self = rest.substr(0, std::min(self_size, rest.size()));
  rest.remove_prefix(self.size());
  const std::string_view host = rest.substr(0, std::min(host_size, rest.size()));
  rest.remove_prefix(host.size());
  const std::string_view msg = rest;

  const std::string line = mef32::SyslogLine(id, msg, self, host, sequence);
  char number[32];
  std::snprintf(number, sizeof number, "<%d>", id / 10000);
  std::string want = number;
  want += self;
  std::snprintf(number, sizeof number, ":%.*d ", 5, sequence);
  want += number;
  want += msg;
  want += " H=\"";
  want += host;
  std::snprintf(number, sizeof number, "\" (ID=%.*d)", 5, id);
  want += number;
  Check(line == want);

  const std::string escaped = mef32::XmlText(msg);
  Check(escaped.find_first_of("<>") == std::string::npos);
  Check(Unescape(escaped) == msg);
  return 0;
}
