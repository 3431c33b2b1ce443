// Whole runs of the real program on POSIX: terminals, pipes, full devices, closed streams and
// files the user may not read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "platform/rules.h"
#include "support/block_labels.h"

namespace {

namespace fs = std::filesystem;

struct tRun {
  int status = -1;
  std::string out;
  std::string err;
};

enum class Stdout { kCapture, kClosed, kDevFull };

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// What a run must leave as it was: the files named as arguments (bytes and modification time)
// and the names in the program's folder, where exception files would go.
struct tUntouched {
  std::vector<std::pair<std::string, std::string>> files;  // name, hash of bytes + mtime
  std::vector<std::string> beside_program;

  static tUntouched Take(const std::vector<std::string>& args, const std::string& program) {
    tUntouched state;
    for (const std::string& arg : args) {
      struct stat info;
      if (stat(arg.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        state.files.emplace_back(arg, std::to_string(std::hash<std::string>()(Slurp(arg))) + "@" +
                                          std::to_string(info.st_mtim.tv_sec) + "." +
                                          std::to_string(info.st_mtim.tv_nsec));
      }
    }
    for (const auto& entry : fs::directory_iterator(fs::path(program).parent_path())) {
      state.beside_program.push_back(entry.path().filename().string());
    }
    std::sort(state.beside_program.begin(), state.beside_program.end());
    return state;
  }
};

// Runs Tessal (or a copy of it) with the arguments; standard output and error are caught in
// files. Checks that the run changed no file it was given and created none beside the program.
tRun RunTessal(const std::vector<std::string>& args, Stdout where = Stdout::kCapture,
               uid_t as_user = 0, bool log_may_grow = false,
               const std::string& program = TESSAL_EXE) {
  const fs::path dir = fs::temp_directory_path() / ("tessal-run-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path out = dir / "out", err = dir / "err";
  const tUntouched before = tUntouched::Take(args, program);
  const pid_t pid = fork();
  if (pid == 0) {
    alarm(60);  // a run that hangs fails instead of stopping the suite
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(e, 2);
    if (where == Stdout::kClosed) {
      close(1);
    } else {
      const int o = where == Stdout::kDevFull
                        ? open("/dev/full", O_WRONLY)
                        : open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(o, 1);
    }
    if (as_user != 0 && setuid(as_user) != 0) _exit(99);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(98);
  }
  tRun run;
  int status = 0;
  waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = Slurp(out);
  run.err = Slurp(err);
  fs::remove_all(dir);
  const tUntouched after = tUntouched::Take(args, program);
  if (!log_may_grow) {
    EXPECT_EQ(after.files, before.files) << "a file given to the program changed";
  }
  EXPECT_EQ(after.beside_program, before.beside_program) << "the run left files behind";
  return run;
}

// Runs Tessal on /dev/fd/N, the reading end of a pipe that a child fills with the fixture, as
// the shell's <(zcat log.gz) passes a stream.
tRun RunThroughAPipe(const std::string& fixture) {
  int fds[2];
  EXPECT_EQ(pipe(fds), 0);
  const pid_t feeder = fork();
  if (feeder == 0) {
    close(fds[0]);
    const std::string text = Slurp(fixture);
    if (write(fds[1], text.data(), text.size()) < 0) _exit(1);
    _exit(0);
  }
  close(fds[1]);
  const tRun run = RunTessal({"/dev/fd/" + std::to_string(fds[0])});
  close(fds[0]);
  waitpid(feeder, nullptr, 0);
  return run;
}

const std::string kData = TESSAL_DATA;
const std::string kEcho =
    " v" TESSAL_VERSION "\r\n\r\n Filter1: \r\n Filter2: \r\n Exclude IDs: \r\n\r\n";
// The report after an input/output failure, whatever the code address.
std::regex Report(const std::string& message) {
  return std::regex("Exception EInOutError in module Tessal at [0-9A-F]{16}\\.\r\n" + message +
                    "\\.\r\n\r\n");
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tessal-posix-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    fs::permissions(dir_, fs::perms::all);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST(PosixRun, EmptyArgumentsStandForNoArgument) {
  const tRun with_empty = RunTessal({"", kData + "/audit.log", "", "pc-01", "/e:30,31"});
  const tRun without = RunTessal({kData + "/audit.log", "pc-01", "/e:30,31"});
  EXPECT_EQ(with_empty.status, 0);
  EXPECT_EQ(with_empty.out, without.out);
  EXPECT_NE(without.out.find(" Filter1: PC-01\r\n Filter2: \r\n Exclude IDs: 30,31\r\n"),
            std::string::npos);
}

// Whether the user may run the program: every folder above it must let them through.
bool MayRun(uid_t user, const fs::path& program) {
  const pid_t pid = fork();
  if (pid == 0) _exit(setuid(user) == 0 && access(program.c_str(), X_OK) == 0 ? 0 : 1);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(TempDir, ALogTheUserMayNotReadIsAnAccessFailure) {
  const fs::path log = dir_ / "locked.log";
  std::ofstream(log) << "11,x\r\n";
  fs::permissions(log, fs::perms::none);
  // Root may read anything: run as nobody then, from a copy of the program beside the log. The
  // build may lie under a folder closed to other users (a checkout in root's home of mode 0700).
  std::string program = TESSAL_EXE;
  uid_t user = 0;
  if (geteuid() == 0) {
    user = 65534;
    program = (dir_ / "Tessal").string();
    fs::copy_file(TESSAL_EXE, program);
    if (!MayRun(user, program)) {
      GTEST_SKIP() << "the user nobody cannot reach " << program
                   << ": a folder above it is closed to other users (set TMPDIR elsewhere)";
    }
  }
  const tRun run = RunTessal({log.string()}, Stdout::kCapture, user, false, program);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, kEcho);  // what came before, and no "Done"
  EXPECT_TRUE(std::regex_match(run.err, Report("File access denied"))) << run.err;
}

TEST(PosixRun, WriteFailuresOnStandardOutputEndTheRun) {
  const tRun full = RunTessal({kData + "/audit.log"}, Stdout::kDevFull);
  EXPECT_EQ(full.status, 1);
  EXPECT_TRUE(std::regex_match(full.err, Report("I/O error 112"))) << full.err;

  const tRun closed = RunTessal({kData + "/audit.log"}, Stdout::kClosed);
  EXPECT_EQ(closed.status, 1);
  EXPECT_TRUE(std::regex_match(closed.err, Report("I/O error 6"))) << closed.err;
}

TEST_F(TempDir, APipeClosedEarlyIsABrokenPipe) {
  const fs::path log = dir_ / "big.log";
  {
    std::ofstream out(log, std::ios::binary);
    for (int i = 0; i < 20000; ++i) out << "11,11/02/22,14:08:40,Renew,192.168.10.25,PC-01\r\n";
  }
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const fs::path err = dir_ / "err";
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(e, 2);
    execl(TESSAL_EXE, TESSAL_EXE, log.c_str(), static_cast<char*>(nullptr));
    _exit(98);
  }
  close(fds[1]);
  char first[64];
  ASSERT_GT(read(fds[0], first, sizeof first), 0);
  close(fds[0]);  // as "| head -n 1" does
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string text = Slurp(err);
  EXPECT_TRUE(std::regex_match(text, Report("I/O error 109"))) << text;
}

TEST_F(TempDir, APipeGetsTheRoomToRunAheadAndTheSameBytes) {
  const std::string log = kData + "/audit.log";
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    execl(TESSAL_EXE, TESSAL_EXE, log.c_str(), static_cast<char*>(nullptr));
    _exit(98);
  }
  close(fds[1]);
  std::string piped;
  char buffer[4096];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
    piped.append(buffer, static_cast<size_t>(n));
  }
  int status = 0;
  waitpid(pid, &status, 0);
  // As much room as a user may give a pipe, 1 MiB or the system's own limit below that.
  const long limit = std::stol(Slurp("/proc/sys/fs/pipe-max-size"));
  EXPECT_EQ(fcntl(fds[0], F_GETPIPE_SZ), std::min(limit, 1L << 20));
  close(fds[0]);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(piped, RunTessal({log}).out);
}

// Appends what the terminal shows next to screen; false when nothing comes within timeout_ms or
// the terminal is closed.
bool ReadFromTerminal(int master, int timeout_ms, std::string& screen) {
  pollfd ready{master, POLLIN, 0};
  if (poll(&ready, 1, timeout_ms) != 1) return false;
  char buffer[4096];
  const ssize_t n = read(master, buffer, sizeof buffer);
  if (n <= 0) return false;
  screen.append(buffer, static_cast<size_t>(n));
  return true;
}

// Starts Tessal on a terminal of its own that passes bytes as written (no CR added before LF);
// *master is the other end.
pid_t StartOnATerminal(const std::string& log, int* master, const char* more = nullptr) {
  const pid_t pid = forkpty(master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    termios raw;
    tcgetattr(0, &raw);
    cfmakeraw(&raw);
    tcsetattr(0, TCSANOW, &raw);
    execl(TESSAL_EXE, TESSAL_EXE, log.c_str(), more, static_cast<char*>(nullptr));
    _exit(98);
  }
  return pid;
}

TEST(PosixRun, OnATerminalOnlyTheRedEventLinesAreColoured) {
  int master = -1;
  const pid_t pid = StartOnATerminal(kData + "/audit.log", &master);
  ASSERT_GE(pid, 0);
  std::string screen;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n > 0) {
      screen.append(buffer, static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // EIO once the program has gone
    }
  }
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);

  const tRun redirected = RunTessal({kData + "/audit.log"});
  EXPECT_EQ(redirected.out.find('\x1b'), std::string::npos);
  // The terminal sees the same text, with colour around the event lines of 15 and 31 only.
  std::string expected = redirected.out;
  for (const char* line :
       {"Event: 15 - A lease was A lease was denied.\r\n", "Event: 31 - DNS update failed.\r\n"}) {
    const size_t at = expected.find(line);
    ASSERT_NE(at, std::string::npos) << line;
    expected.insert(at + std::strlen(line), "\x1b[0m");
    expected.insert(at, "\x1b[91m");
  }
  EXPECT_EQ(screen, expected);
}

