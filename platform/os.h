// The operating-system operations Tessal and the toolkit need, behind one interface so that the
// Win32 and POSIX implementations (chosen by CMake) and the test fake are interchangeable.
// Nothing here throws: every operation answers with a result or a Windows error code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// How the platform spells paths: which separators end a directory.
enum class PathStyle { kWindows, kPosix };

// The Windows system error codes that some layer or test names. The Win32 layer answers Windows'
// own codes; the POSIX layer and the fake give these same codes for the same failures, so that
// callers and messages mean the same everywhere (tests/platform_contract_test.cc holds them to it).
using ErrorCode = uint32_t;
inline constexpr ErrorCode kErrorNone = 0;
inline constexpr ErrorCode kErrorFileNotFound = 2;
inline constexpr ErrorCode kErrorPathNotFound = 3;
inline constexpr ErrorCode kErrorTooManyOpenFiles = 4;
inline constexpr ErrorCode kErrorAccessDenied = 5;
inline constexpr ErrorCode kErrorInvalidHandle = 6;
inline constexpr ErrorCode kErrorNotEnoughMemory = 8;
inline constexpr ErrorCode kErrorWriteFault = 29;
inline constexpr ErrorCode kErrorReadFault = 30;
inline constexpr ErrorCode kErrorSharingViolation = 32;
inline constexpr ErrorCode kErrorNotSupported = 50;
inline constexpr ErrorCode kErrorFileExists = 80;
inline constexpr ErrorCode kErrorInvalidParameter = 87;
inline constexpr ErrorCode kErrorBrokenPipe = 109;
inline constexpr ErrorCode kErrorDiskFull = 112;
inline constexpr ErrorCode kErrorDirNotEmpty = 145;
inline constexpr ErrorCode kErrorBusy = 170;
inline constexpr ErrorCode kErrorNoData = 232;
inline constexpr ErrorCode kErrorMoreData = 234;
inline constexpr ErrorCode kErrorCantResolveFilename = 1921;

// The attribute of a console as Windows starts it: light grey on black.
inline constexpr uint16_t kAttributeDefault = 7;

// Registry, read only, below HKEY_LOCAL_MACHINE.
using RegKey = uintptr_t;
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kKeyRead = 0x20019;

using FileHandle = intptr_t;
using SocketHandle = intptr_t;

// Windows Sockets error numbers; the POSIX layer maps errno onto these.
inline constexpr ErrorCode kWsaAccess = 10013;
inline constexpr ErrorCode kWsaInvalid = 10022;
inline constexpr ErrorCode kWsaNotSocket = 10038;
inline constexpr ErrorCode kWsaMessageSize = 10040;
inline constexpr ErrorCode kWsaNetworkUnreachable = 10051;
inline constexpr ErrorCode kWsaSystemNotReady = 10091;

struct LocalTime {
  uint16_t year, month, day, hour, minute, second, millisecond;
};

// A file that a search found: its name in its folder, spelt as the folder spells it, and the time
// it was last written, in 100-nanosecond steps since 1601-01-01 UTC, as Windows counts.
struct FoundFile {
  std::string name;
  uint64_t write_time;
};

// What following a log looks at: whether it is a regular file at all (a pipe or a terminal is
// read to its end and no more), how long it is now, and when it was last written, in the same
// steps as FoundFile's.
struct FileState {
  bool regular;
  uint64_t size;
  uint64_t write_time;
};

class Os {
 public:
  virtual ~Os() = default;

  virtual PathStyle Style() const = 0;

  // Standard streams and console.
  virtual bool StdoutIsConsole() = 0;
  // The attribute (colours) of the console text on standard output; false when it is no console.
  virtual bool ConsoleTextAttribute(uint16_t* attribute) = 0;
  // Changes the colour of text written to the console from now on; no effect elsewhere.
  virtual void SetTextAttribute(uint16_t attribute) = 0;
  // From now on an interrupt (Ctrl-C) sets this attribute before the process ends, so that the
  // console is not left red.
  virtual void RestoreTextAttributeOnInterrupt(uint16_t attribute) = 0;
  // Writes all of the bytes or fails.
  virtual ErrorCode WriteStdout(const char* data, size_t size) = 0;
  virtual void WriteStderr(std::string_view text) = 0;

  // Process. The arguments after the program name, split by the platform's rules.
  virtual std::vector<std::string> Arguments() = 0;
  // Full file name of the running executable; empty when it cannot be had.
  virtual std::string ModuleFileName() = 0;
  virtual bool ChangeDirectory(const std::string& dir) = 0;

