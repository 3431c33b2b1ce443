// The platforms one contract is run against: the real layer of the build (POSIX, or Win32 under
// wine) and the fake in both of its path styles. Each comes with the means to set up the world
// its operations see and to look at what they did to it, so that one table of cases holds for
// every platform.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/os.h"

namespace testing_support {

class Environment {
 public:
  virtual ~Environment() = default;

  virtual platform::Os& Os() = 0;
  // The separator of folder names.
  char Separator() { return Os().Style() == platform::PathStyle::kWindows ? '\\' : '/'; }

  // An empty folder of the test's own; the name ends in a separator. Names below are in it.
  virtual std::string Folder() = 0;
  std::string Name(const std::string& relative) { return Folder() + Native(relative); }
  // A relative name with '/' written as the platform's separator.
  std::string Native(std::string relative) {
    for (char& c : relative) {
      if (c == '/') c = Separator();
    }
    return relative;
  }

  virtual void MakeFile(const std::string& name, const std::string& contents) = 0;
  virtual void MakeFolder(const std::string& name) = 0;
  // Makes a file that exists read-only and runs the operations on it; false, and nothing run,
  // when nothing keeps this process from writing it all the same.
  virtual bool WithReadOnly(const std::string& name, const std::function<void()>& operations) = 0;
  // Makes a file or folder one this process may not read (open, or list) and runs the
  // operations; false, and nothing run, when nothing keeps this process from reading it.
  virtual bool WithUnreadable(const std::string& name, const std::function<void()>& operations) = 0;
  // Sets a file's last write time, in 100-nanosecond steps since 1601-01-01 UTC.
  virtual void SetWriteTime(const std::string& name, uint64_t write_time) = 0;
  // The contents of a file, or nothing when there is no such file.
  virtual std::optional<std::string> Contents(const std::string& name) = 0;
  // True when the folder is the current directory.
  virtual bool IsCurrentFolder(const std::string& name) = 0;

  // A registry key below HKEY_LOCAL_MACHINE with these text values (REG_SZ), removed again with
  // the environment. Answers the key's name, or nothing where there is no registry.
  virtual std::optional<std::string> MakeRegistryKey(
      const std::map<std::string, std::string>& texts) = 0;

  // Runs the operations with standard output sent to a new file, and answers what reached it.
  virtual std::string WithStdoutToFile(const std::function<void()>& operations) = 0;
  // Runs the operations with standard output closed, or pointing at a pipe whose reader has gone.
  // False when the platform has no such state to put its standard output in.
  virtual bool WithStdoutClosed(const std::function<void()>& operations) = 0;
  virtual bool WithStdoutToAbandonedPipe(const std::function<void()>& operations) = 0;

  // Opens the reading end of a pipe that nobody writes to. False where there is none.
  virtual bool OpenPipe(platform::FileHandle* reader) = 0;
  // Asks the process to stop as the user does (Ctrl+C, or SIGINT): false when it cannot.
  virtual bool RequestStop() = 0;

  // Whether datagrams may be sent: only where none can leave the process.
  virtual bool MaySend() = 0;
};

struct EnvironmentFactory {
  std::string name;
  std::function<std::unique_ptr<Environment>()> make;
};
// How a test names its environment in a failure.
inline void PrintTo(const EnvironmentFactory& factory, std::ostream* out) { *out << factory.name; }

// The real layer of this build, and the fake in its Windows and its POSIX style.
std::vector<EnvironmentFactory> Environments();

std::unique_ptr<Environment> MakeRealEnvironment();
std::unique_ptr<Environment> MakeFakeEnvironment(platform::PathStyle style);

// What only the platform's own calls reach, for the real environment: in real_world_posix.cc or
// real_world_win32.cc.
namespace real_world {
// Runs the operations with standard output sent to the file, made anew.
void WithStdoutToFile(const std::string& file, const std::function<void()>& operations);
void WithStdoutClosed(const std::function<void()>& operations);
void WithStdoutToAbandonedPipe(const std::function<void()>& operations);
std::optional<std::string> MakeRegistryKey(const std::map<std::string, std::string>& texts);
void RemoveRegistryKey(const std::string& key);
bool OpenPipe(platform::FileHandle* reader);
bool RequestStop();
// In 100-nanosecond steps since 1601-01-01 UTC.
void SetWriteTime(const std::string& name, uint64_t write_time);
// Runs the check with the rights of an ordinary user, whom file permissions bind.
bool AsOrdinaryUser(const std::function<bool()>& check);
}  // namespace real_world

}  // namespace testing_support
