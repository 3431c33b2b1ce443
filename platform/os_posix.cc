// The POSIX stand-ins for the Windows operations.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
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

namespace {

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

class PosixOs final : public Os {
 public:
  PathStyle Style() const override { return PathStyle::kPosix; }

  bool StdoutIsConsole() override { return isatty(STDOUT_FILENO) == 1; }

  void SetTextAttribute(uint16_t attribute) override {
    // ANSI colour codes stand in for the console attribute, and only on a terminal.
    if (!StdoutIsConsole()) return;
    char code[16];
    if ((attribute & 0xFF) == kAttributeDefault) {
      std::memcpy(code, "\x1b[0m", 5);
    } else {
      const int colour =
          ((attribute & 4) ? 1 : 0) | ((attribute & 2) ? 2 : 0) | ((attribute & 1) ? 4 : 0);
      const int base = (attribute & 8) ? 90 : 30;
      snprintf(code, sizeof code, "\x1b[%dm", base + colour);
    }
    WriteAll(STDOUT_FILENO, code, std::strlen(code));
  }

  ErrorCode WriteStdout(const char* data, size_t size) override {
    return WriteAll(STDOUT_FILENO, data, size);
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
    struct stat info;
    if (!HasWildcard(name)) return !pattern.empty() && lstat(pattern.c_str(), &info) == 0;
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

  ErrorCode OpenForReading(const std::string& path, FileHandle* handle) override {
    int fd;
    do {
      fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return WindowsErrorFromErrno(errno);
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
      return WindowsErrorFromErrno(errno);
    }
    *got = static_cast<size_t>(n);
    return kErrorNone;
  }

  void Close(FileHandle handle) override { close(static_cast<int>(handle)); }

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
  static ErrorCode WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
      const ssize_t n = write(fd, data, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        return WindowsErrorFromErrno(errno);
      }
      data += n;
      size -= static_cast<size_t>(n);
    }
    return kErrorNone;
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
}

}  // namespace platform
