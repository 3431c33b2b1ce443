// Whole runs of the real program on POSIX: terminals, pipes, full devices, closed streams and
// files the user may not read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

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

// Runs Tessal with the arguments; standard output and error are caught in files.
tRun RunTessal(const std::vector<std::string>& args, Stdout where = Stdout::kCapture,
               uid_t as_user = 0) {
  const fs::path dir = fs::temp_directory_path() / ("tessal-run-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path out = dir / "out", err = dir / "err";
  const pid_t pid = fork();
  if (pid == 0) {
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
    std::vector<char*> argv{const_cast<char*>(TESSAL_EXE)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(TESSAL_EXE, argv.data());
    _exit(98);
  }
  tRun run;
  int status = 0;
  waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = Slurp(out);
  run.err = Slurp(err);
  fs::remove_all(dir);
  return run;
}

const std::string kData = TESSAL_DATA;
const std::string kEcho =
    " v2022.11.2.1403\r\n\r\n Filter1: \r\n Filter2: \r\n Exclude IDs: \r\n\r\n";
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

TEST_F(TempDir, ALogTheUserMayNotReadIsAnAccessFailure) {
  const fs::path log = dir_ / "locked.log";
  std::ofstream(log) << "11,x\r\n";
  fs::permissions(log, fs::perms::none);
  // Root may read anything: run as nobody then.
  const tRun run = RunTessal({log.string()}, Stdout::kCapture, geteuid() == 0 ? 65534 : 0);
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

TEST(PosixRun, OnATerminalOnlyTheRedEventLinesAreColoured) {
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    termios raw;
    tcgetattr(0, &raw);
    cfmakeraw(&raw);  // no CR added before LF: the bytes arrive as written
    tcsetattr(0, TCSANOW, &raw);
    execl(TESSAL_EXE, TESSAL_EXE, (kData + "/audit.log").c_str(), static_cast<char*>(nullptr));
    _exit(98);
  }
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

}  // namespace
