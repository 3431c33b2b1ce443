// The real platform layer of the machine the tests run on (POSIX, or Win32 under wine).
#include <gtest/gtest.h>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "platform/os.h"
#include "support/local_only_os.h"
#include "support/toolkit_test.h"
#include "support/worked_example.h"
#include "toolkit/Mef32.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

int ProcessId() {
#ifdef _WIN32
  return _getpid();
#else
  return getpid();
#endif
}

// Real files and clocks; a fault report's tones and notice go to the fake.
class RealOsTest : public testing_support::ToolkitTest<LocalOnlyOs> {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    // The process in the name too: suites of other builds may run at the same time.
    dir_ = fs::temp_directory_path() /
           ("tessal-os-test-" +
            std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(ProcessId()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "sub");
  }
  void TearDown() override {
    fs::remove_all(dir_);
    ToolkitTest::TearDown();
  }

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

TEST_F(RealOsTest, TheWorkedExampleReportThroughTheRealFileLayer) {
  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  const mef32::tExceptionRec record = testing_support::WorkedExampleFault();
  std::string saved;
  mef32::SaveExceptionRecAsXML(record, saved);

  EXPECT_TRUE(std::regex_match(
      saved,
      std::regex(
          "E!AuditView-20[0-9]{2}[01][0-9][0-3][0-9][0-2][0-9][0-5][0-9][0-5][0-9][0-9]{3}\\.xml")))
      << saved;
  std::ifstream in(saved, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  in.close();
  fs::current_path(before);
  const std::regex expected(
      "<xml>\r\n<Exception>\r\n"
      "<DateTime>20[0-9]{2}-[01][0-9]-[0-3][0-9] "
      "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\\.[0-9]{3}</DateTime>\r\n"
      "<MachineUpTime>[0-7]w[0-6]d[0-2][0-9]h[0-5][0-9]m[0-5][0-9]s</MachineUpTime>\r\n"
      "<SelfName>AuditView</SelfName>\r\n<Version>2\\.4\\.1\\.7</Version>\r\n"
      "<Function>mef32\\.GetEXEPath</Function>\r\n<CallingFunction></CallingFunction>\r\n"
      "<Trace>100</Trace>\r\n<HostName>WS042</HostName>\r\n<ClassName>ERangeError</ClassName>\r\n"
      "<e\\.Message>Range check error</e\\.Message>\r\n<SQL></SQL>\r\n<Notes></Notes>\r\n"
      "<Count>0</Count>\r\n</Exception>\r\n</xml>\r\n");
  EXPECT_TRUE(std::regex_match(text.str(), expected)) << text.str();
  ASSERT_EQ(os_.fake.datagrams.size(), 1u);
  EXPECT_NE(os_.fake.datagrams[0].payload.find(" File=\"" + saved + "\" "), std::string::npos);
}

TEST_F(RealOsTest, AReportWhoseFolderCannotBeWrittenStillCompletes) {
  mef32::tExceptionRec record;
  record.Function = "mef32.FileExists";
  record.bBeep = true;
  record.FileName = (dir_ / "no-such-folder" / "E!{timestamp}.xml").string();
  std::string saved;
  mef32::SaveExceptionRecAsXML(record, saved);
  EXPECT_EQ(saved.find("{timestamp}"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "no-such-folder"));
  EXPECT_EQ(os_.fake.tones.size(), 4u);
  EXPECT_EQ(os_.fake.datagrams.size(), 1u);
  EXPECT_EQ(mef32::gGlobalSettings.CallDepth, 0);
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
