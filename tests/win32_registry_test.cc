// GetEXEPath against the real Windows registry. The test makes its own App Paths keys under
// names no program uses and removes them again; the toolkit itself only reads.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/local_only_os.h"
#include "support/toolkit_test.h"
#include "toolkit/Mef32.h"

namespace mef32 {
namespace {

const std::string kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// A report must not reach the network: its notice goes to the fake.
class RegistryTest : public testing_support::ToolkitTest<platform::LocalOnlyOs> {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    name_ = "tessal-test-" + std::to_string(GetCurrentProcessId()) + ".exe";
  }
  void TearDown() override {
    ToolkitTest::TearDown();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kAppPaths + name_).c_str());
    for (const std::string& file : os_.written) DeleteFileA(file.c_str());
  }

  void Set(const char* value_name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kAppPaths + name_).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, value_name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void SetText(const char* value_name, const std::string& text, DWORD type = REG_SZ) {
    Set(value_name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }

  std::string name_;
};

TEST_F(RegistryTest, PathValueIsRewrittenAndDefaultValueIsTheFallback) {
  EXPECT_EQ(GetEXEPath(name_), "");
  SetText("", "C:\\Default\\" + name_);
  EXPECT_EQ(GetEXEPath(name_), "C:\\Default\\" + name_);
  SetText("Path", "C:\\A;C:\\B;");
  EXPECT_EQ(GetEXEPath(name_), "C:\\A\\C:\\B;\\" + name_);
  SetText("Path", "%ProgramFiles%\\Foo", REG_EXPAND_SZ);
  EXPECT_EQ(GetEXEPath(name_), "%ProgramFiles%\\Foo\\" + name_);
  EXPECT_EQ(gGlobalSettings.CallDepth, 0);
}

TEST_F(RegistryTest, ANumberIsNoTextAndIsReported) {
  const DWORD number = 42;
  Set("Path", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(GetEXEPath(name_), "");
  EXPECT_EQ(gGlobalSettings.CallDepth, 0);
  ASSERT_EQ(os_.written.size(), 1u);
  char text[4096] = {};
  const HANDLE file = CreateFileA(os_.written[0].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << os_.written[0];
  DWORD got = 0;
  ReadFile(file, text, sizeof text - 1, &got, nullptr);
  CloseHandle(file);
  const std::string xml(text, got);
  EXPECT_NE(xml.find("<Function>mef32.GetEXEPath</Function>\r\n"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<ClassName>ERegistryException</ClassName>\r\n"
                     "<e.Message>Invalid data type for 'Path'</e.Message>\r\n"),
            std::string::npos)
      << xml;
  EXPECT_EQ(os_.fake.datagrams.size(), 1u);
}

}  // namespace
}  // namespace mef32
