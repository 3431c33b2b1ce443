// An in-memory platform for tests: files, folders, registry, console and standard streams. It
// keeps the promises of the real layers (tests/platform_contract_test.cc holds it to them) as
// the platform its style names: in the Windows style names ignore letter case, a file open for
// writing is shared for reading only, and there is a registry; in the POSIX style none of that.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/os.h"

namespace platform {

// The operations of the platform by name, as the fake tells a test which one is under way.
enum class Operation {
  kStdoutIsConsole,
  kConsoleTextAttribute,
  kSetTextAttribute,
  kRestoreTextAttributeOnInterrupt,
  kWriteStdout,
  kWriteStderr,
  kArguments,
  kModuleFileName,
  kChangeDirectory,
  kFindFirst,
  kIsExistingFile,
  kFindFiles,
  kOpenForReading,
  kRead,
  kOpenForWriting,
  kWrite,
  kClose,
  kOpenFileState,
  kNamedFileState,
  kRewind,
  kCatchStopRequests,
  kWaitForStop,
  kTickCount,
  kGetLocalTime,
  kTimeSeparator,
  kBeep,
  kStartSockets,
  kOpenUdpSocket,
  kSetBroadcast,
  kSendBroadcast,
  kCloseSocket,
  kOpenRegistryKey,
  kQueryRegistryValue,
  kCloseRegistryKey,
};

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
  uint16_t console_attribute = kAttributeDefault;  // what the user's console had
  int attribute_readings = 0;
  int interrupt_attribute = -1;  // set by RestoreTextAttributeOnInterrupt
  std::vector<std::string> arguments;
  std::string module_file_name = "C:\\Tools\\Tessal.exe";
  std::string current_directory;
  bool change_directory_fails = false;
  // Full name to contents. The folders of these names exist too, and so does every folder in
  // directories (named with or without a closing separator).
  std::map<std::string, std::string> files;
  std::vector<std::string> directories;
  std::vector<std::string> searches;  // every FindFirst pattern asked
  // Last write times by full name, for FindFiles; a file not named here was written at 0.
  std::map<std::string, uint64_t> write_times;
  // Files that cannot be opened for reading and folders that cannot be listed: access denied.
  std::vector<std::string> unreadable;
  // Files that are no regular files (a pipe, say): OpenFileState says so.
  std::vector<std::string> not_regular;
  size_t read_chunk = static_cast<size_t>(-1);  // most bytes one Read gives
  ErrorCode read_error = kErrorNone;            // given by Read once the contents are used up
  ErrorCode stdout_error = kErrorNone;
  std::vector<Event> events;
  std::string stderr_text;
  // Registry: key name (below HKEY_LOCAL_MACHINE) to its values by name.
  std::map<std::string, std::map<std::string, RegistryValue>> registry;
  std::vector<std::string> opened_keys;  // every key asked for, in order
  std::vector<uint32_t> opened_access;   // and the access asked for it
  int open_keys = 0;
  // Files written. Those named in read_only exist but cannot be opened for writing.
  std::vector<std::string> read_only;
  ErrorCode write_error = kErrorNone;
  int files_open_for_writing = 0;
  // Clocks and tones.
  uint32_t tick_count = 0;
  LocalTime now{2022, 11, 2, 14, 8, 40, 123};
  int clock_readings = 0;
  std::set<int> failing_clock_readings;  // readings (0 = first) at which GetLocalTime fails
  // Waiting and stop requests. A wait takes no time: it adds its milliseconds to tick_count and
  // waited_ms, then calls on_wait, where a test plays the writer of a log (appends to files,
  // sets write_times) or the user (sets stop_requested); the wait answers stop_requested once
  // CatchStopRequests has been called.
  bool catching_stops = false;
  bool stop_requested = false;
  int waits = 0;
  uint64_t waited_ms = 0;
  std::function<void()> on_wait;
  // Called first by every operation but Style: a test makes a routine fail by throwing from it.
  std::function<void(Operation operation)> on_call;
  std::vector<std::string> written;  // every file opened for writing, in order
  std::string time_separator = ":";
  std::vector<std::pair<uint32_t, uint32_t>> tones;  // frequency, milliseconds
  // Sockets. Nothing leaves the process: datagrams are kept here.
  struct Datagram {
    SocketHandle socket;
    uint16_t port;
    std::string payload;
  };
  ErrorCode start_error = kErrorNone;
  int start_calls = 0;
  ErrorCode socket_error = kErrorNone;
  ErrorCode broadcast_error = kErrorNone;
  ErrorCode send_error = kErrorNone;
  bool send_short = false;  // the stack takes one byte less than given
  std::vector<Datagram> datagrams;
  std::vector<std::string> socket_calls;  // "socket 1", "broadcast 1 on", "send 1", "close 1"
  int sockets_open = 0;

