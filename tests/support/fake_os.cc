#include "support/fake_os.h"

#include <algorithm>
#include <cstring>

#include "platform/rules.h"

namespace platform {
namespace {

bool IsSeparator(char c, PathStyle style) {
  return c == '/' || (style == PathStyle::kWindows && c == '\\');
}

// A folder's name without its closing separator; a root stays as it is.
std::string_view Bare(std::string_view name, PathStyle style) {
  if (name.size() > 1 && IsSeparator(name.back(), style)) name.remove_suffix(1);
  return name;
}

}  // namespace

std::string FakeOs::Stdout() const {
  std::string text;
  for (const Event& event : events) {
    if (!event.is_attribute) text += event.text;
  }
  return text;
}

bool FakeOs::SameName(std::string_view a, std::string_view b) const {
  if (style == PathStyle::kPosix) return a == b;
  return a.size() == b.size() && AsciiUpper(a) == AsciiUpper(b);
}

std::map<std::string, std::string>::iterator FakeOs::FindFile(const std::string& name) {
  if (style == PathStyle::kPosix) return files.find(name);
  return std::find_if(files.begin(), files.end(),
                      [&](const auto& file) { return SameName(file.first, name); });
}

bool FakeOs::IsFolder(std::string_view name) const {
  name = Bare(name, style);
  if (name.empty()) return false;
  for (const std::string& dir : directories) {
    if (SameName(Bare(dir, style), name)) return true;
  }
  // A folder that holds something: a file or folder named below it.
  auto below = [&](std::string_view entry) {
    return entry.size() > name.size() && SameName(entry.substr(0, name.size()), name) &&
           (IsSeparator(entry[name.size()], style) || IsSeparator(name.back(), style));
  };
  for (const auto& [file, contents] : files) {
    if (below(file)) return true;
  }
  return std::any_of(directories.begin(), directories.end(), below);
}

bool FakeOs::IsUnreadable(std::string_view name) const {
  return std::any_of(unreadable.begin(), unreadable.end(), [&](const std::string& other) {
    return SameName(Bare(other, style), Bare(name, style));
  });
}

// The one place where the fake decides why a name that is no file does not open.
ErrorCode FakeOs::WhyItDoesNotOpen(const std::string& name) const {
  if (name.empty()) return kErrorPathNotFound;
  if (IsFolder(name)) return kErrorAccessDenied;
  const size_t folder = DirectoryLength(name, style);
  if (folder > 0 && !IsFolder(std::string_view(name).substr(0, folder))) {
    return kErrorPathNotFound;
  }
  return kErrorFileNotFound;
}

FakeOs::OpenFile* FakeOs::Handle(FileHandle handle) {
  if (handle < 1 || static_cast<size_t>(handle) > handles_.size()) return nullptr;
  OpenFile& file = handles_[static_cast<size_t>(handle) - 1];
  return file.open ? &file : nullptr;
}

bool FakeOs::StdoutIsConsole() {
  Called(Operation::kStdoutIsConsole);
  return console;
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
  if (console) events.push_back({true, {}, attribute});
}

void FakeOs::RestoreTextAttributeOnInterrupt(uint16_t attribute) {
  Called(Operation::kRestoreTextAttributeOnInterrupt);
  interrupt_attribute = attribute;
}

ErrorCode FakeOs::WriteStdout(const char* data, size_t size) {
  Called(Operation::kWriteStdout);
  if (stdout_error != kErrorNone) return stdout_error;
  events.push_back({false, std::string(data, size), 0});
  return kErrorNone;
}

void FakeOs::WriteStderr(std::string_view text) {
  Called(Operation::kWriteStderr);
  stderr_text.append(text);
}

std::vector<std::string> FakeOs::Arguments() {
  Called(Operation::kArguments);
  return arguments;
}

std::string FakeOs::ModuleFileName() {
  Called(Operation::kModuleFileName);
  return module_file_name;
}

bool FakeOs::ChangeDirectory(const std::string& dir) {
  Called(Operation::kChangeDirectory);
  if (change_directory_fails || !IsFolder(dir)) return false;
  current_directory = dir;
  return true;
}

bool FakeOs::FindFirst(const std::string& pattern) {
  Called(Operation::kFindFirst);
  searches.push_back(pattern);
  const size_t folder_length = DirectoryLength(pattern, style);
  const std::string_view folder = std::string_view(pattern).substr(0, folder_length);
  const std::string_view name = std::string_view(pattern).substr(folder_length);
  if (name.empty() || (!folder.empty() && !IsFolder(folder))) return false;
  auto matches = [&](std::string_view entry_name) {
    return style == PathStyle::kWindows ? WildcardMatch(AsciiUpper(name), AsciiUpper(entry_name))
                                        : WildcardMatch(name, entry_name);
  };
  // Every folder lists itself and its parent.
  if (matches(".") || matches("..")) return true;
  // Files and folders, those named and those that hold them.
  std::vector<std::string_view> entries;
  for (const auto& [file, contents] : files) entries.push_back(file);
  for (const std::string& dir : directories) entries.push_back(dir);
  for (std::string_view entry : entries) {
    entry = Bare(entry, style);
    for (;;) {
      const size_t length = DirectoryLength(entry, style);
      if (SameName(entry.substr(0, length), folder) && matches(entry.substr(length))) return true;
      const std::string_view holder = Bare(entry.substr(0, length), style);
      if (length == 0 || holder == entry) break;
      entry = holder;
    }
  }
  return false;
}

bool FakeOs::IsExistingFile(const std::string& path) {
  Called(Operation::kIsExistingFile);
  return FindFile(path) != files.end();
}

ErrorCode FakeOs::FindFiles(const std::string& pattern, std::vector<FoundFile>* found) {
  Called(Operation::kFindFiles);
  found->clear();
  const size_t folder_length = DirectoryLength(pattern, style);
  const std::string_view folder = std::string_view(pattern).substr(0, folder_length);
  const std::string_view name = std::string_view(pattern).substr(folder_length);
  if (!folder.empty() && !IsFolder(folder)) return kErrorPathNotFound;
  if (IsUnreadable(folder)) return kErrorAccessDenied;
  auto matches = [&](std::string_view entry_name) {
    if (style == PathStyle::kWindows)
      return WildcardMatch(AsciiUpper(name), AsciiUpper(entry_name));
    if (entry_name.starts_with('.') && !name.starts_with('.')) return false;
    return WildcardMatch(name, entry_name);
  };
  for (const auto& [file, contents] : files) {
    const std::string_view entry(file);
    const size_t length = DirectoryLength(entry, style);
    if (!SameName(entry.substr(0, length), folder) || !matches(entry.substr(length))) continue;
    const auto time = write_times.find(file);
    found->push_back({file.substr(length), time == write_times.end() ? 0 : time->second});
  }
  return kErrorNone;
}

ErrorCode FakeOs::OpenForReading(const std::string& path, FileHandle* handle) {
  Called(Operation::kOpenForReading);
  const auto found = FindFile(path);
  if (found == files.end()) return WhyItDoesNotOpen(path);
  if (IsUnreadable(path)) return kErrorAccessDenied;
  handles_.push_back({found->first, false, true, 0});
  *handle = static_cast<FileHandle>(handles_.size());
  return kErrorNone;
}

ErrorCode FakeOs::Read(FileHandle handle, char* buffer, size_t size, size_t* got) {
  Called(Operation::kRead);
  *got = 0;
  OpenFile* file = Handle(handle);
  if (file == nullptr) return kErrorInvalidHandle;
  if (file->writing) return kErrorAccessDenied;
  // The file as it is now: what a writer added since is read too.
  const std::string& contents = files[file->name];
  const size_t position = std::min(file->position, contents.size());
  *got = std::min({size, read_chunk, contents.size() - position});
  if (*got == 0 && read_error != kErrorNone) return read_error;
  std::memcpy(buffer, contents.data() + position, *got);
  file->position = position + *got;
  return kErrorNone;
}

ErrorCode FakeOs::OpenForWriting(const std::string& path, bool append, FileHandle* handle) {
  Called(Operation::kOpenForWriting);
  auto file = FindFile(path);
  if (file == files.end()) {
    const ErrorCode error = WhyItDoesNotOpen(path);
    if (error != kErrorFileNotFound) return error;
    file = files.emplace(path, std::string()).first;
  } else {
    const std::string& name = file->first;
    if (std::any_of(read_only.begin(), read_only.end(),
                    [&](const std::string& other) { return SameName(other, name); })) {
      return kErrorAccessDenied;
    }
    // Windows shares a file open for writing with readers only.
    if (style == PathStyle::kWindows &&
        std::any_of(handles_.begin(), handles_.end(), [&](const OpenFile& other) {
          return other.open && other.writing && other.name == name;
        })) {
      return kErrorSharingViolation;
    }
    if (!append) file->second.clear();
  }
  written.push_back(path);
  ++files_open_for_writing;
  handles_.push_back({file->first, true, true, 0});
  *handle = static_cast<FileHandle>(handles_.size());
  return kErrorNone;
}

ErrorCode FakeOs::Write(FileHandle handle, const char* data, size_t size) {
  Called(Operation::kWrite);
  OpenFile* file = Handle(handle);
  if (file == nullptr) return kErrorInvalidHandle;
  if (!file->writing) return kErrorAccessDenied;
  if (write_error != kErrorNone) return write_error;
  files[file->name].append(data, size);
  return kErrorNone;
}

ErrorCode FakeOs::Close(FileHandle handle) {
  Called(Operation::kClose);
  OpenFile* file = Handle(handle);
  if (file == nullptr) return kErrorInvalidHandle;
  file->open = false;
  if (file->writing) --files_open_for_writing;
  return kErrorNone;
}

FileState FakeOs::StateOf(const std::string& name) {
  const auto time = write_times.find(name);
  return {std::find(not_regular.begin(), not_regular.end(), name) == not_regular.end(),
          files[name].size(), time == write_times.end() ? 0 : time->second};
}

ErrorCode FakeOs::OpenFileState(FileHandle handle, FileState* state) {
  Called(Operation::kOpenFileState);
  OpenFile* file = Handle(handle);
  if (file == nullptr) return kErrorInvalidHandle;
  *state = StateOf(file->name);
  return kErrorNone;
}

ErrorCode FakeOs::NamedFileState(const std::string& path, FileState* state) {
  Called(Operation::kNamedFileState);
  const auto found = FindFile(path);
  if (found == files.end()) return WhyItDoesNotOpen(path);
  *state = StateOf(found->first);
  return kErrorNone;
}

ErrorCode FakeOs::Rewind(FileHandle handle) {
  Called(Operation::kRewind);
  OpenFile* file = Handle(handle);
  if (file == nullptr) return kErrorInvalidHandle;
  file->position = 0;
  return kErrorNone;
}

void FakeOs::CatchStopRequests() {
  Called(Operation::kCatchStopRequests);
  catching_stops = true;
}

bool FakeOs::WaitForStop(uint32_t milliseconds) {
  Called(Operation::kWaitForStop);
  ++waits;
  waited_ms += milliseconds;
  tick_count += milliseconds;
  if (on_wait) on_wait();
  return catching_stops && stop_requested;
}

uint32_t FakeOs::TickCount() {
  Called(Operation::kTickCount);
  return tick_count;
}

ErrorCode FakeOs::GetLocalTime(LocalTime* time) {
  Called(Operation::kGetLocalTime);
  if (failing_clock_readings.count(clock_readings++) != 0) return kErrorInvalidParameter;
  *time = now;
  return kErrorNone;
}

std::string FakeOs::TimeSeparator() {
  Called(Operation::kTimeSeparator);
  return time_separator;
}

void FakeOs::Beep(uint32_t frequency, uint32_t milliseconds) {
  Called(Operation::kBeep);
  tones.emplace_back(frequency, milliseconds);
}

ErrorCode FakeOs::StartSockets() {
  Called(Operation::kStartSockets);
  ++start_calls;
  return start_error;
}

ErrorCode FakeOs::OpenUdpSocket(SocketHandle* socket) {
  Called(Operation::kOpenUdpSocket);
  if (socket_error != kErrorNone) return socket_error;
  *socket = ++sockets_made_;
  open_sockets_.insert(*socket);
  ++sockets_open;
  socket_calls.push_back("socket " + std::to_string(*socket));
  return kErrorNone;
}

ErrorCode FakeOs::SetBroadcast(SocketHandle socket, bool on) {
  Called(Operation::kSetBroadcast);
  socket_calls.push_back("broadcast " + std::to_string(socket) + (on ? " on" : " off"));
  if (open_sockets_.count(socket) == 0) return kWsaNotSocket;
  return broadcast_error;
}

ErrorCode FakeOs::SendBroadcast(SocketHandle socket, const char* data, size_t size, uint16_t port,
                                size_t* sent) {
  Called(Operation::kSendBroadcast);
  socket_calls.push_back("send " + std::to_string(socket));
  if (open_sockets_.count(socket) == 0) return kWsaNotSocket;
  if (send_error != kErrorNone) return send_error;
  datagrams.push_back({socket, port, std::string(data, size)});
  *sent = send_short && size > 0 ? size - 1 : size;
  return kErrorNone;
}

void FakeOs::CloseSocket(SocketHandle socket) {
  Called(Operation::kCloseSocket);
  socket_calls.push_back("close " + std::to_string(socket));
  if (open_sockets_.erase(socket) != 0) --sockets_open;
}

ErrorCode FakeOs::OpenRegistryKey(const std::string& subkey, uint32_t access, RegKey* key) {
  Called(Operation::kOpenRegistryKey);
  opened_keys.push_back(subkey);
  opened_access.push_back(access);
  // There is no registry on POSIX: every key reads as missing.
  if (style == PathStyle::kPosix) return kErrorFileNotFound;
  const auto found = std::find_if(registry.begin(), registry.end(),
                                  [&](const auto& entry) { return SameName(entry.first, subkey); });
  if (found == registry.end()) return kErrorFileNotFound;
  key_names_.push_back(found->first);
  keys_open_.push_back(true);
  *key = key_names_.size();
  ++open_keys;
  return kErrorNone;
}

ErrorCode FakeOs::QueryRegistryValue(RegKey key, const std::string& name, uint32_t* type,
                                     uint32_t* size, std::string* data) {
  Called(Operation::kQueryRegistryValue);
  if (key == 0 || key > key_names_.size() || !keys_open_[key - 1]) return kErrorInvalidHandle;
  const auto& values = registry[key_names_[key - 1]];
  const auto found = std::find_if(values.begin(), values.end(),
                                  [&](const auto& entry) { return SameName(entry.first, name); });
  if (found == values.end()) return kErrorFileNotFound;
  const RegistryValue& value = found->second;
  if (data != nullptr) {
    if (!value.readable) return kErrorAccessDenied;
    if (*size < value.data.size()) return kErrorMoreData;
    *data = value.data;
  }
  *type = value.type;
  *size = static_cast<uint32_t>(value.data.size());
  return kErrorNone;
}

void FakeOs::CloseRegistryKey(RegKey key) {
  Called(Operation::kCloseRegistryKey);
  if (key == 0 || key > key_names_.size() || !keys_open_[key - 1]) return;
  keys_open_[key - 1] = false;
  --open_keys;
}

}  // namespace platform
