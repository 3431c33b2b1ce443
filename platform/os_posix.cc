// The POSIX stand-ins for the Windows operations.
#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <limits.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/os.h"
#include "platform/posix_errors.h"
#include "platform/rules.h"

namespace platform {

ErrorCode WindowsErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return kErrorNone;
    case ENOENT:
    case ENXIO:
      return kErrorFileNotFound;
    case ENOTDIR:
    case EINVAL:
    case ENAMETOOLONG:
      return kErrorPathNotFound;
    case EMFILE:
    case ENFILE:
      return kErrorTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return kErrorAccessDenied;
    case EBADF:
      return kErrorInvalidHandle;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case EIO:
      return kErrorReadFault;
    case ETXTBSY:
      return kErrorSharingViolation;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
      return kErrorDiskFull;
    case EEXIST:
      return kErrorFileExists;
    case EPIPE:
      return kErrorBrokenPipe;
    case ENOTEMPTY:
      return kErrorDirNotEmpty;
    case EBUSY:
    case EAGAIN:
      return kErrorBusy;
    case ELOOP:
      return kErrorCantResolveFilename;
    case ENOTSUP:
      return kErrorNotSupported;
    default:
      return static_cast<ErrorCode>(error);
  }
}

ErrorCode WsaErrorFromErrno(int error) {
  switch (error) {
    case EINTR:
      return 10004;
    case EBADF:  // Windows Sockets knows no closed descriptor, only a handle that is no socket
    case ENOTSOCK:
      return kWsaNotSocket;
    case EACCES:
    case EPERM:
      return kWsaAccess;
    case EFAULT:
      return 10014;
    case EINVAL:
      return kWsaInvalid;
    case EMFILE:
    case ENFILE:
      return 10024;
    case EAGAIN:
      return 10035;
    case EDESTADDRREQ:
      return 10039;
    case EMSGSIZE:
      return kWsaMessageSize;
    case EPROTOTYPE:
      return 10041;
    case ENOPROTOOPT:
      return 10042;
    case EPROTONOSUPPORT:
      return 10043;
    case EOPNOTSUPP:
      return 10045;
    case EAFNOSUPPORT:
      return 10047;
    case EADDRINUSE:
      return 10048;
    case EADDRNOTAVAIL:
      return 10049;
    case ENETDOWN:
      return 10050;
    case ENETUNREACH:
      return kWsaNetworkUnreachable;
    case ENOBUFS:
    case ENOMEM:
      return 10055;
    case ENOTCONN:
      return 10057;
    case ECONNREFUSED:
      return 10061;
    case EHOSTDOWN:
      return 10064;
    case EHOSTUNREACH:
      return 10065;
    default:
      return static_cast<ErrorCode>(error);
  }
}

ErrorCode NameErrorFromErrno(const std::string& path, int error) {
  if (error != ENOENT) return WindowsErrorFromErrno(error);
  if (path.empty()) return kErrorPathNotFound;
  const size_t folder = DirectoryLength(path, PathStyle::kPosix);
  struct stat info;
  if (folder > 0 && (stat(path.substr(0, folder).c_str(), &info) != 0 || !S_ISDIR(info.st_mode))) {
    return kErrorPathNotFound;
  }
  return kErrorFileNotFound;
}

ErrorCode HandleErrorFromErrno(int fd, int error) {
  if (error == EBADF && fcntl(fd, F_GETFL) != -1) return kErrorAccessDenied;
  return WindowsErrorFromErrno(error);
}

