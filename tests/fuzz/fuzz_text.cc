// The syslog line and the XML text of the exception file, for any values. Checks: the line splits
// back into its pieces (priority, self name, sequence, message, host, ID), the numbers read back
// with at least five digits; escaped text holds no markup, every "&" starts one of the three
// entities, only "&", "<" and ">" are changed, and unescaping gives the value back; an exception
// file holding the values reads back element by element, in order, each value as it was given.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "support/fake_os.h"
#include "toolkit/Mef32.h"
#include "toolkit/capture.h"

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

// Takes prefix off the front of text, or answers false.
bool Eat(std::string_view& text, std::string_view prefix) {
  if (text.substr(0, prefix.size()) != prefix) return false;
  text.remove_prefix(prefix.size());
  return true;
}
bool EatBack(std::string_view& text, std::string_view suffix) {
  if (text.size() < suffix.size() || text.substr(text.size() - suffix.size()) != suffix) {
    return false;
  }
  text.remove_suffix(suffix.size());
  return true;
}

// A whole decimal number, with at least `places` digits after its sign.
int32_t Number(std::string_view text, size_t places) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  Check(error == std::errc() && end == text.data() + text.size());
  Check(text.size() - (text[0] == '-' ? 1 : 0) >= places);
  return value;
}

void CheckSyslogLine(int32_t id, int16_t sequence, std::string_view self, std::string_view host,
                     std::string_view msg) {
  const std::string line = mef32::SyslogLine(id, msg, self, host, sequence);
  std::string_view rest = line;
  Check(Eat(rest, "<"));
  const size_t close = rest.find('>');
  Check(close != std::string_view::npos);
  Check(Number(rest.substr(0, close), 1) == id / 10000);
  rest.remove_prefix(close + 1);
  Check(Eat(rest, self));
  Check(Eat(rest, ":"));
  const size_t blank = rest.find(' ');
  Check(blank != std::string_view::npos);
  Check(Number(rest.substr(0, blank), 5) == sequence);
  rest.remove_prefix(blank + 1);
  Check(EatBack(rest, ")"));
  const size_t id_at = rest.rfind("(ID=");
  Check(id_at != std::string_view::npos);
  Check(Number(rest.substr(id_at + 4), 5) == id);
  rest.remove_suffix(rest.size() - id_at);
  Check(EatBack(rest, "\" "));
  Check(EatBack(rest, host));
  Check(EatBack(rest, " H=\""));
  Check(rest == msg);
}

void CheckXmlText(std::string_view value) {
  const std::string escaped = mef32::XmlText(value);
  Check(escaped.find_first_of("<>") == std::string::npos);
  Check(Unescape(escaped) == value);
  size_t grown = 0;
  for (char c : value) grown += c == '&' ? 4 : c == '<' || c == '>' ? 3 : 0;
  Check(escaped.size() == value.size() + grown);
}

// The exception file of a record that carries the values: its elements, in order, read back.
void CheckExceptionFile(std::string_view self, std::string_view host, std::string_view msg) {
  platform::FakeOs os;
  platform::SetForTesting(&os);
  mef32::gGlobalSettings = mef32::tGlobalSettings();
  mef32::detail::ForgetSocketsStarted();
  mef32::gGlobalSettings.SelfName = self;
  mef32::gGlobalSettings.HostName = host;
  mef32::tExceptionRec record;
  record.Function = self;
  record.CallingFunction = host;
  record.ClassName = msg;
  record.Message = msg;
  record.SQL = host;
  record.Notes = msg;
  record.FileName = "report.xml";
  std::string saved;
  mef32::SaveExceptionRecAsXML(record, saved);
  platform::SetForTesting(nullptr);
  Check(saved == "report.xml" && os.written == std::vector<std::string>{saved});

  // Each element with the value it must hold; {} leaves the value unchecked.
  const std::pair<const char*, std::string_view> elements[] = {
      {"DateTime", {}},   {"MachineUpTime", {}},     {"SelfName", self}, {"Version", ""},
      {"Function", self}, {"CallingFunction", host}, {"Trace", "0"},     {"HostName", host},
      {"ClassName", msg}, {"e.Message", msg},        {"SQL", host},      {"Notes", msg},
      {"Count", "0"},
  };
  std::string_view rest = os.files[saved];
  Check(Eat(rest, "<xml>\r\n<Exception>\r\n"));
  for (const auto& [name, value] : elements) {
    Check(Eat(rest, "<") && Eat(rest, name) && Eat(rest, ">"));
    // Escaped text holds no "<": the next one opens the closing tag.
    const size_t end = rest.find('<');
    Check(end != std::string_view::npos);
    const std::string text = Unescape(rest.substr(0, end));
    if (value.data() != nullptr) Check(text == value);
    rest.remove_prefix(end);
    Check(Eat(rest, "</") && Eat(rest, name) && Eat(rest, ">\r\n"));
  }
  Check(rest == "</Exception>\r\n</xml>\r\n");
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

  CheckSyslogLine(id, sequence, self, host, msg);
  CheckXmlText(msg);
  CheckExceptionFile(self, host, msg);
  return 0;
}
