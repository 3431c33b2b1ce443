// An in-memory platform for tests: files, folders, registry, console and standard streams.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/os.h"

namespace platform {

class FakeOs : public Os {
 public:
  // What happened on standard output, in order: text written, or an attribute set.
  struct Event {
    bool is_attribute;
    std::string text;
    uint16_t attribute;
  };
  struct RegistryValue {
    uint32_t type;
    std::string data;
    bool readable = true;  // false: the size can be asked but the data not read
  };

  PathStyle style = PathStyle::kWindows;
  bool console = false;
  std::vector<std::string> arguments;
  std::string module_file_name = "C:\\Tools\\Tessal.exe";
  std::string current_directory;
  bool change_directory_fails = false;
  std::map<std::string, std::string> files;  // full name to contents
  std::vector<std::string> directories;
  std::vector<std::string> searches;            // every FindFirst pattern asked
  size_t read_chunk = static_cast<size_t>(-1);  // most bytes one Read gives
  ErrorCode read_error = kErrorNone;            // given by Read once the contents are used up
  ErrorCode stdout_error = kErrorNone;
  std::vector<Event> events;
  std::string stderr_text;
  // Registry: key name (below HKEY_LOCAL_MACHINE) to its values by name.
  std::map<std::string, std::map<std::string, RegistryValue>> registry;
  std::vector<uint32_t> opened_access;
  int open_keys = 0;

  // All text written to standard output.
  std::string Stdout() const;

  PathStyle Style() const override { return style; }
  bool StdoutIsConsole() override { return console; }
  void SetTextAttribute(uint16_t attribute) override;
  ErrorCode WriteStdout(const char* data, size_t size) override;
  void WriteStderr(std::string_view text) override { stderr_text.append(text); }
  std::vector<std::string> Arguments() override { return arguments; }
  std::string ModuleFileName() override { return module_file_name; }
  bool ChangeDirectory(const std::string& dir) override;
  bool FindFirst(const std::string& pattern) override;
  bool IsExistingFile(const std::string& path) override { return files.count(path) != 0; }
  ErrorCode OpenForReading(const std::string& path, FileHandle* handle) override;
  ErrorCode Read(FileHandle handle, char* buffer, size_t size, size_t* got) override;
  void Close(FileHandle) override {}
  ErrorCode OpenRegistryKey(const std::string& subkey, uint32_t access, RegKey* key) override;
  ErrorCode QueryRegistryValue(RegKey key, const std::string& name, uint32_t* type, uint32_t* size,
                               std::string* data) override;
  void CloseRegistryKey(RegKey key) override;

 private:
  std::vector<std::string> open_files_;  // contents by handle - 1
  std::vector<size_t> positions_;
  std::vector<std::string> key_names_;  // by key - 1
};

}  // namespace platform