TEST_F(TempDir, ACtrlCOnATerminalGivesItsColoursBack) {
  // A live log that has shown a denial and goes on: the program waits for more when it is stopped.
  const fs::path fifo = dir_ / "live.log";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  int master = -1;
  const pid_t pid = StartOnATerminal(fifo.string(), &master);
  ASSERT_GE(pid, 0);
  const int log = open(fifo.c_str(), O_WRONLY);
  ASSERT_GE(log, 0);
  const std::string record = "15,d,t\r\n";
  ASSERT_EQ(write(log, record.data(), record.size()), static_cast<ssize_t>(record.size()));
  std::string screen;
  auto read_some = [&]() { return ReadFromTerminal(master, 10000, screen); };
  const std::string block_end = "RelayAgentInformation: t\r\n\r\n";
  while (screen.find(block_end) == std::string::npos && read_some()) {
  }
  ASSERT_NE(screen.find("\x1b[91mEvent: 15 "), std::string::npos) << screen;
  kill(pid, SIGINT);
  while (read_some()) {
  }
  close(master);
  close(log);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  // The interrupt wrote the user's colours back on its way out.
  EXPECT_EQ(screen.substr(screen.find(block_end)), block_end + "\x1b[0m");
}

TEST_F(TempDir, FollowingOnATerminalStopsWithDoneInTheUsersColours) {
  // With /f a stop request is a normal end: the block is whole, "Done" follows, and the
  // colours were given back after the red line, not by an interrupt on its way out.
  const fs::path log = dir_ / "DhcpSrvLog-Wed.log";
  const std::string record = "15,d,t\r\n";
  std::ofstream(log, std::ios::binary) << record;
  int master = -1;
  const pid_t pid = StartOnATerminal(log.string(), &master, "/f");
  ASSERT_GE(pid, 0);
  std::string screen;
  auto read_until = [&](const std::string& text, size_t count) {
    auto seen = [&] {
      size_t n = 0;
      for (size_t at = screen.find(text); at != std::string::npos; at = screen.find(text, at + 1)) {
        ++n;
      }
      return n;
    };
    while (seen() < count) {
      if (!ReadFromTerminal(master, 30000, screen)) return false;
    }
    return true;
  };
  ASSERT_TRUE(read_until(" Waiting for new records; press Ctrl+C to stop.\r\n", 1)) << screen;
  std::ofstream(log, std::ios::binary | std::ios::app) << record;
  const std::string block_end = "RelayAgentInformation: t\r\n\r\n";
  ASSERT_TRUE(read_until(block_end, 2)) << screen;
  kill(pid, SIGINT);
  read_until("Done\r\n", 1);
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(screen.substr(screen.rfind(block_end)), block_end + "Done\r\n");
  // Both red lines, and each followed by the user's colours.
  auto count = [&](const std::string& text) {
    size_t n = 0;
    for (size_t at = screen.find(text); at != std::string::npos; at = screen.find(text, at + 1))
      ++n;
    return n;
  };
  EXPECT_EQ(count("\x1b[91m"), 2u);
  EXPECT_EQ(count("\x1b[91mEvent: 15 - A lease was A lease was denied.\r\n\x1b[0m"), 2u);
}

}  // namespace