  // Files. On 64-bit Windows a 32-bit process sees the file system as the user does: System32
  // is the 64-bit System32, not SysWOW64.
  // True when at least one directory entry of any kind matches the name or wildcard pattern;
  // wildcards count in the last part only, and a pattern ending in a separator matches nothing.
  virtual bool FindFirst(const std::string& pattern) = 0;
  // True when the name is an existing entry that is not a directory.
  virtual bool IsExistingFile(const std::string& path) = 0;
  // Replaces *files by the entries of the pattern's folder that are not directories and whose
  // names match the last part of the pattern, by the platform's own rules: "*" and "?" in any
  // letter case on Windows; fnmatch on POSIX, where a leading dot must be matched by a dot, as
  // the shell does. In no particular order. kErrorNone also when nothing matches;
  // kErrorPathNotFound when the folder is not there (or is a file, or no valid name),
  // kErrorAccessDenied when it may not be read.
  virtual ErrorCode FindFiles(const std::string& pattern, std::vector<FoundFile>* files) = 0;
  // Opening fails as on Windows: kErrorFileNotFound for a missing file, kErrorPathNotFound for a
  // missing folder on the way or an empty name, kErrorAccessDenied for a folder.
  // Opens for reading, letting others read and write the file meanwhile.
  virtual ErrorCode OpenForReading(const std::string& path, FileHandle* handle) = 0;
  // Reads up to size bytes; *got is 0 at the end of the file. A handle that is not open fails
  // with kErrorInvalidHandle, one open only for writing with kErrorAccessDenied.
  virtual ErrorCode Read(FileHandle handle, char* buffer, size_t size, size_t* got) = 0;
  // Creates or truncates the file, or with append opens it at its end, creating it when it is
  // not there.
  virtual ErrorCode OpenForWriting(const std::string& path, bool append, FileHandle* handle) = 0;
  virtual ErrorCode Write(FileHandle handle, const char* data, size_t size) = 0;
  virtual ErrorCode Close(FileHandle handle) = 0;
  // The state of an open file as it is now, what others wrote since it was opened included.
  virtual ErrorCode OpenFileState(FileHandle handle, FileState* state) = 0;
  // The state of a file by its name, as IsExistingFile sees it (System32 as the user sees it):
  // kErrorFileNotFound or kErrorPathNotFound when there is none, kErrorAccessDenied for a folder.
  virtual ErrorCode NamedFileState(const std::string& path, FileState* state) = 0;
  // Moves the read position of an open file back to its start: after it was truncated, what is
  // written anew is read from there.
  virtual ErrorCode Rewind(FileHandle handle) = 0;

  // Stop requests, for a run that waits for more until the user stops it. From this call on,
  // Ctrl+C, Ctrl+Break and the closing of the console (SIGINT, SIGTERM and SIGHUP on POSIX; one
  // that was ignored when the process started stays ignored) no longer end the process: each is
  // noted as a request to stop, which WaitForStop answers. RestoreTextAttributeOnInterrupt then
  // only keeps its attribute, since the run itself gives the colours back when it stops.
  virtual void CatchStopRequests() = 0;
  // Waits up to the milliseconds, or less when a stop is requested; true once a stop has been
  // requested, now or at any time since CatchStopRequests (a request is never lost between a
  // look and the wait). Without CatchStopRequests it only waits, and answers false.
  virtual bool WaitForStop(uint32_t milliseconds) = 0;

  // Clocks and tones.
  // Milliseconds since the system started, wrapping at 2^32.
  virtual uint32_t TickCount() = 0;
  virtual ErrorCode GetLocalTime(LocalTime* time) = 0;
  // The time separator of the user's regional settings.
  virtual std::string TimeSeparator() = 0;
  // Plays a tone to its end.
  virtual void Beep(uint32_t frequency, uint32_t milliseconds) = 0;

  // IPv4 UDP. Error numbers are Windows Sockets numbers.
  // Starts the sockets library; done once, before any socket exists.
  virtual ErrorCode StartSockets() = 0;
  virtual ErrorCode OpenUdpSocket(SocketHandle* socket) = 0;
  virtual ErrorCode SetBroadcast(SocketHandle socket, bool on) = 0;
  // Sends one datagram to 255.255.255.255 at the port; *sent is the count the stack took.
  virtual ErrorCode SendBroadcast(SocketHandle socket, const char* data, size_t size, uint16_t port,
                                  size_t* sent) = 0;
  // Ends sending, then releases the socket; results are of no interest.
  virtual void CloseSocket(SocketHandle socket) = 0;

  // Registry.
  virtual ErrorCode OpenRegistryKey(const std::string& subkey, uint32_t access, RegKey* key) = 0;
  // Asks a value's type and size in bytes (data == nullptr), or reads its bytes into *data.
  virtual ErrorCode QueryRegistryValue(RegKey key, const std::string& name, uint32_t* type,
                                       uint32_t* size, std::string* data) = 0;
  virtual void CloseRegistryKey(RegKey key) = 0;
};

// The operations in force: the real ones unless a test installed its own.
Os& Current();
// Installs a replacement (a test fake); nullptr restores the real operations.
void SetForTesting(Os* os);
// The real operations of this platform, from os_posix.cc or os_win32.cc.
Os& Real();
// Process start-up work of the real platform: keeps argv, ignores SIGPIPE, binary streams.
void StartProcess(int argc, char** argv);

}  // namespace platform
