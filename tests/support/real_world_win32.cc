// Standard output put into the states a contract case needs, and registry keys made for it,
// with the Win32 calls.
#include <windows.h>

#include "support/environments.h"

namespace testing_support::real_world {
namespace {

// Runs the operations with handle as standard output, then gives the old one back.
void WithStdout(HANDLE handle, const std::function<void()>& operations) {
  const HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
  SetStdHandle(STD_OUTPUT_HANDLE, handle);
  operations();
  SetStdHandle(STD_OUTPUT_HANDLE, saved);
}

}  // namespace

void WithStdoutToFile(const std::string& file, const std::function<void()>& operations) {
  const HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  WithStdout(handle, operations);
  CloseHandle(handle);
}

// A process started with its output closed has no standard output handle at all.
void WithStdoutClosed(const std::function<void()>& operations) { WithStdout(nullptr, operations); }

void WithStdoutToAbandonedPipe(const std::function<void()>& operations) {
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, nullptr, 0)) return;
  CloseHandle(read_end);
  WithStdout(write_end, operations);
  CloseHandle(write_end);
}

std::optional<std::string> MakeRegistryKey(const std::map<std::string, std::string>& texts) {
  static int made = 0;
  const std::string key = "Software\\Tessal-Contract-" + std::to_string(GetCurrentProcessId()) +
                          "-" + std::to_string(++made);
  HKEY opened = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &opened, nullptr) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  for (const auto& [name, text] : texts) {
    RegSetValueExA(opened, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
  }
  RegCloseKey(opened);
  return key;
}

void RemoveRegistryKey(const std::string& key) { RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str()); }

void SetWriteTime(const std::string& name, uint64_t write_time) {
  const HANDLE file =
      CreateFileA(name.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  const FILETIME time{static_cast<DWORD>(write_time), static_cast<DWORD>(write_time >> 32)};
  SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
}

bool OpenPipe(platform::FileHandle* reader) {
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, nullptr, 0)) return false;
  CloseHandle(write_end);
  *reader = reinterpret_cast<platform::FileHandle>(read_end);
  return true;
}

// Ctrl+C to every process of this console. There is none when the output goes to files or
// pipes, as under ctest and wine: there tests/follow/run.sh sends SIGINT to the program, which
// wine hands to its console control handler as Windows does a Ctrl+C.
bool RequestStop() { return GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0; }

// There is no one else to be: wine run by the superuser writes read-only files all the same.
bool AsOrdinaryUser(const std::function<bool()>& check) { return check(); }

}  // namespace testing_support::real_world
