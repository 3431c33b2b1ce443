// The Win32 operations.

// winsock2.h before windows.h, for the socket types only: the library itself is loaded when
// first needed.
// clang-format off
#include <winsock2.h>
// clang-format on

#include "platform/os_win32.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <cstdlib>

#include "platform/os.h"
#include "platform/rules.h"

namespace platform {
namespace {

// ReadFile and WriteFile take 32-bit counts.
constexpr size_t kMaxTransfer = 1u << 30;
// Longer than any path Windows can give (32767 characters).
constexpr size_t kMaxPathBuffer = 1u << 16;

// The Windows Sockets functions, from WS2_32.DLL once it is loaded.
struct tWinsock {
  HMODULE module = nullptr;
  int(WSAAPI* startup)(WORD, LPWSADATA) = nullptr;
  int(WSAAPI* cleanup)() = nullptr;
  int(WSAAPI* last_error)() = nullptr;
  SOCKET(WSAAPI* socket)(int, int, int) = nullptr;
  int(WSAAPI* setsockopt)(SOCKET, int, int, const char*, int) = nullptr;
  u_short(WSAAPI* htons)(u_short) = nullptr;
  int(WSAAPI* sendto)(SOCKET, const char*, int, int, const sockaddr*, int) = nullptr;
  int(WSAAPI* shutdown)(SOCKET, int) = nullptr;
  int(WSAAPI* closesocket)(SOCKET) = nullptr;
};
tWinsock g_winsock;

template <typename F>
bool Bind(F& function, const char* name) {
  function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(g_winsock.module, name)));
  return function != nullptr;
}

void CleanupSockets() { g_winsock.cleanup(); }

// Counted for the layer's own tests (os_win32.h).
tRedirectionCounts g_redirection_counts;

// A 32-bit process on 64-bit Windows has its file names under System32 redirected to SysWOW64,
// where there are no DHCP logs: C:\Windows\System32\dhcp would silently name another folder than
// the one the administrator typed. Each file operation turns that redirection off for itself
// and back on straight after, so that nothing else (the loading of WS2_32.DLL above all) sees
// the 64-bit System32. The functions are looked up at run time, so the program still starts
// where they do not exist; on 32-bit Windows and in a 64-bit process they do nothing.
class tNativeFileNames {
 public:
  explicit tNativeFileNames(const std::string& path) {
    // Sysnative is an alias of the redirection itself, which is left on for it.
    if (Functions().disable == nullptr || NamesSysnative(path)) return;
    ++g_redirection_counts.asked_off;
    off_ = Functions().disable(&state_) != 0;
  }
  ~tNativeFileNames() {
    if (!off_) return;
    Functions().revert(state_);
    ++g_redirection_counts.turned_on_again;
  }
  tNativeFileNames(const tNativeFileNames&) = delete;
  tNativeFileNames& operator=(const tNativeFileNames&) = delete;

 private:
  struct tFunctions {
    BOOL(WINAPI* disable)(PVOID*) = nullptr;
    BOOL(WINAPI* revert)(PVOID) = nullptr;
  };
  static const tFunctions& Functions() {
    static const tFunctions functions = [] {
      tFunctions found;
      const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
      if (kernel32 == nullptr) return found;
      found.disable = reinterpret_cast<BOOL(WINAPI*)(PVOID*)>(
          reinterpret_cast<void*>(GetProcAddress(kernel32, "Wow64DisableWow64FsRedirection")));
      found.revert = reinterpret_cast<BOOL(WINAPI*)(PVOID)>(
          reinterpret_cast<void*>(GetProcAddress(kernel32, "Wow64RevertWow64FsRedirection")));
      if (found.revert == nullptr) found.disable = nullptr;
      return found;
    }();
    return functions;
  }

  PVOID state_ = nullptr;
  bool off_ = false;
};

// Windows' own error codes are the ones the operations answer: these are the one place where the
// failure of a call becomes that code.
ErrorCode LastError() { return static_cast<ErrorCode>(GetLastError()); }
ErrorCode SocketError() { return static_cast<ErrorCode>(g_winsock.last_error()); }
// The registry and WSAStartup answer the code itself.
ErrorCode CodeOf(LONG result) { return static_cast<ErrorCode>(result); }

// What a console interrupt gives back before the process ends.
WORD g_interrupt_attribute = kAttributeDefault;

BOOL WINAPI RestoreAttributeOnInterrupt(DWORD) {
  ::SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE), g_interrupt_attribute);
  return FALSE;  // the default handler then ends the process as usual
}

