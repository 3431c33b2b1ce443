// One contract for every platform: the real layer of the build (POSIX natively, Win32 under wine)
// and the fake in both of its path styles give each operation the same answer, the error code of
// every failure included. Where Windows and POSIX must differ, the case says so, and why.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/rules.h"
#include "support/environments.h"
#include "support/fake_os.h"

namespace platform {
namespace {

using testing_support::Environment;
using testing_support::EnvironmentFactory;

// What an operation answers on Windows and on POSIX.
template <typename T>
struct Answer {
  T windows, posix;
  const char* why_they_differ;
};
// Said with a failure of a case where the platforms differ, so that it shows which promise broke.
template <typename T>
std::string Why(const Answer<T>& answer) {
  return answer.why_they_differ == nullptr
             ? std::string()
             : std::string(" (Windows and POSIX differ: ") + answer.why_they_differ + ")";
}
template <typename T>
Answer<T> Same(T value) {
  return {value, value, nullptr};
}
template <typename T>
Answer<T> Differs(T windows, T posix, const char* why) {
  return {windows, posix, why};
}

constexpr char kBytes[] = "one\r\ntwo\n\x1a\0three\r\n";  // any bytes, kept as they are
const std::string kA(kBytes, sizeof kBytes - 1);
const char kWritten[] = "written\r\n";

class PlatformContract : public ::testing::TestWithParam<EnvironmentFactory> {
 protected:
  void SetUp() override { Fresh(); }

  // A new environment holding the world every case starts from.
  void Fresh() {
    env_.reset();
    env_ = GetParam().make();
    os_ = &env_->Os();
    env_->MakeFile(Name("a.txt"), kA);
    env_->MakeFile(Name(".hidden"), "h");
    env_->MakeFolder(Name("sub"));
    env_->MakeFile(Name("sub/b.log"), "b");
    env_->MakeFolder(Name("empty"));
  }

  template <typename T>
  T Expected(const Answer<T>& answer) const {
    return os_->Style() == PathStyle::kWindows ? answer.windows : answer.posix;
  }
  // A name in the folder of the world; "" stays the empty name.
  std::string Name(const std::string& relative) {
    return relative.empty() ? std::string() : env_->Name(relative);
  }

  std::string ReadAll(FileHandle file, size_t piece) {
    std::string contents;
    std::string buffer(piece, '\0');
    for (;;) {
      size_t got = 99;
      EXPECT_EQ(os_->Read(file, buffer.data(), piece, &got), kErrorNone);
      if (got == 0 || got > piece) return contents;
      contents.append(buffer.data(), got);
    }
  }

