// A platform that hands every operation on to another one, by default the real layer. A
// wrapper derives from it and overrides only what it changes, so that a new operation is
// forwarded here, once, and not in each wrapper.
#pragma once

#include "platform/os.h"

namespace platform {

class ForwardingOs : public Os {
 public:
  explicit ForwardingOs(Os& to = Real()) : to_(&to) {}

  PathStyle Style() const override { return to_->Style(); }
  bool StdoutIsConsole() override { return to_->StdoutIsConsole(); }
  bool ConsoleTextAttribute(uint16_t* attribute) override {
    return to_->ConsoleTextAttribute(attribute);
  }
  void SetTextAttribute(uint16_t attribute) override { to_->SetTextAttribute(attribute); }
  void RestoreTextAttributeOnInterrupt(uint16_t attribute) override {
    to_->RestoreTextAttributeOnInterrupt(attribute);
  }
  ErrorCode WriteStdout(const char* data, size_t size) override {
    return to_->WriteStdout(data, size);
  }
  void WriteStderr(std::string_view text) override { to_->WriteStderr(text); }
  std::vector<std::string> Arguments() override { return to_->Arguments(); }
  std::string ModuleFileName() override { return to_->ModuleFileName(); }
  bool ChangeDirectory(const std::string& dir) override { return to_->ChangeDirectory(dir); }
  bool FindFirst(const std::string& pattern) override { return to_->FindFirst(pattern); }
  bool IsExistingFile(const std::string& path) override { return to_->IsExistingFile(path); }
  ErrorCode FindFiles(const std::string& pattern, std::vector<FoundFile>* files) override {
    return to_->FindFiles(pattern, files);
  }
  ErrorCode OpenForReading(const std::string& path, FileHandle* handle) override {
    return to_->OpenForReading(path, handle);
  }
  ErrorCode Read(FileHandle handle, char* buffer, size_t size, size_t* got) override {
    return to_->Read(handle, buffer, size, got);
  }
  ErrorCode OpenForWriting(const std::string& path, bool append, FileHandle* handle) override {
    return to_->OpenForWriting(path, append, handle);
  }
  ErrorCode Write(FileHandle handle, const char* data, size_t size) override {
    return to_->Write(handle, data, size);
  }
  ErrorCode Close(FileHandle handle) override { return to_->Close(handle); }
  ErrorCode OpenFileState(FileHandle handle, FileState* state) override {
    return to_->OpenFileState(handle, state);
  }
  ErrorCode NamedFileState(const std::string& path, FileState* state) override {
    return to_->NamedFileState(path, state);
  }
  ErrorCode Rewind(FileHandle handle) override { return to_->Rewind(handle); }
  void CatchStopRequests() override { to_->CatchStopRequests(); }
  bool WaitForStop(uint32_t milliseconds) override { return to_->WaitForStop(milliseconds); }
  uint32_t TickCount() override { return to_->TickCount(); }
  ErrorCode GetLocalTime(LocalTime* time) override { return to_->GetLocalTime(time); }
  std::string TimeSeparator() override { return to_->TimeSeparator(); }
  void Beep(uint32_t frequency, uint32_t milliseconds) override {
    to_->Beep(frequency, milliseconds);
  }
  ErrorCode StartSockets() override { return to_->StartSockets(); }
  ErrorCode OpenUdpSocket(SocketHandle* socket) override { return to_->OpenUdpSocket(socket); }
  ErrorCode SetBroadcast(SocketHandle socket, bool on) override {
    return to_->SetBroadcast(socket, on);
  }
  ErrorCode SendBroadcast(SocketHandle socket, const char* data, size_t size, uint16_t port,
                          size_t* sent) override {
    return to_->SendBroadcast(socket, data, size, port, sent);
  }
  void CloseSocket(SocketHandle socket) override { to_->CloseSocket(socket); }
  ErrorCode OpenRegistryKey(const std::string& subkey, uint32_t access, RegKey* key) override {
    return to_->OpenRegistryKey(subkey, access, key);
  }
  ErrorCode QueryRegistryValue(RegKey key, const std::string& name, uint32_t* type, uint32_t* size,
                               std::string* data) override {
    return to_->QueryRegistryValue(key, name, type, size, data);
  }
  void CloseRegistryKey(RegKey key) override { to_->CloseRegistryKey(key); }

 private:
  Os* to_;  // a pointer, so that a wrapper can be assigned afresh
};

}  // namespace platform
