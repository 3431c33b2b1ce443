// WoW64 file-system redirection around the Win32 layer's file operations. In a 32-bit process on
// 64-bit Windows each operation turns it off for its own name only: afterwards System32 is
// SysWOW64 again, as the loading of a system DLL (WS2_32.DLL for a notice) needs. A Sysnative
// name is read with redirection left on, since the name exists only while it is on.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/os_win32.h"

namespace {

// The layer's operations that take a file name, each run once on names in a folder (ending in
// a backslash) that holds the file log.txt.
struct tOperation {
  const char* name;
  std::function<void(platform::Os&, const std::string& folder)> run;
};

const std::vector<tOperation> kOperations = {
    {"ChangeDirectory",
     [](platform::Os& os, const std::string& folder) { os.ChangeDirectory(folder); }},
    {"FindFirst", [](platform::Os& os, const std::string& folder) { os.FindFirst(folder + "*"); }},
    {"IsExistingFile",
     [](platform::Os& os, const std::string& folder) { os.IsExistingFile(folder + "log.txt"); }},
    {"FindFiles",
     [](platform::Os& os, const std::string& folder) {
       std::vector<platform::FoundFile> files;
       os.FindFiles(folder + "*", &files);
     }},
    {"OpenForReading",
     [](platform::Os& os, const std::string& folder) {
       platform::FileHandle file = 0;
       if (os.OpenForReading(folder + "log.txt", &file) == platform::kErrorNone) os.Close(file);
     }},
    {"OpenForWriting",
     [](platform::Os& os, const std::string& folder) {
       platform::FileHandle file = 0;
       if (os.OpenForWriting(folder + "written.txt", false, &file) == platform::kErrorNone) {
         os.Close(file);
       }
     }},
};

std::string WindowsFolder() {
  char folder[MAX_PATH] = {};
  GetWindowsDirectoryA(folder, MAX_PATH);
  return folder;
}

bool MakeFile(const std::string& name, const std::string& contents) {
  const HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
  CloseHandle(file);
  return written == contents.size();
}

// A folder of the test's own with log.txt in it; the current directory is given back afterwards.
class Wow64Redirection : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, before_);
    char temporary[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temporary);
    const std::string own = "tessal-redirection-" + std::to_string(GetCurrentProcessId());
    folder_ = std::string(temporary) + own + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
    ASSERT_TRUE(MakeFile(folder_ + "log.txt", "11,d\r\n"));
    // A folder that is not there: nothing is made or changed below it.
    sysnative_ = WindowsFolder() + "\\Sysnative\\" + own + "\\";
  }
  void TearDown() override {
    SetCurrentDirectoryA(before_);
    DeleteFileA((folder_ + "log.txt").c_str());
    DeleteFileA((folder_ + "written.txt").c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  void Run(const tOperation& operation, const std::string& folder) {
    operation.run(platform::Real(), folder);
    SetCurrentDirectoryA(before_);
  }

  char before_[MAX_PATH] = {};
  std::string folder_, sysnative_;
};

// Whether this process can turn redirection off at all: a 32-bit process on 64-bit Windows.
bool RedirectionCanBeTurnedOff() {
  PVOID state = nullptr;
  if (!Wow64DisableWow64FsRedirection(&state)) return false;
  Wow64RevertWow64FsRedirection(state);
  return true;
}

TEST_F(Wow64Redirection, EachOperationAsksForItOffAndOnAgainButNotForASysnativeName) {
  const int turned_off = RedirectionCanBeTurnedOff() ? 1 : 0;
  for (const tOperation& operation : kOperations) {
    platform::tRedirectionCounts before = platform::RedirectionCounts();
    Run(operation, folder_);
    EXPECT_EQ(platform::RedirectionCounts().asked_off - before.asked_off, 1) << operation.name;
    EXPECT_EQ(platform::RedirectionCounts().turned_on_again - before.turned_on_again, turned_off)
        << operation.name;
    before = platform::RedirectionCounts();
    Run(operation, sysnative_);
    EXPECT_EQ(platform::RedirectionCounts().asked_off - before.asked_off, 0)
        << operation.name << " on " << sysnative_;
    EXPECT_EQ(platform::RedirectionCounts().turned_on_again - before.turned_on_again, 0)
        << operation.name << " on " << sysnative_;
  }
}

TEST_F(Wow64Redirection, IsOnAgainAfterEachOperation) {
  BOOL wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) {
    GTEST_SKIP() << "no 32-bit process on 64-bit Windows: nothing is redirected here";
  }
  // A file that only SysWOW64 holds: a plain open finds it by its System32 name while
  // redirection is on, and not while it is off.
  const std::string name = "tessal-redirected-" + std::to_string(GetCurrentProcessId()) + ".txt";
  const std::string syswow64 = WindowsFolder() + "\\SysWOW64\\" + name;
  const std::string system32 = WindowsFolder() + "\\System32\\" + name;
  ASSERT_TRUE(MakeFile(syswow64, "redirected\r\n")) << syswow64;
  auto redirected = [&] {
    const HANDLE file = CreateFileA(system32.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  };
  EXPECT_TRUE(redirected()) << "before any operation";
  for (const tOperation& operation : kOperations) {
    Run(operation, folder_);
    EXPECT_TRUE(redirected()) << "after " << operation.name;
  }
  DeleteFileA(syswow64.c_str());
}

}  // namespace
