#include "viewer/output.h"

#include <cstring>

#include "viewer/colours.h"
#include "viewer/failure.h"

namespace tessal {
namespace {

void WriteOut(tOutput& out, const char* data, size_t size) {
  const platform::ErrorCode error = out.os->WriteStdout(data, size);
  if (error != platform::kErrorNone) RaiseInOutError(error);
}

}  // namespace

tOutput StartOutput(platform::Os& os) {
  tOutput out;
  out.os = &os;
  out.data = NewAlignedBytes(kOutCapacity + kSlack);
  out.console = os.StdoutIsConsole();
  return out;
}

void OutText(tOutput& out, std::string_view text) {
  if (text.size() > kOutCapacity - out.used) {
    OutFlush(out);
    if (text.size() >= kOutCapacity) {
      WriteOut(out, text.data(), text.size());
      return;
    }
  }
  std::memcpy(out.data.get() + out.used, text.data(), text.size());
  out.used += text.size();
}

void OutEndLine(tOutput& out) {
  OutText(out, "\r\n");
  if (out.console) OutFlush(out);
}

void OutRedStart(tOutput& out) {
  if (!out.console) return;
  OutFlush(out);
  platform::Os& os = *out.os;
  if (!out.colours_known) {
    uint16_t user = platform::kAttributeDefault;
    if (!os.ConsoleTextAttribute(&user)) user = platform::kAttributeDefault;
    out.user_attribute = user;
    out.red_attribute = BrightRedOn(user);
    out.colours_known = true;
    os.RestoreTextAttributeOnInterrupt(user);
  }
  os.SetTextAttribute(out.red_attribute);
}

void OutRedEnd(tOutput& out) {
  if (!out.console) return;
  OutFlush(out);
  out.os->SetTextAttribute(out.user_attribute);
}

void OutFlush(tOutput& out) {
  if (out.used == 0) return;
  const size_t size = out.used;
  out.used = 0;  // a failed write is not tried again by the last-chance flush
  WriteOut(out, out.data.get(), size);
}

void OutDiscard(tOutput& out) { out.used = 0; }

}  // namespace tessal
