#include "viewer/output.h"

#include <cstring>
#include <memory>

#include "platform/os.h"
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

void OutAttribute(uint16_t attribute) {
  tOutBuffer& out = Buffer();
  if (!out.console) return;
  OutFlush();
  platform::Current().SetTextAttribute(attribute);
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
