// The Win32 operations.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include "platform/os.h"
#include "platform/rules.h"

namespace platform {
namespace {

// ReadFile and WriteFile take 32-bit counts.
constexpr size_t kMaxTransfer = 1u << 30;

class Win32Os final : public Os {
 public:
  PathStyle Style() const override { return PathStyle::kWindows; }

  bool StdoutIsConsole() override {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
  }

  void SetTextAttribute(uint16_t attribute) override {
    ::SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE), attribute);
  }

  ErrorCode WriteStdout(const char* data, size_t size) override {
    return WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), data, size);
  }

  void WriteStderr(std::string_view text) override {
    WriteAll(GetStdHandle(STD_ERROR_HANDLE), text.data(), text.size());
  }

  std::vector<std::string> Arguments() override {
    std::vector<std::string> arguments = SplitWindowsCommandLine(GetCommandLineA());
    if (!arguments.empty()) arguments.erase(arguments.begin());  // the program name
    return arguments;
  }

  std::string ModuleFileName() override {
    char buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return std::string(buffer, n);
  }

  bool ChangeDirectory(const std::string& dir) override {
    return SetCurrentDirectoryA(dir.c_str()) != 0;
  }

  bool FindFirst(const std::string& pattern) override {
    WIN32_FIND_DATAA data;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
  }

  bool IsExistingFile(const std::string& path) override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  ErrorCode OpenForReading(const std::string& path, FileHandle* handle) override {
    // The server keeps writing today's log: share writing as well as reading.
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    *handle = reinterpret_cast<FileHandle>(file);
    return kErrorNone;
  }

  ErrorCode Read(FileHandle handle, char* buffer, size_t size, size_t* got) override {
    DWORD n = 0;
    const DWORD wanted = static_cast<DWORD>(size < kMaxTransfer ? size : kMaxTransfer);
    *got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(handle), buffer, wanted, &n, nullptr)) {
      const DWORD error = GetLastError();
      // A pipe whose writer has gone is at its end.
      return error == ERROR_BROKEN_PIPE ? kErrorNone : error;
    }
    *got = n;
    return kErrorNone;
  }

  void Close(FileHandle handle) override { CloseHandle(reinterpret_cast<HANDLE>(handle)); }

  ErrorCode OpenRegistryKey(const std::string& subkey, uint32_t access, RegKey* key) override {
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, access, &opened);
    if (result != ERROR_SUCCESS) return static_cast<ErrorCode>(result);
    *key = reinterpret_cast<RegKey>(opened);
    return kErrorNone;
  }

  ErrorCode QueryRegistryValue(RegKey key, const std::string& name, uint32_t* type, uint32_t* size,
                               std::string* data) override {
    DWORD value_type = REG_NONE;
    DWORD value_size = data != nullptr ? *size : 0;
    if (data != nullptr) data->assign(value_size, '\0');
    const LONG result = RegQueryValueExA(
        reinterpret_cast<HKEY>(key), name.c_str(), nullptr, &value_type,
        data != nullptr ? reinterpret_cast<BYTE*>(data->data()) : nullptr, &value_size);
    if (result != ERROR_SUCCESS) return static_cast<ErrorCode>(result);
    if (data != nullptr) data->resize(value_size);
    *type = value_type;
    *size = value_size;
    return kErrorNone;
  }

  void CloseRegistryKey(RegKey key) override { ::RegCloseKey(reinterpret_cast<HKEY>(key)); }

 private:
  static ErrorCode WriteAll(HANDLE handle, const char* data, size_t size) {
    while (size > 0) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(size < kMaxTransfer ? size : kMaxTransfer);
      if (!WriteFile(handle, data, chunk, &written, nullptr)) return GetLastError();
      if (written == 0) return ERROR_WRITE_FAULT;
      data += written;
      size -= written;
    }
    return kErrorNone;
  }
};

}  // namespace

Os& Real() {
  static Win32Os os;
  return os;
}

void StartProcess(int, char**) {
  // CR LF goes out as it stands, whatever writes to the C streams.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace platform
