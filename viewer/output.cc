#include "viewer/output.h"

#include <cstring>

#include "platform/os.h"
#include "platform/rules.h"
#include "viewer/failure.h"

namespace tessal {
namespace {

using detail::tOutBuffer;
tOutBuffer& Buffer() { return detail::gOut; }

void WriteOut(const char* data, size_t size) {
  const platform::ErrorCode error = platform::Current().WriteStdout(data, size);
  if (error != platform::kErrorNone) RaiseInOutError(error);
}

}  // namespace

namespace detail {
tOutBuffer gOut;
}  // namespace detail

void OutStart() {
  tOutBuffer& out = Buffer();
  out.used = 0;
  out.console = platform::Current().StdoutIsConsole();
  out.colours_known = false;
}

void OutText(std::string_view text) {
  tOutBuffer& out = Buffer();
  if (text.size() > detail::kOutCapacity - out.used) {
    OutFlush();
    if (text.size() >= detail::kOutCapacity) {
      WriteOut(text.data(), text.size());
      return;
    }
  }
  std::memcpy(out.data.get() + out.used, text.data(), text.size());
  out.used += text.size();
}

void OutEndLine() {
  OutText("\r\n");
  if (Buffer().console) OutFlush();
}

void OutRedStart() {
  tOutBuffer& out = Buffer();
  if (!out.console) return;
  OutFlush();
  platform::Os& os = platform::Current();
  if (!out.colours_known) {
    uint16_t user = platform::kAttributeDefault;
    if (!os.ConsoleTextAttribute(&user)) user = platform::kAttributeDefault;
    out.user_attribute = user;
    out.red_attribute = platform::BrightRedOn(user);
    out.colours_known = true;
    os.RestoreTextAttributeOnInterrupt(user);
  }
  os.SetTextAttribute(out.red_attribute);
}

void OutRedEnd() {
  tOutBuffer& out = Buffer();
  if (!out.console) return;
  OutFlush();
  platform::Current().SetTextAttribute(out.user_attribute);
}

void OutFlush() {
  tOutBuffer& out = Buffer();
  if (out.used == 0) return;
  const size_t size = out.used;
  out.used = 0;  // a failed write is not tried again by the last-chance flush
  WriteOut(out.data.get(), size);
}

void OutDiscard() { Buffer().used = 0; }

}  // namespace tessal