  std::unique_ptr<Environment> env_;
  Os* os_ = nullptr;
};

TEST_P(PlatformContract, OpenForReading) {
  struct Case {
    const char* what;
    const char* name;
    Answer<ErrorCode> answer;
  } cases[] = {
      {"a file", "a.txt", Same(kErrorNone)},
      {"a missing file", "missing.txt", Same(kErrorFileNotFound)},
      {"a file in a missing folder", "nodir/a.txt", Same(kErrorPathNotFound)},
      {"a name below a file", "a.txt/x.txt", Same(kErrorPathNotFound)},
      {"a folder", "sub", Same(kErrorAccessDenied)},
      {"the empty name", "", Same(kErrorPathNotFound)},
      {"a file in another letter case", "A.TXT",
       Differs(kErrorNone, kErrorFileNotFound, "Windows file names ignore letter case")},
  };
  for (const Case& c : cases) {
    FileHandle file = -7;
    const ErrorCode error = os_->OpenForReading(Name(c.name), &file);
    EXPECT_EQ(error, Expected(c.answer)) << c.what << Why(c.answer);
    if (error == kErrorNone) {
      EXPECT_EQ(ReadAll(file, 4096), kA) << c.what;
      EXPECT_EQ(os_->Close(file), kErrorNone) << c.what;
    } else {
      EXPECT_EQ(file, -7) << c.what << ": the handle is left alone";
    }
  }
}

TEST_P(PlatformContract, ReadGivesTheBytesInPiecesThenNothing) {
  for (size_t piece : {size_t{1}, size_t{7}, size_t{1} << 16}) {
    FileHandle file = 0;
    ASSERT_EQ(os_->OpenForReading(Name("a.txt"), &file), kErrorNone);
    EXPECT_EQ(ReadAll(file, piece), kA) << piece;
    // At the end it stays at the end.
    char byte;
    size_t got = 99;
    EXPECT_EQ(os_->Read(file, &byte, 1, &got), kErrorNone);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(os_->Close(file), kErrorNone);
  }
}

TEST_P(PlatformContract, AReaderSeesWhatAWriterAddsMeanwhile) {
  // Today's log: the server keeps appending while it is read.
  FileHandle writer = 0, reader = 0;
  ASSERT_EQ(os_->OpenForWriting(Name("live.log"), true, &writer), kErrorNone);
  ASSERT_EQ(os_->Write(writer, "1\r\n", 3), kErrorNone);
  ASSERT_EQ(os_->OpenForReading(Name("live.log"), &reader), kErrorNone);
  EXPECT_EQ(ReadAll(reader, 64), "1\r\n");
  ASSERT_EQ(os_->Write(writer, "2\r\n", 3), kErrorNone);
  EXPECT_EQ(ReadAll(reader, 64), "2\r\n");
  EXPECT_EQ(os_->Close(reader), kErrorNone);
  EXPECT_EQ(os_->Close(writer), kErrorNone);
}

TEST_P(PlatformContract, BadHandles) {
  // Each case gives a handle that is no longer, or never was, open for the operation.
  auto closed = [&] {
    FileHandle file = 0;
    EXPECT_EQ(os_->OpenForReading(Name("a.txt"), &file), kErrorNone);
    EXPECT_EQ(os_->Close(file), kErrorNone);
    return file;
  };
  auto reading = [&] {
    FileHandle file = 0;
    EXPECT_EQ(os_->OpenForReading(Name("a.txt"), &file), kErrorNone);
    return file;
  };
  auto writing = [&] {
    FileHandle file = 0;
    EXPECT_EQ(os_->OpenForWriting(Name("new.txt"), false, &file), kErrorNone);
    return file;
  };
  char buffer[16];
  size_t got = 99;
  struct Case {
    const char* what;
    std::function<FileHandle()> handle;
    std::function<ErrorCode(FileHandle)> operation;
    ErrorCode error;
    bool close_after;
  } cases[] = {
      {"read of a closed handle", closed,
       [&](FileHandle f) { return os_->Read(f, buffer, sizeof buffer, &got); }, kErrorInvalidHandle,
       false},
      {"read of a handle open for writing", writing,
       [&](FileHandle f) { return os_->Read(f, buffer, sizeof buffer, &got); }, kErrorAccessDenied,
       true},
      {"write to a closed handle", closed, [&](FileHandle f) { return os_->Write(f, "x", 1); },
       kErrorInvalidHandle, false},
      {"write to a handle open for reading", reading,
       [&](FileHandle f) { return os_->Write(f, "x", 1); }, kErrorAccessDenied, true},
      {"close of a closed handle", closed, [&](FileHandle f) { return os_->Close(f); },
       kErrorInvalidHandle, false},
  };
  for (const Case& c : cases) {
    const FileHandle file = c.handle();
    got = 99;
    EXPECT_EQ(c.operation(file), c.error) << c.what;
    if (got != 99) {
      EXPECT_EQ(got, 0u) << c.what << ": a failed read reads nothing";
    }
    if (c.close_after) {
      EXPECT_EQ(os_->Close(file), kErrorNone) << c.what;
    }
  }
  EXPECT_EQ(env_->Contents(Name("a.txt")), kA);
}

TEST_P(PlatformContract, OpenForWritingCreatesReplacesOrAppends) {
  struct Case {
    const char* what;
    const char* name;
    bool append;
    std::string after;
  } cases[] = {
      {"a new file", "new.txt", false, kWritten},
      {"a file replaced", "a.txt", false, kWritten},
      {"a new file by appending", "new.txt", true, kWritten},
      {"a file appended to", "a.txt", true, kA + kWritten},
      {"a new file in a folder", "sub/new.txt", false, kWritten},
  };
  for (const Case& c : cases) {
    Fresh();
    FileHandle file = -7;
    ASSERT_EQ(os_->OpenForWriting(Name(c.name), c.append, &file), kErrorNone) << c.what;
    EXPECT_EQ(os_->Write(file, kWritten, 4), kErrorNone) << c.what;
    EXPECT_EQ(os_->Write(file, kWritten + 4, 0), kErrorNone) << c.what;
    EXPECT_EQ(os_->Write(file, kWritten + 4, std::strlen(kWritten) - 4), kErrorNone) << c.what;
    EXPECT_EQ(os_->Close(file), kErrorNone) << c.what;
    EXPECT_EQ(env_->Contents(Name(c.name)), c.after) << c.what;
  }
}

TEST_P(PlatformContract, OpenForWritingFailsAlikeEitherWay) {
  struct Case {
    const char* what;
    const char* name;
    Answer<ErrorCode> answer;
  } cases[] = {
      {"a file in a missing folder", "nodir/x.txt", Same(kErrorPathNotFound)},
      {"a name below a file", "a.txt/x.txt", Same(kErrorPathNotFound)},
      {"a folder", "sub", Same(kErrorAccessDenied)},
      {"the empty name", "", Same(kErrorPathNotFound)},
  };
  for (const bool append : {false, true}) {
    for (const Case& c : cases) {
      FileHandle file = -7;
      EXPECT_EQ(os_->OpenForWriting(Name(c.name), append, &file), Expected(c.answer))
          << c.what << Why(c.answer) << (append ? ", appending" : "");
      EXPECT_EQ(file, -7) << c.what;
    }
  }
  EXPECT_FALSE(env_->Contents(Name("nodir/x.txt")));
  EXPECT_EQ(env_->Contents(Name("a.txt")), kA);
}

TEST_P(PlatformContract, AReadOnlyFileIsNotWritten) {
  std::vector<ErrorCode> errors;
  const bool read_only = env_->WithReadOnly(Name("a.txt"), [&] {
    for (const bool append : {false, true}) {
      FileHandle file = -7;
      errors.push_back(os_->OpenForWriting(Name("a.txt"), append, &file));
    }
  });
  if (!read_only) GTEST_SKIP() << "this process writes read-only files all the same";
  EXPECT_EQ(errors, std::vector<ErrorCode>(2, kErrorAccessDenied)) << "replacing, appending";
  EXPECT_EQ(env_->Contents(Name("a.txt")), kA);
}

TEST_P(PlatformContract, WritersAndReadersOfOneFile) {
  FileHandle reader = 0, writer = 0, second = -7;
  ASSERT_EQ(os_->OpenForReading(Name("a.txt"), &reader), kErrorNone);
  // A reader lets others write: the log's server goes on writing while it is read.
  EXPECT_EQ(os_->OpenForWriting(Name("a.txt"), true, &writer), kErrorNone);
  EXPECT_EQ(os_->Close(reader), kErrorNone);
  const Answer<ErrorCode> second_writer =
      Differs(kErrorSharingViolation, kErrorNone,
              "Windows lets others only read a file open for writing; POSIX has no such rule");
  const ErrorCode error = os_->OpenForWriting(Name("a.txt"), true, &second);
  EXPECT_EQ(error, Expected(second_writer)) << Why(second_writer);
  if (error == kErrorNone) {
    EXPECT_EQ(os_->Close(second), kErrorNone);
  } else {
    EXPECT_EQ(second, -7);
  }
  ASSERT_EQ(os_->OpenForReading(Name("a.txt"), &reader), kErrorNone);
  EXPECT_EQ(os_->Close(reader), kErrorNone);
  EXPECT_EQ(os_->Close(writer), kErrorNone);
}

TEST_P(PlatformContract, TheStateOfAnOpenFile) {
  // 2022-11-02 14:08:40.5 UTC, in Windows' steps since 1601.
  constexpr uint64_t kWriteTime = 133118717205000000;
  env_->SetWriteTime(Name("a.txt"), kWriteTime);
  FileHandle file = 0;
  ASSERT_EQ(os_->OpenForReading(Name("a.txt"), &file), kErrorNone);
  FileState state{false, 99, 99};
  ASSERT_EQ(os_->OpenFileState(file, &state), kErrorNone);
  EXPECT_TRUE(state.regular);
  EXPECT_EQ(state.size, kA.size());
  EXPECT_EQ(state.write_time, kWriteTime);
  // What another writer adds shows at once, through the handle that reads.
  FileHandle writer = 0;
  ASSERT_EQ(os_->OpenForWriting(Name("a.txt"), true, &writer), kErrorNone);
  ASSERT_EQ(os_->Write(writer, "more", 4), kErrorNone);
  ASSERT_EQ(os_->Close(writer), kErrorNone);
  ASSERT_EQ(os_->OpenFileState(file, &state), kErrorNone);
  EXPECT_EQ(state.size, kA.size() + 4);
  EXPECT_EQ(os_->Close(file), kErrorNone);
  EXPECT_EQ(os_->OpenFileState(file, &state), kErrorInvalidHandle) << "a closed handle";

  // A pipe is read to its end, and no more: it is no regular file.
  FileHandle pipe = 0;
  if (!env_->OpenPipe(&pipe)) GTEST_SKIP() << "no pipe to look at";
  state = {true, 99, 99};
  ASSERT_EQ(os_->OpenFileState(pipe, &state), kErrorNone);
  EXPECT_FALSE(state.regular);
  EXPECT_EQ(os_->Close(pipe), kErrorNone);
}

TEST_P(PlatformContract, TheStateOfAFileByName) {
  constexpr uint64_t kWriteTime = 133118717205000000;
  env_->SetWriteTime(Name("sub/b.log"), kWriteTime);
  struct Case {
    const char* what;
    const char* name;
    Answer<ErrorCode> answer;
    uint64_t size;
  } cases[] = {
      {"a file", "sub/b.log", Same(kErrorNone), 1},
      {"a file with a dot first", ".hidden", Same(kErrorNone), 1},
      {"a missing file", "missing.txt", Same(kErrorFileNotFound), 0},
      {"a file in a missing folder", "nodir/a.txt", Same(kErrorPathNotFound), 0},
      {"a name below a file", "a.txt/x.txt", Same(kErrorPathNotFound), 0},
      {"a folder", "sub", Same(kErrorAccessDenied), 0},
      {"the empty name", "", Same(kErrorPathNotFound), 0},
      {"a file in another letter case", "SUB/B.LOG",
       Differs(kErrorNone, kErrorPathNotFound, "Windows file names ignore letter case"), 1},
  };
  for (const Case& c : cases) {
    FileState state{false, 99, 99};
    const ErrorCode error = os_->NamedFileState(Name(c.name), &state);
    EXPECT_EQ(error, Expected(c.answer)) << c.what << Why(c.answer);
    if (error != kErrorNone) continue;
    EXPECT_TRUE(state.regular) << c.what;
    EXPECT_EQ(state.size, c.size) << c.what;
    if (std::string(c.name) != ".hidden") {
      EXPECT_EQ(state.write_time, kWriteTime) << c.what;
    }
  }
}

TEST_P(PlatformContract, RewindReadsATruncatedFileFromItsStart) {
  FileHandle reader = 0, writer = 0;
  ASSERT_EQ(os_->OpenForReading(Name("a.txt"), &reader), kErrorNone);
  EXPECT_EQ(ReadAll(reader, 64), kA);
  // The server starts the weekday's file afresh while it is followed.
  ASSERT_EQ(os_->OpenForWriting(Name("a.txt"), false, &writer), kErrorNone);
  ASSERT_EQ(os_->Write(writer, "anew\r\n", 6), kErrorNone);
  FileState state{};
  ASSERT_EQ(os_->OpenFileState(reader, &state), kErrorNone);
  EXPECT_EQ(state.size, 6u);
  EXPECT_EQ(os_->Rewind(reader), kErrorNone);
  EXPECT_EQ(ReadAll(reader, 64), "anew\r\n");
  ASSERT_EQ(os_->Write(writer, "more\r\n", 6), kErrorNone);
  EXPECT_EQ(ReadAll(reader, 64), "more\r\n");
  EXPECT_EQ(os_->Close(writer), kErrorNone);
  EXPECT_EQ(os_->Close(reader), kErrorNone);
  EXPECT_EQ(os_->Rewind(reader), kErrorInvalidHandle) << "a closed handle";
}

TEST_P(PlatformContract, AStopRequestEndsTheWait) {
  using Clock = std::chrono::steady_clock;
  // Before stop requests are caught, a wait only waits.
  EXPECT_FALSE(os_->WaitForStop(20));
  os_->CatchStopRequests();
  os_->CatchStopRequests();  // a second call changes nothing
  auto start = Clock::now();
  EXPECT_FALSE(os_->WaitForStop(100)) << "nobody asked to stop";
  const auto waited = Clock::now() - start;
  if (dynamic_cast<FakeOs*>(os_) == nullptr) {  // the fake's time is its tick count
    EXPECT_GE(waited, std::chrono::milliseconds(80)) << "the wait is a wait, not a look";
  }
  // A request made while nobody waits is not lost: the next wait answers it at once.
  if (!env_->RequestStop()) GTEST_SKIP() << "no way to ask this process to stop";
  start = Clock::now();
  EXPECT_TRUE(os_->WaitForStop(20000));
  EXPECT_TRUE(os_->WaitForStop(20000)) << "once asked, it stays asked";
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

TEST_P(PlatformContract, FindFirstAndIsExistingFile) {
  const Answer<bool> yes = Same(true), no = Same(false);
  const Answer<bool> case_blind = Differs(true, false, "Windows file names ignore letter case");
  struct Case {
    const char* name;
    Answer<bool> found, is_file;
  } cases[] = {
      {"a.txt", yes, yes},
      {".hidden", yes, yes},
      {"sub", yes, no},
      {"sub/b.log", yes, yes},
      {"*.txt", yes, no},
      {"?.txt", yes, no},
      {"s*", yes, no},
      {"*.log", no, no},
      {"sub/*.log", yes, no},
      {"empty/*", yes, no},  // every folder holds its own "." entry
      {"empty/*.txt", no, no},
      {"missing", no, no},
      {"nodir/*.txt", no, no},
      {"a.txt/", no, no},
      {"sub/", no, no},
      {"", no, no},
      {"A.TXT", case_blind, case_blind},
      {"SUB", case_blind, no},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(os_->FindFirst(Name(c.name)), Expected(c.found))
        << "FindFirst " << c.name << Why(c.found);
    EXPECT_EQ(os_->IsExistingFile(Name(c.name)), Expected(c.is_file))
        << "IsExistingFile " << c.name << Why(c.is_file);
  }
}

// The names FindFiles answers, in one order, or the error it answers instead.
struct Listing {
  ErrorCode error;
  std::vector<std::string> names;
  bool operator==(const Listing&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Listing& listing) {
  out << "error " << listing.error << " {";
  for (const std::string& name : listing.names) out << " " << name;
  return out << " }";
}

TEST_P(PlatformContract, FindFilesListsTheMatchingFilesOfAFolder) {
  env_->MakeFolder(Name("sub/d.log"));  // a folder that matches is no file
  env_->MakeFile(Name("sub/C.Log"), "c");
  auto list = [&](const std::string& pattern) {
    std::vector<FoundFile> files{{"left over", 1}};
    Listing listing{os_->FindFiles(Name(pattern), &files), {}};
    for (const FoundFile& file : files) listing.names.push_back(file.name);
    std::sort(listing.names.begin(), listing.names.end());
    return listing;
  };
  auto found = [](std::vector<std::string> names) { return Listing{kErrorNone, names}; };
  const Listing none = found({});
  const Listing no_folder{kErrorPathNotFound, {}};
  const char* const case_blind = "Windows file names ignore letter case";
  struct Case {
    const char* pattern;
    Answer<Listing> answer;
  } cases[] = {
      {"*.txt", Same(found({"a.txt"}))},
      {"?.txt", Same(found({"a.txt"}))},
      {"??.txt", Same(none)},
      {"*", Differs(found({".hidden", "a.txt"}), found({"a.txt"}),
                    "a leading dot hides a name from POSIX patterns, as from the shell; Windows "
                    "has no such rule")},
      {".*", Same(found({".hidden"}))},
      {"s*", Same(none)},  // only the folder sub
      {"sub/*", Same(found({"C.Log", "b.log"}))},
      {"sub/*.log", Differs(found({"C.Log", "b.log"}), found({"b.log"}), case_blind)},
      {"empty/*", Same(none)},
      {"*.log", Same(none)},
      {"a.txt", Same(found({"a.txt"}))},  // a name without wildcards: that file
      {"sub", Same(none)},
      {"*.TXT", Differs(found({"a.txt"}), none, case_blind)},  // spelt as the folder spells it
      {"SUB/b.*", Differs(found({"b.log"}), no_folder, case_blind)},
      {"nodir/*.txt", Same(no_folder)},
      {"a.txt/*", Same(no_folder)},
      {"no|name/*.txt", Same(no_folder)},  // no valid folder name on Windows
  };
  for (const Case& c : cases) {
    EXPECT_EQ(list(c.pattern), Expected(c.answer)) << c.pattern << Why(c.answer);
  }
}

TEST_P(PlatformContract, FindFilesGivesTheLastWriteTimes) {
  // 2022-11-02 14:08:40.5 UTC and 1999-12-31 23:59:59 UTC, in Windows' steps since 1601.
  constexpr uint64_t kNewer = 133118717205000000, kOlder = 125911583990000000;
  env_->SetWriteTime(Name("a.txt"), kNewer);
  env_->SetWriteTime(Name("sub/b.log"), kOlder);
  std::vector<FoundFile> files;
  ASSERT_EQ(os_->FindFiles(Name("?.txt"), &files), kErrorNone);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].write_time, kNewer);
  ASSERT_EQ(os_->FindFiles(Name("sub/*"), &files), kErrorNone);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].write_time, kOlder);
}

