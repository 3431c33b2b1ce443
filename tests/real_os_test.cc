// The real platform layer of the machine the tests run on (POSIX, or Win32 under wine).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/os.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

class RealOsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tessal-os-test-" +
            std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "sub");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string ReadAll(FileHandle file) {
    std::string contents;
    char buffer[7];
    for (;;) {
      size_t got = 0;
      EXPECT_EQ(Real().Read(file, buffer, sizeof buffer, &got), kErrorNone);
      if (got == 0) return contents;
      contents.append(buffer, got);
    }
  }

  fs::path dir_;
};

TEST_F(RealOsTest, ALogHeldOpenForWritingIsReadWhole) {
  const fs::path log = dir_ / "DhcpSrvLog-Wed.log";
  std::ofstream writer(log, std::ios::binary);
  writer << "11,first\r\n" << std::flush;

  FileHandle file = 0;
  ASSERT_EQ(Real().OpenForReading(log.string(), &file), kErrorNone);
  EXPECT_EQ(ReadAll(file), "11,first\r\n");
  // The server goes on writing; what it adds is there on the next read.
  writer << "12,second\r\n" << std::flush;
  EXPECT_EQ(ReadAll(file), "12,second\r\n");
  Real().Close(file);
  writer.close();
  EXPECT_EQ(fs::file_size(log), 21u);
}

TEST_F(RealOsTest, FileTestsAndSearches) {
  std::ofstream(dir_ / "Tessal.exe") << "x";
  std::ofstream(dir_ / ".hidden") << "x";
  const std::string base = (dir_ / "").string();
  Os& os = Real();
  EXPECT_TRUE(os.IsExistingFile(base + "Tessal.exe"));
  EXPECT_FALSE(os.IsExistingFile(base + "sub"));
  EXPECT_FALSE(os.IsExistingFile(base + "missing.log"));
  EXPECT_FALSE(os.IsExistingFile(""));
  EXPECT_TRUE(os.FindFirst(base + "Tessal.exe"));
  EXPECT_TRUE(os.FindFirst(base + "sub"));
  EXPECT_TRUE(os.FindFirst(base + "*.exe"));
  EXPECT_TRUE(os.FindFirst(base + "T?ssal.*"));
  EXPECT_TRUE(os.FindFirst(base + ".hidden"));
  EXPECT_FALSE(os.FindFirst(base + "*.log"));
  EXPECT_FALSE(os.FindFirst(base + "missing"));
  EXPECT_FALSE(os.FindFirst(base + "nodir/*.exe"));

  FileHandle file = 0;
  EXPECT_EQ(os.OpenForReading(base + "missing.log", &file), kErrorFileNotFound);
  EXPECT_EQ(os.OpenForReading(base + "Tessal.exe/x.log", &file), kErrorPathNotFound);
}

TEST_F(RealOsTest, ChangeDirectory) {
  const fs::path before = fs::current_path();
  EXPECT_TRUE(Real().ChangeDirectory((dir_ / "sub").string()));
  EXPECT_EQ(fs::current_path(), fs::canonical(dir_ / "sub"));
  EXPECT_FALSE(Real().ChangeDirectory((dir_ / "missing").string()));
  EXPECT_FALSE(Real().ChangeDirectory(""));
  fs::current_path(before);
}

TEST(RealOs, KnowsItsOwnExecutable) {
  const std::string module = Real().ModuleFileName();
  ASSERT_FALSE(module.empty());
  EXPECT_TRUE(Real().IsExistingFile(module)) << module;
  // The registry holds nothing under a name no program registers.
  RegKey key = 0;
  EXPECT_NE(Real().OpenRegistryKey("Software\\Tessal\\NoSuchKey-7f3a", kKeyRead, &key), kErrorNone);
}

}  // namespace
}  // namespace platform
