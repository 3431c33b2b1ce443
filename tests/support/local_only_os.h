// The real platform for files, clocks and the registry, with the network and the tones of the
// fake: a test that makes a real fault report sends nothing onto the machine's network.
#pragma once

#include "platform/fake_os.h"

namespace platform {

class LocalOnlyOs : public FakeOs {
 public:
  PathStyle Style() const override { return Real().Style(); }
  bool StdoutIsConsole() override { return Real().StdoutIsConsole(); }
  bool ConsoleTextAttribute(uint16_t* attribute) override {
    return Real().ConsoleTextAttribute(attribute);
  }
  void SetTextAttribute(uint16_t attribute) override { Real().SetTextAttribute(attribute); }
  void RestoreTextAttributeOnInterrupt(uint16_t attribute) override {
    Real().RestoreTextAttributeOnInterrupt(attribute);
  }
  ErrorCode WriteStdout(const char* data, size_t size) override {
    return Real().WriteStdout(data, size);
  }
  void WriteStderr(std::string_view text) override { Real().WriteStderr(text); }
  std::vector<std::string> Arguments() override { return Real().Arguments(); }
  std::string ModuleFileName() override { return Real().ModuleFileName(); }
  bool ChangeDirectory(const std::string& dir) override { return Real().ChangeDirectory(dir); }
  bool FindFirst(const std::string& pattern) override { return Real().FindFirst(pattern); }
  bool IsExistingFile(const std::string& path) override { return Real().IsExistingFile(path); }
  ErrorCode OpenForReading(const std::string& path, FileHandle* handle) override {
    return Real().OpenForReading(path, handle);
  }
  ErrorCode Read(FileHandle handle, char* buffer, size_t size, size_t* got) override {
    return Real().Read(handle, buffer, size, got);
  }
  ErrorCode OpenForWriting(const std::string& path, bool append, FileHandle* handle) override {
    written.push_back(path);
    return Real().OpenForWriting(path, append, handle);
  }
  ErrorCode Write(FileHandle handle, const char* data, size_t size) override {
    return Real().Write(handle, data, size);
  }
  ErrorCode Close(FileHandle handle) override { return Real().Close(handle); }
  uint32_t TickCount() override { return Real().TickCount(); }
  ErrorCode GetLocalTime(LocalTime* time) override { return Real().GetLocalTime(time); }
  std::string TimeSeparator() override { return Real().TimeSeparator(); }
  ErrorCode OpenRegistryKey(const std::string& subkey, uint32_t access, RegKey* key) override {
    return Real().OpenRegistryKey(subkey, access, key);
  }
  ErrorCode QueryRegistryValue(RegKey key, const std::string& name, uint32_t* type, uint32_t* size,
                               std::string* data) override {
    return Real().QueryRegistryValue(key, name, type, size, data);
  }
  void CloseRegistryKey(RegKey key) override { Real().CloseRegistryKey(key); }
};

}  // namespace platform