TEST_P(PlatformContract, WhatMayNotBeRead) {
  std::vector<FoundFile> files;
  ErrorCode listed = kErrorNone, opened = kErrorNone;
  FileHandle file = -7;
  // A file the user may not read is still listed: the folder's rights decide that. Opening it
  // is what fails.
  if (!env_->WithUnreadable(Name("a.txt"), [&] {
        listed = os_->FindFiles(Name("*.txt"), &files);
        opened = os_->OpenForReading(Name("a.txt"), &file);
      })) {
    GTEST_SKIP() << "this process reads every file all the same";
  }
  EXPECT_EQ(listed, kErrorNone);
  EXPECT_EQ(files.size(), 1u);
  EXPECT_EQ(opened, kErrorAccessDenied);
  EXPECT_EQ(file, -7);
  ASSERT_TRUE(env_->WithUnreadable(Name("sub"),
                                   [&] { listed = os_->FindFiles(Name("sub/*.log"), &files); }));
  EXPECT_EQ(listed, kErrorAccessDenied) << "a folder the user may not list";
}

TEST_P(PlatformContract, ChangeDirectory) {
  struct Case {
    const char* name;
    Answer<bool> changed;
  } cases[] = {
      {"sub", Same(true)},
      {"empty/", Same(true)},
      {"missing", Same(false)},
      {"a.txt", Same(false)},
      {"", Same(false)},
      {"SUB", Differs(true, false, "Windows file names ignore letter case")},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(os_->ChangeDirectory(env_->Folder()));
    const bool changed = os_->ChangeDirectory(Name(c.name));
    EXPECT_EQ(changed, Expected(c.changed)) << c.name << Why(c.changed);
    // A change that fails leaves the current directory where it was.
    EXPECT_TRUE(env_->IsCurrentFolder(changed ? Name(c.name) : env_->Folder())) << c.name;
  }
}