namespace {

// The echo lines, then whole 19-line blocks, then "Done": the number of blocks, or -1.
int Blocks(const std::string& out, const std::string& echo = kEcho) {
  if (out.compare(0, echo.size(), echo) != 0) return -1;
  if (out.size() < echo.size() + 6 || out.compare(out.size() - 6, 6, "Done\r\n") != 0) return -1;
  size_t at = echo.size();
  const size_t end = out.size() - 6;
  int blocks = 0;
  while (at < end) {
    for (int line = 0; line < 19; ++line) {
      const size_t eol = out.find("\r\n", at);
      if (eol == std::string::npos || eol >= end + 1) return -1;
      if (line < 18 ? out.compare(at, std::strlen(testing_support::kBlockLabels[line]),
                                  testing_support::kBlockLabels[line]) != 0
                    : eol != at) {
        return -1;
      }
      at = eol + 2;
    }
    ++blocks;
  }
  return at == end ? blocks : -1;
}

std::string AllBytesBut(std::string_view excluded) {
  std::string bytes;
  for (int b = 0; b < 256; ++b) {
    if (excluded.find(static_cast<char>(b)) == std::string_view::npos)
      bytes += static_cast<char>(b);
  }
  return bytes;
}

TEST_F(TempDir, HostileLogsGiveWellFormedReports) {
  std::string random;
  uint64_t state = 0x9E3779B97F4A7C15ull;
  for (int i = 0; i < (1 << 20); ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    random += static_cast<char>(state >> 56);
  }
  const std::string field = AllBytesBut(std::string(",\r\n\x1a", 4));
  struct Case {
    const char* what;
    std::string log;
    int blocks;  // -1: any number
    std::string must_contain;
  } cases[] = {
      {"random bytes", random, -1, ""},
      {"NUL bytes", std::string(65536, '\0'), 0, ""},
      {"NULs in records", std::string("11,a\0b,c\r\n\0\0\0\r\n", 16), 1,
       std::string("Date: a\0b\r\n", 11)},
      {"only commas", std::string(100, ','), 0, ""},
      {"10,000 commas", "11" + std::string(10000, ',') + "\r\n", 1,
       "RelayAgentInformation: " + std::string(10000 - 17, ',') + "\r\n"},
      {"ends inside CR LF", "11,a,\r\n11,b,\r", 2, "Date: b\r\n"},
      {"every byte value in a field", "11," + field + ",x\r\n", 1, "Date: " + field + "\r\n"},
      {"a binary file renamed",
       std::string("MZ\x90\0\3\0\0\0,\x04\0\0\0\xff\xff", 16) + random.substr(0, 4096), -1, ""},
      {"more fields than we know", "11" + std::string(40, ',') + "9005,extra\r\n", 1, ""},
  };
  for (const Case& c : cases) {
    const fs::path log = dir_ / "hostile.log";
    {
      std::ofstream out(log, std::ios::binary);
      out << c.log;
    }
    const tRun run = RunTessal({log.string()});
    EXPECT_EQ(run.status, 0) << c.what;
    EXPECT_EQ(run.err, "") << c.what;
    const int blocks = Blocks(run.out);
    EXPECT_GE(blocks, 0) << c.what;
    if (c.blocks >= 0) {
      EXPECT_EQ(blocks, c.blocks) << c.what;
    }
    EXPECT_NE(run.out.find(c.must_contain), std::string::npos) << c.what;
  }
}

TEST_F(TempDir, ALineOf64MiBArrivesWhole) {
  const fs::path log = dir_ / "long.log";
  const std::string date(64 << 20, 'x');
  {
    std::ofstream out(log, std::ios::binary);
    out << "11," << date << ",t,\r\n12,d\r\n";
  }
  const tRun run = RunTessal({log.string()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(Blocks(run.out), 2);
  EXPECT_NE(run.out.find("Date: " + date + "\r\nTime: t\r\n"), std::string::npos);
}

TEST_F(TempDir, FiltersOfEveryByteValue) {
  // Every byte an argument can hold: the letters a to z match in either case, the rest exactly.
  const std::string filter = AllBytesBut(std::string("\0\r\n\x1a", 4));
  const std::string upper = platform::AsciiUpper(filter);
  const std::string lower = platform::AsciiLower(filter);
  const fs::path log = dir_ / "bytes.log";
  {
    std::ofstream out(log, std::ios::binary);
    out << "11," << lower << "\r\n"                               // matches
        << "12," << filter.substr(1) << "\r\n"                    // lacks the first byte
        << "13," << upper.substr(0, upper.size() - 1) << "\r\n";  // lacks the last
  }
  const tRun run = RunTessal({log.string(), filter});
  EXPECT_EQ(run.status, 0);
  const std::string echo =
      " v" TESSAL_VERSION "\r\n\r\n Filter1: " + upper + "\r\n Filter2: \r\n Exclude IDs: \r\n\r\n";
  EXPECT_EQ(Blocks(run.out, echo), 1);
  EXPECT_NE(run.out.find("Event: 11 "), std::string::npos);
  // A filter holding a CR or LF can match no line, since lines hold neither.
  const tRun never = RunTessal({log.string(), "\r", "x\ny"});
  EXPECT_EQ(Blocks(never.out, " v" TESSAL_VERSION "\r\n\r\n Filter1: \r\r\n Filter2: X\nY\r\n"
                              " Exclude IDs: \r\n\r\n"),
            0);
}

TEST_F(TempDir, ALogThatGrowsWhileItIsReadEndsWithDone) {
  const fs::path log = dir_ / "DhcpSrvLog-Thu.log";
  const std::string record = "11,12/10/26,00:00:00,Renew,192.168.10.21,PC-01,02A4C1D20101,,1,0\r\n";
  {
    std::ofstream out(log, std::ios::binary);
    for (int i = 0; i < 20000; ++i) out << record;
  }
  // The server goes on appending, a line at a time, while the viewer reads.
  const pid_t writer = fork();
  if (writer == 0) {
    const int fd = open(log.c_str(), O_WRONLY | O_APPEND);
    for (int i = 0; i < 3000; ++i) {
      if (write(fd, record.data(), record.size()) < 0) _exit(1);
      usleep(1000);
    }
    _exit(0);
  }
  const tRun run = RunTessal({log.string()}, Stdout::kCapture, 0, true);
  kill(writer, SIGKILL);
  waitpid(writer, nullptr, 0);
  EXPECT_EQ(run.status, 0);
  EXPECT_GE(Blocks(run.out), 20000);
}

TEST_F(TempDir, PipesAndLinksAsTheLog) {
  const std::string fixture = kData + "/audit.log";
  const tRun direct = RunTessal({fixture});
  ASSERT_EQ(direct.status, 0);
  const std::string blocks = direct.out.substr(kEcho.size());

  // A named pipe is read to its end like a file.
  const fs::path fifo = dir_ / "pipe.log";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const pid_t writer = fork();
  if (writer == 0) {
    const int fd = open(fifo.c_str(), O_WRONLY);
    const std::string text = Slurp(fixture);
    if (write(fd, text.data(), text.size()) < 0) _exit(1);
    _exit(0);
  }
  const tRun piped = RunTessal({fifo.string()});
  waitpid(writer, nullptr, 0);
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.out.substr(kEcho.size()), blocks);

  // So is /dev/fd/N, as the shell's <(zcat log.gz) passes it.
  const tRun by_fd = RunThroughAPipe(fixture);
  EXPECT_EQ(by_fd.status, 0);
  EXPECT_EQ(by_fd.out.substr(kEcho.size()), blocks);

  // A symbolic link loop is a log that is not there.
  fs::create_symlink(dir_ / "b.log", dir_ / "a.log");
  fs::create_symlink(dir_ / "a.log", dir_ / "b.log");
  const tRun loop = RunTessal({(dir_ / "a.log").string()});
  EXPECT_EQ(loop.status, 2);
  EXPECT_NE(loop.out.find(" Unable to locate " + (dir_ / "a.log").string() + "\r\n"),
            std::string::npos);
  EXPECT_EQ(loop.out.substr(loop.out.size() - 6), "Done\r\n");
}

TEST_F(TempDir, AStreamIsTheDHCPv6LogOnlyWhenItsHeaderSaysSo) {
  // Through /dev/fd/N, a name that says nothing: the header decides, and without it the
  // records read as the IPv4 log, as from a file of any other name.
  for (const char* name : {"/v6_audit.log", "/v6_records.log"}) {
    const tRun direct = RunTessal({kData + name});
    ASSERT_EQ(direct.status, 0);
    const tRun piped = RunThroughAPipe(kData + name);
    EXPECT_EQ(piped.status, 0) << name;
    EXPECT_EQ(piped.out, direct.out) << name;
  }
  EXPECT_NE(RunTessal({kData + "/v6_audit.log"}).out.find("\r\nIPv6 Address: "), std::string::npos);
  EXPECT_EQ(RunTessal({kData + "/v6_records.log"}).out.find("\r\nIPv6 Address: "),
            std::string::npos);
}

}  // namespace