// Stop requests: set by the console's control handler, which Windows runs on a thread of its
// own; waited for by the one thread of the program. Manual reset: once asked, it stays asked.
HANDLE g_stop_event = nullptr;
// How long the handler holds off the end that Windows makes when it returns from a console
// being closed (Windows itself allows some 5 seconds): the main thread meanwhile completes its
// block, writes "Done" and gives the colours back, and its exit ends the process first.
constexpr DWORD kCloseGrace = 4000;

BOOL WINAPI NoteStopRequest(DWORD event) {
  SetEvent(g_stop_event);
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) Sleep(kCloseGrace);
  return TRUE;
}

class Win32Os final : public Os {
 public:
  PathStyle Style() const override { return PathStyle::kWindows; }

  bool StdoutIsConsole() override {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
  }

  bool ConsoleTextAttribute(uint16_t* attribute) override {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) return false;
    *attribute = info.wAttributes;
    return true;
  }

  void SetTextAttribute(uint16_t attribute) override {
    ::SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE), attribute);
  }

  void RestoreTextAttributeOnInterrupt(uint16_t attribute) override {
    g_interrupt_attribute = attribute;
    // A run that catches stop requests gives the colours back itself, when it stops.
    if (g_stop_event != nullptr) return;
    SetConsoleCtrlHandler(RestoreAttributeOnInterrupt, TRUE);
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
    // A folder deeper than MAX_PATH is no reason to answer a cut name: grow until it fits.
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
      const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (n == 0) return {};
      if (n < buffer.size()) {
        buffer.resize(n);
        return buffer;
      }
      if (buffer.size() >= kMaxPathBuffer) return {};
      buffer.resize(buffer.size() * 2);
    }
  }

  bool ChangeDirectory(const std::string& dir) override {
    const tNativeFileNames native(dir);
    return SetCurrentDirectoryA(dir.c_str()) != 0;
  }

  bool FindFirst(const std::string& pattern) override {
    const tNativeFileNames native(pattern);
    WIN32_FIND_DATAA data;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
  }

  bool IsExistingFile(const std::string& path) override {
    const tNativeFileNames native(path);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  ErrorCode FindFiles(const std::string& pattern, std::vector<FoundFile>* files) override {
    files->clear();
    // The whole search, not only its start, sees the folder the administrator named.
    const tNativeFileNames native(pattern);
    WIN32_FIND_DATAA data;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
      const ErrorCode error = LastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return kErrorNone;
      // A folder part that is a file, or no valid name at all, names no folder either.
      if (error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY) return kErrorPathNotFound;
      return error;
    }
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
      files->push_back({data.cFileName, (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                            data.ftLastWriteTime.dwLowDateTime});
    } while (FindNextFileA(search, &data));
    const ErrorCode error = LastError();
    FindClose(search);
    return error == ERROR_NO_MORE_FILES ? kErrorNone : error;
  }

  ErrorCode OpenForReading(const std::string& path, FileHandle* handle) override {
    const tNativeFileNames native(path);
    // The server keeps writing today's log: share writing as well as reading.
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError();
    *handle = reinterpret_cast<FileHandle>(file);
    return kErrorNone;
  }

  ErrorCode Read(FileHandle handle, char* buffer, size_t size, size_t* got) override {
    DWORD n = 0;
    const DWORD wanted = static_cast<DWORD>(size < kMaxTransfer ? size : kMaxTransfer);
    *got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(handle), buffer, wanted, &n, nullptr)) {
      const ErrorCode error = LastError();
      // A pipe whose writer has gone is at its end.
      return error == ERROR_BROKEN_PIPE ? kErrorNone : error;
    }
    *got = n;
    return kErrorNone;
  }

  ErrorCode OpenForWriting(const std::string& path, bool append, FileHandle* handle) override {
    const tNativeFileNames native(path);
    // Appending to a file that is not there yet makes it, as on POSIX.
    const HANDLE file =
        CreateFileA(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ,
                    nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError();
    *handle = reinterpret_cast<FileHandle>(file);
    return kErrorNone;
  }

  ErrorCode Write(FileHandle handle, const char* data, size_t size) override {
    return WriteAll(reinterpret_cast<HANDLE>(handle), data, size);
  }

  ErrorCode Close(FileHandle handle) override {
    return CloseHandle(reinterpret_cast<HANDLE>(handle)) ? kErrorNone : LastError();
  }

  ErrorCode OpenFileState(FileHandle handle, FileState* state) override {
    const HANDLE file = reinterpret_cast<HANDLE>(handle);
    SetLastError(NO_ERROR);
    const DWORD type = GetFileType(file);
    if (type == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR) return LastError();
    if (type != FILE_TYPE_DISK) {
      *state = {false, 0, 0};
      return kErrorNone;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) return LastError();
    *state = {
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0,
        (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow,
        (uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) | info.ftLastWriteTime.dwLowDateTime};
    return kErrorNone;
  }

  ErrorCode NamedFileState(const std::string& path, FileState* state) override {
    const tNativeFileNames native(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
      const ErrorCode error = LastError();
      // A folder part that is a file, or no valid name at all, names no folder either.
      if (error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY) return kErrorPathNotFound;
      return error;
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return kErrorAccessDenied;
    *state = {
        true, (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
        (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime};
    return kErrorNone;
  }

  ErrorCode Rewind(FileHandle handle) override {
    LARGE_INTEGER start{};
    return SetFilePointerEx(reinterpret_cast<HANDLE>(handle), start, nullptr, FILE_BEGIN)
               ? kErrorNone
               : LastError();
  }

  void CatchStopRequests() override {
    if (g_stop_event != nullptr) return;
    g_stop_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (g_stop_event != nullptr) SetConsoleCtrlHandler(NoteStopRequest, TRUE);
  }

  bool WaitForStop(uint32_t milliseconds) override {
    if (g_stop_event == nullptr) {
      Sleep(milliseconds);
      return false;
    }
    return WaitForSingleObject(g_stop_event, milliseconds) == WAIT_OBJECT_0;
  }

  uint32_t TickCount() override { return GetTickCount(); }

  ErrorCode GetLocalTime(LocalTime* time) override {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    *time = {now.wYear,   now.wMonth,  now.wDay,         now.wHour,
             now.wMinute, now.wSecond, now.wMilliseconds};
    return kErrorNone;
  }

  std::string TimeSeparator() override {
    char separator[8] = {};
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, separator, sizeof separator);
    return n > 1 ? std::string(separator, static_cast<size_t>(n - 1)) : std::string(":");
  }

  void Beep(uint32_t frequency, uint32_t milliseconds) override { ::Beep(frequency, milliseconds); }

  ErrorCode StartSockets() override {
    if (g_winsock.module == nullptr) {
      g_winsock.module = LoadLibraryA("ws2_32.dll");
      if (g_winsock.module == nullptr) return LastError();
    }
    if (!(Bind(g_winsock.startup, "WSAStartup") && Bind(g_winsock.cleanup, "WSACleanup") &&
          Bind(g_winsock.last_error, "WSAGetLastError") && Bind(g_winsock.socket, "socket") &&
          Bind(g_winsock.setsockopt, "setsockopt") && Bind(g_winsock.htons, "htons") &&
          Bind(g_winsock.sendto, "sendto") && Bind(g_winsock.shutdown, "shutdown") &&
          Bind(g_winsock.closesocket, "closesocket"))) {
      return LastError();
    }
    WSADATA data;
    const int result = g_winsock.startup(MAKEWORD(2, 2), &data);
    if (result != 0) return CodeOf(result);
    std::atexit(CleanupSockets);
    return kErrorNone;
  }

  ErrorCode OpenUdpSocket(SocketHandle* socket_handle) override {
    const SOCKET s = g_winsock.socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) return SocketError();
    *socket_handle = static_cast<SocketHandle>(s);
    return kErrorNone;
  }

  ErrorCode SetBroadcast(SocketHandle socket_handle, bool on) override {
    const int value = on ? -1 : 0;
    if (g_winsock.setsockopt(static_cast<SOCKET>(socket_handle), SOL_SOCKET, SO_BROADCAST,
                             reinterpret_cast<const char*>(&value), sizeof value) != 0) {
      return SocketError();
    }
    return kErrorNone;
  }

  ErrorCode SendBroadcast(SocketHandle socket_handle, const char* data, size_t size, uint16_t port,
                          size_t* sent) override {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = g_winsock.htons(port);
    to.sin_addr.s_addr = INADDR_BROADCAST;
    const int n = g_winsock.sendto(static_cast<SOCKET>(socket_handle), data, static_cast<int>(size),
                                   0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (n == SOCKET_ERROR) return SocketError();
    *sent = static_cast<size_t>(n);
    return kErrorNone;
  }

  void CloseSocket(SocketHandle socket_handle) override {
    g_winsock.shutdown(static_cast<SOCKET>(socket_handle), SD_SEND);
    g_winsock.closesocket(static_cast<SOCKET>(socket_handle));
  }

  ErrorCode OpenRegistryKey(const std::string& subkey, uint32_t access, RegKey* key) override {
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, access, &opened);
    if (result != ERROR_SUCCESS) return CodeOf(result);
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
    if (result != ERROR_SUCCESS) return CodeOf(result);
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
      if (!WriteFile(handle, data, chunk, &written, nullptr)) return LastError();
      if (written == 0) return kErrorWriteFault;
      data += written;
      size -= written;
    }
    return kErrorNone;
  }
};

}  // namespace

const tRedirectionCounts& RedirectionCounts() { return g_redirection_counts; }

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