TEST_P(PlatformContract, RegistryReads) {
  RegKey key = 77;
  EXPECT_EQ(os_->OpenRegistryKey("Software\\Tessal-Contract-NoSuchKey", kKeyRead, &key),
            kErrorFileNotFound);
  EXPECT_EQ(key, 77u);
  uint32_t type = 99, size = 99;
  EXPECT_EQ(os_->QueryRegistryValue(0, "Path", &type, &size, nullptr), kErrorInvalidHandle);

  const std::optional<std::string> made =
      env_->MakeRegistryKey({{"Path", "C:\\Foo"}, {"", "C:\\Foo\\foo.exe"}});
  // Every Windows has this key; so would POSIX, if it had a registry.
  const std::string name = made.value_or("Software\\Microsoft\\Windows\\CurrentVersion");
  const Answer<ErrorCode> opened = Differs(
      kErrorNone, kErrorFileNotFound, "there is no registry on POSIX: every key reads as missing");
  ASSERT_EQ(os_->OpenRegistryKey(name, kKeyRead, &key), Expected(opened)) << Why(opened);
  if (os_->Style() == PathStyle::kPosix) return;
  ASSERT_TRUE(made) << "no key could be made";

  struct Case {
    const char* what;
    const char* value;
    uint32_t buffer;  // 0: ask the size only
    ErrorCode error;
    std::string data;
  } cases[] = {
      {"the size of a text", "Path", 0, kErrorNone, std::string("C:\\Foo\0", 7)},
      {"a text", "Path", 7, kErrorNone, std::string("C:\\Foo\0", 7)},
      {"a text into more room than it needs", "Path", 100, kErrorNone, std::string("C:\\Foo\0", 7)},
      {"the default value", "", 15, kErrorNone, std::string("C:\\Foo\\foo.exe\0", 15)},
      {"a name in another letter case", "PATH", 7, kErrorNone, std::string("C:\\Foo\0", 7)},
      {"a missing value", "Missing", 0, kErrorFileNotFound, ""},
      {"too little room", "Path", 3, kErrorMoreData, ""},
  };
  for (const Case& c : cases) {
    type = 99;
    size = c.buffer;
    std::string data;
    const ErrorCode error =
        os_->QueryRegistryValue(key, c.value, &type, &size, c.buffer == 0 ? nullptr : &data);
    EXPECT_EQ(error, c.error) << c.what;
    if (error != kErrorNone) continue;
    EXPECT_EQ(type, kRegSz) << c.what;
    EXPECT_EQ(size, c.data.size()) << c.what;
    if (c.buffer != 0) {
      EXPECT_EQ(data, c.data) << c.what;
    }
  }
  os_->CloseRegistryKey(key);
  EXPECT_EQ(os_->QueryRegistryValue(key, "Path", &type, &size, nullptr), kErrorInvalidHandle);

  ASSERT_EQ(os_->OpenRegistryKey(AsciiUpper(name), kKeyRead, &key), kErrorNone)
      << "key names ignore case";
  os_->CloseRegistryKey(key);
}