  // All text written to standard output.
  std::string Stdout() const;

  PathStyle Style() const override { return style; }
  bool StdoutIsConsole() override;
  bool ConsoleTextAttribute(uint16_t* attribute) override;
  void SetTextAttribute(uint16_t attribute) override;
  void RestoreTextAttributeOnInterrupt(uint16_t attribute) override;
  ErrorCode WriteStdout(const char* data, size_t size) override;
  void WriteStderr(std::string_view text) override;
  std::vector<std::string> Arguments() override;
  std::string ModuleFileName() override;
  bool ChangeDirectory(const std::string& dir) override;
  bool FindFirst(const std::string& pattern) override;
  bool IsExistingFile(const std::string& path) override;
  // Wildcards as FindFirst matches them, with a leading dot matched by a dot only in the POSIX
  // style; fnmatch's brackets and escapes are not modelled.
  ErrorCode FindFiles(const std::string& pattern, std::vector<FoundFile>* found) override;
  ErrorCode OpenForReading(const std::string& path, FileHandle* handle) override;
  ErrorCode Read(FileHandle handle, char* buffer, size_t size, size_t* got) override;
  ErrorCode OpenForWriting(const std::string& path, bool append, FileHandle* handle) override;
  ErrorCode Write(FileHandle handle, const char* data, size_t size) override;
  ErrorCode Close(FileHandle handle) override;
  ErrorCode OpenFileState(FileHandle handle, FileState* state) override;
  ErrorCode NamedFileState(const std::string& path, FileState* state) override;
  ErrorCode Rewind(FileHandle handle) override;
  void CatchStopRequests() override;
  bool WaitForStop(uint32_t milliseconds) override;
  uint32_t TickCount() override;
  ErrorCode GetLocalTime(LocalTime* time) override;
  std::string TimeSeparator() override;
  void Beep(uint32_t frequency, uint32_t milliseconds) override;
  ErrorCode StartSockets() override;
  ErrorCode OpenUdpSocket(SocketHandle* socket) override;
  ErrorCode SetBroadcast(SocketHandle socket, bool on) override;
  ErrorCode SendBroadcast(SocketHandle socket, const char* data, size_t size, uint16_t port,
                          size_t* sent) override;
  void CloseSocket(SocketHandle socket) override;
  ErrorCode OpenRegistryKey(const std::string& subkey, uint32_t access, RegKey* key) override;
  ErrorCode QueryRegistryValue(RegKey key, const std::string& name, uint32_t* type, uint32_t* size,
                               std::string* data) override;
  void CloseRegistryKey(RegKey key) override;

 private:
  struct OpenFile {
    std::string name;  // the key in files
    bool writing;
    bool open;
    size_t position;
  };

  void Called(Operation operation) {
    if (on_call) on_call(operation);
  }
  bool SameName(std::string_view a, std::string_view b) const;
  std::map<std::string, std::string>::iterator FindFile(const std::string& name);
  bool IsFolder(std::string_view name) const;
  bool IsUnreadable(std::string_view name) const;
  ErrorCode WhyItDoesNotOpen(const std::string& name) const;
  OpenFile* Handle(FileHandle handle);
  FileState StateOf(const std::string& name);

  std::vector<OpenFile> handles_;       // by handle - 1, never reused
  std::vector<std::string> key_names_;  // by key - 1
  std::vector<bool> keys_open_;         // by key - 1
  std::set<SocketHandle> open_sockets_;
  SocketHandle sockets_made_ = 0;
};

}  // namespace platform
