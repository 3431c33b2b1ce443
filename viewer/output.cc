#include "viewer/output.h"

#include <cstring>
#include <memory>

#include "platform/os.h"
#include "viewer/failure.h"

namespace tessal {
namespace {

constexpr size_t kCapacity = 256 * 1024;

struct tOutBuffer {
  std::unique_ptr<char[]> data{new char[kCapacity + kOutScribble]};
  size_t used = 0;
  bool console = false;
};

tOutBuffer& Buffer() {
  static tOutBuffer buffer;
  return buffer;
}

void WriteOut(const char* data, size_t size) {
  const platform::ErrorCode error = platform::Current().WriteStdout(data, size);
  if (error != platform::kErrorNone) RaiseInOutError(error);
}

}  // namespace

void OutStart() {
  tOutBuffer& out = Buffer();
  out.used = 0;
  out.console = platform::Current().StdoutIsConsole();
}

void OutText(std::string_view text) {
  tOutBuffer& out = Buffer();
  if (text.size() > kCapacity - out.used) {
    OutFlush();
    if (text.size() >= kCapacity) {
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

char* OutReserve(size_t size) {
  tOutBuffer& out = Buffer();
  if (size > kCapacity) return nullptr;
  if (size > kCapacity - out.used) OutFlush();
  return out.data.get() + out.used;
}

void OutCommit(char* end) {
  tOutBuffer& out = Buffer();
  out.used = static_cast<size_t>(end - out.data.get());
}

bool OutIsConsole() { return Buffer().console; }

void OutFlush() {
  tOutBuffer& out = Buffer();
  if (out.used == 0) return;
  const size_t size = out.used;
  out.used = 0;  // a failed write is not tried again by the last-chance flush
  WriteOut(out.data.get(), size);
}

void OutDiscard() { Buffer().used = 0; }

}  // namespace tessal