TEST_P(PlatformContract, Clocks) {
  const uint32_t first = os_->TickCount();
  const uint32_t second = os_->TickCount();
  EXPECT_LT(second - first, 1000u);  // counting on, wrapping at 2^32
  LocalTime now{};
  ASSERT_EQ(os_->GetLocalTime(&now), kErrorNone);
  EXPECT_GE(now.year, 2000);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12) << now.month;
  EXPECT_TRUE(now.day >= 1 && now.day <= 31) << now.day;
  EXPECT_LT(now.hour, 24);
  EXPECT_LT(now.minute, 60);
  EXPECT_LT(now.second, 61);  // a leap second
  EXPECT_LT(now.millisecond, 1000);
  const std::string separator = os_->TimeSeparator();
  EXPECT_FALSE(separator.empty());
  EXPECT_EQ(separator.find_first_of("0123456789"), std::string::npos) << separator;
}

TEST_P(PlatformContract, ShortTonesEnd) {
  const auto start = std::chrono::steady_clock::now();
  os_->Beep(800, 0);
  os_->Beep(37, 10);     // the lowest tone Windows plays
  os_->Beep(32767, 10);  // and the highest
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_P(PlatformContract, SocketsOpenAndCloseWithoutSending) {
  ASSERT_EQ(os_->StartSockets(), kErrorNone);
  SocketHandle one = 0, two = 0;
  ASSERT_EQ(os_->OpenUdpSocket(&one), kErrorNone);
  ASSERT_EQ(os_->OpenUdpSocket(&two), kErrorNone);
  EXPECT_NE(one, two);
  EXPECT_EQ(os_->SetBroadcast(one, true), kErrorNone);
  EXPECT_EQ(os_->SetBroadcast(one, false), kErrorNone);
  os_->CloseSocket(one);
  os_->CloseSocket(two);
  EXPECT_EQ(os_->SetBroadcast(one, true), kWsaNotSocket) << "a closed socket";
}

TEST_P(PlatformContract, SocketsSend) {
  if (!env_->MaySend()) {
    GTEST_SKIP() << "a real datagram would reach the network: tests/netns sends, in a namespace";
  }
  ASSERT_EQ(os_->StartSockets(), kErrorNone);
  SocketHandle socket = 0;
  ASSERT_EQ(os_->OpenUdpSocket(&socket), kErrorNone);
  ASSERT_EQ(os_->SetBroadcast(socket, true), kErrorNone);
  size_t sent = 99;
  EXPECT_EQ(os_->SendBroadcast(socket, "notice", 6, 514, &sent), kErrorNone);
  EXPECT_EQ(sent, 6u);
  EXPECT_EQ(os_->SendBroadcast(socket, "", 0, 514, &sent), kErrorNone);
  EXPECT_EQ(sent, 0u);
  os_->CloseSocket(socket);
  sent = 99;
  EXPECT_EQ(os_->SendBroadcast(socket, "x", 1, 514, &sent), kWsaNotSocket);
  EXPECT_EQ(sent, 99u);
}

TEST_P(PlatformContract, StandardOutputThatIsAFile) {
  bool console = true, attribute_known = true;
  uint16_t attribute = 0;
  std::vector<ErrorCode> errors;
  const std::string reached = env_->WithStdoutToFile([&] {
    console = os_->StdoutIsConsole();
    attribute_known = os_->ConsoleTextAttribute(&attribute);
    errors.push_back(os_->WriteStdout(kA.data(), kA.size()));
    // Colours are for a console only.
    os_->SetTextAttribute(12);  // bright red
    errors.push_back(os_->WriteStdout("", 0));
    errors.push_back(os_->WriteStdout("red", 3));
    os_->SetTextAttribute(kAttributeDefault);
  });
  EXPECT_FALSE(console);
  EXPECT_FALSE(attribute_known);
  EXPECT_EQ(errors, std::vector<ErrorCode>(3, kErrorNone));
  EXPECT_EQ(reached, kA + "red");
}

TEST_P(PlatformContract, StandardOutputThatCannotBeWritten) {
  ErrorCode closed = kErrorNone, abandoned = kErrorNone;
  if (!env_->WithStdoutClosed([&] { closed = os_->WriteStdout("x", 1); })) {
    GTEST_SKIP() << "the fake's standard output fails as a test chooses";
  }
  EXPECT_EQ(closed, kErrorInvalidHandle) << "a closed standard output";
  ASSERT_TRUE(env_->WithStdoutToAbandonedPipe([&] { abandoned = os_->WriteStdout("x", 1); }));
  const Answer<ErrorCode> reader_gone =
      Differs(kErrorNoData, kErrorBrokenPipe,
              "both name a reader that has gone: Windows says the pipe is being closed, the POSIX "
              "build has always said broken pipe, and its users know that message");
  EXPECT_EQ(abandoned, Expected(reader_gone)) << "a pipe whose reader has gone" << Why(reader_gone);
}

INSTANTIATE_TEST_SUITE_P(, PlatformContract, ::testing::ValuesIn(testing_support::Environments()),
                         [](const auto& environment) { return environment.param.name; });

}  // namespace
}  // namespace platform