namespace {

// The largest pipe a user may ask for, 1 MiB where the system does not say.
long PipeMaxSize() {
  long size = 1 << 20;
  if (FILE* limit = fopen("/proc/sys/fs/pipe-max-size", "r")) {
    if (fscanf(limit, "%ld", &size) != 1) size = 1 << 20;
    fclose(limit);
  }
  return size;
}

int g_argc = 0;
char** g_argv = nullptr;

std::string ExecutableFromArgv0() {
  if (g_argc < 1 || g_argv[0] == nullptr) return {};
  std::string name = g_argv[0];
  if (name.find('/') == std::string::npos) {
    // Started through PATH: find it there.
    const char* path = getenv("PATH");
    std::string_view dirs = path != nullptr ? path : "";
    while (true) {
      const size_t colon = dirs.find(':');
      std::string dir(dirs.substr(0, colon));
      std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
      if (access(candidate.c_str(), X_OK) == 0) {
        name = candidate;
        break;
      }
      if (colon == std::string_view::npos) return {};
      dirs.remove_prefix(colon + 1);
    }
  }
  char* resolved = realpath(name.c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::string result = resolved;
  free(resolved);
  return result;
}

bool HasWildcard(std::string_view name) { return name.find_first_of("*?") != name.npos; }

// Seconds and nanoseconds since 1970 as Windows counts file times: 100 ns since 1601.
uint64_t WindowsFileTime(const timespec& time) {
  constexpr int64_t kSeconds1601To1970 = 11644473600;
  return static_cast<uint64_t>((static_cast<int64_t>(time.tv_sec) + kSeconds1601To1970) * 10000000 +
                               time.tv_nsec / 100);
}

// The ANSI sequence that stands in for a console attribute on a terminal. The default attribute
// gives the terminal's own colours back.
size_t AnsiSequence(uint16_t attribute, char (&code)[16]) {
  if ((attribute & 0xFF) == kAttributeDefault) {
    std::memcpy(code, "\x1b[0m", 5);
    return 4;
  }
  const int colour =
      ((attribute & 4) ? 1 : 0) | ((attribute & 2) ? 2 : 0) | ((attribute & 1) ? 4 : 0);
  const int base = (attribute & 8) ? 90 : 30;
  return static_cast<size_t>(snprintf(code, sizeof code, "\x1b[%dm", base + colour));
}

// What an interrupt writes to the terminal before the process ends; set before the handler is.
char g_interrupt_code[16];
size_t g_interrupt_size = 0;

// Stop requests: the signals that ask a run to stop, blocked from CatchStopRequests on and
// taken by WaitForStop, so that none can arrive between a look and the wait.
sigset_t g_stop_signals;
bool g_catching_stops = false;
bool g_stop_requested = false;

// The signals that end a console program, but for those the process was told to ignore.
sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction before {};
    if (sigaction(signal_number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaddset(&signals, signal_number);
  }
  return signals;
}

timespec Monotonic() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now;
}

// The time from now to the deadline; zero when it has passed.
timespec Until(const timespec& deadline) {
  const timespec now = Monotonic();
  timespec left{deadline.tv_sec - now.tv_sec, deadline.tv_nsec - now.tv_nsec};
  if (left.tv_nsec < 0) {
    left.tv_nsec += 1000000000L;
    --left.tv_sec;
  }
  if (left.tv_sec < 0) left = {0, 0};
  return left;
}

void RestoreAttributeAndEnd(int signal_number) {
  // Only async-signal-safe calls: write, then the default action of the signal.
  const ssize_t ignored = write(STDOUT_FILENO, g_interrupt_code, g_interrupt_size);
  (void)ignored;
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

FileState StateOf(const struct stat& info) {
  return {S_ISREG(info.st_mode), static_cast<uint64_t>(info.st_size),
          WindowsFileTime(info.st_mtim)};
}

class PosixOs final : public Os {
 public:
  PathStyle Style() const override { return PathStyle::kPosix; }

  bool StdoutIsConsole() override { return isatty(STDOUT_FILENO) == 1; }

  // A terminal's colours cannot be asked: its own are the default attribute.
  bool ConsoleTextAttribute(uint16_t* attribute) override {
    if (!StdoutIsConsole()) return false;
    *attribute = kAttributeDefault;
    return true;
  }

  void SetTextAttribute(uint16_t attribute) override {
    // ANSI colour codes stand in for the console attribute, and only on a terminal.
    if (!StdoutIsConsole()) return;
    char code[16];
    WriteAll(STDOUT_FILENO, code, AnsiSequence(attribute, code));
  }

  void RestoreTextAttributeOnInterrupt(uint16_t attribute) override {
    if (!StdoutIsConsole()) return;
    g_interrupt_size = AnsiSequence(attribute, g_interrupt_code);
    // A run that catches stop requests gives the colours back itself, when it stops.
    if (g_catching_stops) return;
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
      struct sigaction before {};
      // A signal the caller chose to ignore stays ignored.
      if (sigaction(signal_number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
      signal(signal_number, RestoreAttributeAndEnd);
    }
  }

  ErrorCode WriteStdout(const char* data, size_t size) override {
    // Closed, standard output is no handle at all, as on Windows, even where its number has
    // been given to a file opened since.
    return WindowsErrorFromErrno(WriteAll(STDOUT_FILENO, data, size));
  }

  void WriteStderr(std::string_view text) override {
    WriteAll(STDERR_FILENO, text.data(), text.size());
  }

  std::vector<std::string> Arguments() override {
    // The shell has split the arguments; an empty one stands for no argument, as on Windows.
    std::vector<std::string> arguments;
    for (int i = 1; i < g_argc; ++i) {
      if (g_argv[i] != nullptr && g_argv[i][0] != '\0') arguments.emplace_back(g_argv[i]);
    }
    return arguments;
  }

  std::string ModuleFileName() override {
    std::string buffer(256, '\0');
    for (;;) {
      const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
      if (n < 0) return ExecutableFromArgv0();
      if (static_cast<size_t>(n) < buffer.size()) {
        buffer.resize(static_cast<size_t>(n));
        return buffer;
      }
      buffer.resize(buffer.size() * 2);
    }
  }

  bool ChangeDirectory(const std::string& dir) override {
    return !dir.empty() && chdir(dir.c_str()) == 0;
  }

  bool FindFirst(const std::string& pattern) override {
    const size_t dir_length = DirectoryLength(pattern, PathStyle::kPosix);
    const std::string_view name = std::string_view(pattern).substr(dir_length);
    // As in a Windows search, a name is needed: nothing ending in a separator is found.
    if (name.empty()) return false;
    struct stat info;
    if (!HasWildcard(name)) return lstat(pattern.c_str(), &info) == 0;
    // Wildcards count in the last component only, as in a Windows search.
    const std::string dir = dir_length == 0 ? std::string(".") : pattern.substr(0, dir_length);
    DIR* listing = opendir(dir.c_str());
    if (listing == nullptr) return false;
    bool found = false;
    while (!found) {
      const dirent* entry = readdir(listing);
      if (entry == nullptr) break;
      found = WildcardMatch(name, entry->d_name);
    }
    closedir(listing);
    return found;
  }

  bool IsExistingFile(const std::string& path) override {
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
  }

  ErrorCode FindFiles(const std::string& pattern, std::vector<FoundFile>* files) override {
    files->clear();
    const size_t dir_length = DirectoryLength(pattern, PathStyle::kPosix);
    const std::string name = pattern.substr(dir_length);
    const std::string dir = dir_length == 0 ? std::string(".") : pattern.substr(0, dir_length);
    DIR* listing = opendir(dir.c_str());
    if (listing == nullptr) {
      // As on Windows, a folder that is not there is a path not found, not a file.
      return errno == ENOENT ? kErrorPathNotFound : WindowsErrorFromErrno(errno);
    }
    int error = 0;
    for (;;) {
      errno = 0;
      const dirent* entry = readdir(listing);
      if (entry == nullptr) {
        error = errno;
        break;
      }
      if (name.empty() || fnmatch(name.c_str(), entry->d_name, FNM_PERIOD) != 0) continue;
      // A link counts as what it leads to; one that leads nowhere, or a file gone since the
      // listing, is no file.
      struct stat info;
      if (fstatat(dirfd(listing), entry->d_name, &info, 0) != 0 || S_ISDIR(info.st_mode)) continue;
      files->push_back({entry->d_name, WindowsFileTime(info.st_mtim)});
    }
    closedir(listing);
    return WindowsErrorFromErrno(error);
  }

  ErrorCode OpenForReading(const std::string& path, FileHandle* handle) override {
    int fd;
    do {
      fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return NameErrorFromErrno(path, errno);
    // A folder opens here, where Windows refuses it.
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
      close(fd);
      return kErrorAccessDenied;
    }
    *handle = fd;
    return kErrorNone;
  }

  ErrorCode Read(FileHandle handle, char* buffer, size_t size, size_t* got) override {
    ssize_t n;
    do {
      n = read(static_cast<int>(handle), buffer, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
      *got = 0;
      return HandleErrorFromErrno(static_cast<int>(handle), errno);
    }
    *got = static_cast<size_t>(n);
    return kErrorNone;
  }

  ErrorCode OpenForWriting(const std::string& path, bool append, FileHandle* handle) override {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
    int fd;
    do {
      fd = open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return NameErrorFromErrno(path, errno);
    *handle = fd;
    return kErrorNone;
  }

  ErrorCode Write(FileHandle handle, const char* data, size_t size) override {
    return HandleErrorFromErrno(static_cast<int>(handle),
                                WriteAll(static_cast<int>(handle), data, size));
  }

  ErrorCode Close(FileHandle handle) override {
    return close(static_cast<int>(handle)) == 0 ? kErrorNone : WindowsErrorFromErrno(errno);
  }

  ErrorCode OpenFileState(FileHandle handle, FileState* state) override {
    struct stat info;
    if (fstat(static_cast<int>(handle), &info) != 0) return WindowsErrorFromErrno(errno);
    *state = StateOf(info);
    return kErrorNone;
  }

  ErrorCode NamedFileState(const std::string& path, FileState* state) override {
    struct stat info;
    if (path.empty()) return kErrorPathNotFound;
    if (stat(path.c_str(), &info) != 0) return NameErrorFromErrno(path, errno);
    // As opening it does on Windows, a folder refuses.
    if (S_ISDIR(info.st_mode)) return kErrorAccessDenied;
    *state = StateOf(info);
    return kErrorNone;
  }

  ErrorCode Rewind(FileHandle handle) override {
    return lseek(static_cast<int>(handle), 0, SEEK_SET) == 0 ? kErrorNone
                                                             : WindowsErrorFromErrno(errno);
  }

  void CatchStopRequests() override {
    if (g_catching_stops) return;
    g_stop_signals = StopSignals();
    sigprocmask(SIG_BLOCK, &g_stop_signals, nullptr);
    g_catching_stops = true;
  }

  bool WaitForStop(uint32_t milliseconds) override {
    if (g_stop_requested) return true;
    timespec deadline = Monotonic();
    deadline.tv_sec += static_cast<time_t>(milliseconds / 1000);
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
      deadline.tv_nsec -= 1000000000L;
      ++deadline.tv_sec;
    }
    for (;;) {
      timespec left = Until(deadline);
      if (!g_catching_stops) {
        if (nanosleep(&left, nullptr) == 0 || errno != EINTR) return false;
        continue;
      }
      // A blocked signal waits, pending, for this call: a request that came while the run was
      // busy is taken at once.
      if (sigtimedwait(&g_stop_signals, nullptr, &left) > 0) {
        g_stop_requested = true;
        return true;
      }
      if (errno != EINTR) return false;
    }
  }

  uint32_t TickCount() override {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
    return static_cast<uint32_t>(ms);
  }

  ErrorCode GetLocalTime(LocalTime* time) override {
    timespec now{};
    if (clock_gettime(CLOCK_REALTIME, &now) != 0) return WindowsErrorFromErrno(errno);
    tm local{};
    if (localtime_r(&now.tv_sec, &local) == nullptr) return WindowsErrorFromErrno(errno);
    *time = {static_cast<uint16_t>(local.tm_year + 1900), static_cast<uint16_t>(local.tm_mon + 1),
             static_cast<uint16_t>(local.tm_mday),        static_cast<uint16_t>(local.tm_hour),
             static_cast<uint16_t>(local.tm_min),         static_cast<uint16_t>(local.tm_sec),
             static_cast<uint16_t>(now.tv_nsec / 1000000)};
    return kErrorNone;
  }

  std::string TimeSeparator() override { return ":"; }

  // No tone device: the tone's time passes in silence.
  void Beep(uint32_t, uint32_t milliseconds) override {
    timespec wait{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
  }

  // BSD sockets need no start.
  ErrorCode StartSockets() override { return kErrorNone; }

  ErrorCode OpenUdpSocket(SocketHandle* socket_handle) override {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return WsaErrorFromErrno(errno);
    *socket_handle = fd;
    return kErrorNone;
  }

  ErrorCode SetBroadcast(SocketHandle socket_handle, bool on) override {
    const int value = on ? -1 : 0;
    return setsockopt(static_cast<int>(socket_handle), SOL_SOCKET, SO_BROADCAST, &value,
                      sizeof value) == 0
               ? kErrorNone
               : WsaErrorFromErrno(errno);
  }

  ErrorCode SendBroadcast(SocketHandle socket_handle, const char* data, size_t size, uint16_t port,
                          size_t* sent) override {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    ssize_t n;
    do {
      n = sendto(static_cast<int>(socket_handle), data, size, 0, reinterpret_cast<sockaddr*>(&to),
                 sizeof to);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return WsaErrorFromErrno(errno);
    *sent = static_cast<size_t>(n);
    return kErrorNone;
  }

  void CloseSocket(SocketHandle socket_handle) override {
    shutdown(static_cast<int>(socket_handle), SHUT_WR);
    close(static_cast<int>(socket_handle));
  }

  // There is no registry here: every key reads as missing.
  ErrorCode OpenRegistryKey(const std::string&, uint32_t, RegKey*) override {
    return kErrorFileNotFound;
  }
  ErrorCode QueryRegistryValue(RegKey, const std::string&, uint32_t*, uint32_t*,
                               std::string*) override {
    return kErrorInvalidHandle;
  }
  void CloseRegistryKey(RegKey) override {}

 private:
  // Writes all of the bytes; answers 0 or the errno of the failure.
  static int WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
      const ssize_t n = write(fd, data, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      data += n;
      size -= static_cast<size_t>(n);
    }
    return 0;
  }
};

}  // namespace

Os& Real() {
  static PosixOs os;
  return os;
}

void StartProcess(int argc, char** argv) {
  g_argc = argc;
  g_argv = argv;
  // A reader that closed the pipe must show as a write failure, not kill the process.
  signal(SIGPIPE, SIG_IGN);
#if defined(F_SETPIPE_SZ)
  // A pipe of a few pages makes the report wait on its reader every few lines' worth of output:
  // a larger one (what a user may have, 1 MiB unless the system says less) lets it run ahead.
  // Where the system refuses, the pipe stays as it is.
  struct stat info;
  if (fstat(STDOUT_FILENO, &info) == 0 && S_ISFIFO(info.st_mode)) {
    const long limit = PipeMaxSize();
    fcntl(STDOUT_FILENO, F_SETPIPE_SZ, static_cast<int>(limit < (1 << 20) ? limit : (1 << 20)));
  }
#endif
}

}  // namespace platform
