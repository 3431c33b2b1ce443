#include "platform/fake_os.h"

#include <algorithm>
#include <cstring>

#include "platform/rules.h"

namespace platform {

std::string FakeOs::Stdout() const {
  std::string text;
  for (const Event& event : events) {
    if (!event.is_attribute) text += event.text;
  }
  return text;
}

bool FakeOs::ConsoleTextAttribute(uint16_t* attribute) {
  Called(Operation::kConsoleTextAttribute);
  ++attribute_readings;
  if (!console) return false;
  *attribute = console_attribute;
  return true;
}

void FakeOs::SetTextAttribute(uint16_t attribute) {
  Called(Operation::kSetTextAttribute);
  events.push_back({true, {}, attribute});
}

ErrorCode FakeOs::WriteStdout(const char* data, size_t size) {
  Called(Operation::kWriteStdout);
  if (stdout_error != kErrorNone) return stdout_error;
  events.push_back({false, std::string(data, size), 0});
  return kErrorNone;
}

bool FakeOs::ChangeDirectory(const std::string& dir) {
  Called(Operation::kChangeDirectory);
  if (change_directory_fails || dir.empty()) return false;
  const bool known = std::find(directories.begin(), directories.end(), dir) != directories.end();
  if (known) current_directory = dir;
  return known;
}

bool FakeOs::FindFirst(const std::string& pattern) {
  Called(Operation::kFindFirst);
  searches.push_back(pattern);
  for (const auto& [name, contents] : files) {
    if (WildcardMatch(pattern, name)) return true;
  }
  for (const std::string& dir : directories) {
    // A folder is known by its name with and without its closing separator.
    std::string bare = dir;
    if (!bare.empty() && (bare.back() == '\\' || bare.back() == '/')) bare.pop_back();
    if (WildcardMatch(pattern, bare) || WildcardMatch(pattern, dir)) return true;
  }
  return false;
}

ErrorCode FakeOs::OpenForReading(const std::string& path, FileHandle* handle) {
  Called(Operation::kOpenForReading);
  const auto found = files.find(path);
  if (found == files.end()) return kErrorFileNotFound;
  open_files_.push_back(found->second);
  positions_.push_back(0);
  *handle = static_cast<FileHandle>(open_files_.size());
  return kErrorNone;
}

ErrorCode FakeOs::Read(FileHandle handle, char* buffer, size_t size, size_t* got) {
  Called(Operation::kRead);
  const size_t index = static_cast<size_t>(handle) - 1;
  const std::string& contents = open_files_.at(index);
  size_t& position = positions_.at(index);
  *got = std::min({size, read_chunk, contents.size() - position});
  if (*got == 0 && read_error != kErrorNone) return read_error;
  std::memcpy(buffer, contents.data() + position, *got);
  position += *got;
  return kErrorNone;
}

ErrorCode FakeOs::OpenRegistryKey(const std::string& subkey, uint32_t access, RegKey* key) {
  Called(Operation::kOpenRegistryKey);
  opened_access.push_back(access);
  if (registry.count(subkey) == 0) return kErrorFileNotFound;
  key_names_.push_back(subkey);
  *key = key_names_.size();
  ++open_keys;
  return kErrorNone;
}

ErrorCode FakeOs::QueryRegistryValue(RegKey key, const std::string& name, uint32_t* type,
                                     uint32_t* size, std::string* data) {
  Called(Operation::kQueryRegistryValue);
  if (key == 0 || key > key_names_.size()) return kErrorInvalidHandle;
  const auto& values = registry.at(key_names_[key - 1]);
  const auto found = values.find(name);
  if (found == values.end()) return kErrorFileNotFound;
  const RegistryValue& value = found->second;
  if (data != nullptr) {
    if (!value.readable) return kErrorAccessDenied;
    *data = value.data;
  }
  *type = value.type;
  *size = static_cast<uint32_t>(value.data.size());
  return kErrorNone;
}

void FakeOs::CloseRegistryKey(RegKey) {
  Called(Operation::kCloseRegistryKey);
  --open_keys;
}

namespace {
// Handles of files open for writing start here, apart from those open for reading.
constexpr FileHandle kWriting = 1 << 20;
}  // namespace

ErrorCode FakeOs::OpenForWriting(const std::string& path, bool append, FileHandle* handle) {
  Called(Operation::kOpenForWriting);
  const bool is_directory =
      std::find(directories.begin(), directories.end(), path) != directories.end();
  if (is_directory) return kErrorAccessDenied;
  if (std::find(unwritable.begin(), unwritable.end(), path) != unwritable.end()) {
    return kErrorPathNotFound;
  }
  if (!append || files.count(path) == 0) files[path].clear();
  written.push_back(path);
  writing_.push_back(path);
  ++files_open_for_writing;
  *handle = kWriting + static_cast<FileHandle>(writing_.size()) - 1;
  return kErrorNone;
}

ErrorCode FakeOs::Write(FileHandle handle, const char* data, size_t size) {
  Called(Operation::kWrite);
  if (write_error != kErrorNone) return write_error;
  files[writing_.at(static_cast<size_t>(handle - kWriting))].append(data, size);
  return kErrorNone;
}

ErrorCode FakeOs::Close(FileHandle handle) {
  Called(Operation::kClose);
  if (handle >= kWriting) --files_open_for_writing;
  return kErrorNone;
}

ErrorCode FakeOs::GetLocalTime(LocalTime* time) {
  Called(Operation::kGetLocalTime);
  if (failing_clock_readings.count(clock_readings++) != 0) return kErrorInvalidParameter;
  *time = now;
  return kErrorNone;
}

ErrorCode FakeOs::OpenUdpSocket(SocketHandle* socket) {
  Called(Operation::kOpenUdpSocket);
  if (socket_error != kErrorNone) return socket_error;
  *socket = ++sockets_made_;
  ++sockets_open;
  socket_calls.push_back("socket " + std::to_string(*socket));
  return kErrorNone;
}

ErrorCode FakeOs::SetBroadcast(SocketHandle socket, bool on) {
  Called(Operation::kSetBroadcast);
  socket_calls.push_back("broadcast " + std::to_string(socket) + (on ? " on" : " off"));
  return broadcast_error;
}

ErrorCode FakeOs::SendBroadcast(SocketHandle socket, const char* data, size_t size, uint16_t port,
                                size_t* sent) {
  Called(Operation::kSendBroadcast);
  socket_calls.push_back("send " + std::to_string(socket));
  if (send_error != kErrorNone) return send_error;
  datagrams.push_back({socket, port, std::string(data, size)});
  *sent = send_short && size > 0 ? size - 1 : size;
  return kErrorNone;
}

void FakeOs::CloseSocket(SocketHandle socket) {
  Called(Operation::kCloseSocket);
  socket_calls.push_back("close " + std::to_string(socket));
  --sockets_open;
}

}  // namespace platform
