// Standard output put into the states a contract case needs, with the POSIX calls; there is no
// registry here.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "support/environments.h"

namespace testing_support::real_world {
namespace {

// Runs the operations with fd as standard output, then gives the old one back.
void WithStdout(int fd, const std::function<void()>& operations) {
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  if (fd >= 0) {
    dup2(fd, STDOUT_FILENO);
  } else {
    close(STDOUT_FILENO);
  }
  operations();
  dup2(saved, STDOUT_FILENO);
  close(saved);
}

}  // namespace

void WithStdoutToFile(const std::string& file, const std::function<void()>& operations) {
  const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  WithStdout(fd, operations);
  close(fd);
}

void WithStdoutClosed(const std::function<void()>& operations) { WithStdout(-1, operations); }

void WithStdoutToAbandonedPipe(const std::function<void()>& operations) {
  int ends[2];
  if (pipe(ends) != 0) return;
  close(ends[0]);
  // As the program does at its start: a reader that has gone is a failed write, not the end.
  struct sigaction ignore {
  }, before{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &before);
  WithStdout(ends[1], operations);
  sigaction(SIGPIPE, &before, nullptr);
  close(ends[1]);
}

bool OpenPipe(platform::FileHandle* reader) {
  int ends[2];
  if (pipe(ends) != 0) return false;
  close(ends[1]);
  *reader = ends[0];
  return true;
}

bool RequestStop() {
  // The first of the signals a stop is asked with that this process does not ignore.
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction before {};
    if (sigaction(signal_number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    return kill(getpid(), signal_number) == 0;
  }
  return false;
}

bool AsOrdinaryUser(const std::function<bool()>& check) {
  // The superuser writes read-only files: check as nobody then.
  if (geteuid() != 0) return check();
  if (seteuid(65534) != 0) return false;
  const bool done = check();
  const int back = seteuid(0);
  (void)back;
  return done;
}

std::optional<std::string> MakeRegistryKey(const std::map<std::string, std::string>&) {
  return std::nullopt;
}
void RemoveRegistryKey(const std::string&) {}

void SetWriteTime(const std::string& name, uint64_t write_time) {
  constexpr uint64_t kSteps1601To1970 = 116444736000000000;
  const uint64_t since_1970 = write_time - kSteps1601To1970;
  const timespec times[2] = {
      {0, UTIME_OMIT},
      {static_cast<time_t>(since_1970 / 10000000), static_cast<long>(since_1970 % 10000000) * 100}};
  utimensat(AT_FDCWD, name.c_str(), times, 0);
}

}  // namespace testing_support::real_world
