#include <gtest/gtest.h>

#include "support/fake_os.h"
#include "support/toolkit_test.h"
#include "toolkit/Mef32.h"
#include "toolkit/capture.h"

namespace mef32 {
namespace {

constexpr const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr const char* kVrel = "C:\\Program Files (x86)\\Tavoren\\Vrel\\Vrel.exe";

class LocationTest : public testing_support::ToolkitTest<> {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    os_.directories = {"C:\\Tools\\", "C:\\Tools\\logs\\", "D:\\App\\"};
    os_.files["C:\\Tools\\Tessal.exe"] = "";
    os_.files["C:\\Tools\\.hidden"] = "";
  }

  void Register(const std::string& name,
                std::map<std::string, platform::FakeOs::RegistryValue> values) {
    os_.registry[kAppPaths + name] = std::move(values);
  }
};

TEST_F(LocationTest, FileExistsLooksBesideThePathAndCountsEveryEntry) {
  gGlobalSettings.Path = "C:\\Tools\\";
  EXPECT_TRUE(FileExists("Tessal.exe"));
  EXPECT_TRUE(FileExists("logs"));   // a folder counts
  EXPECT_TRUE(FileExists("*.exe"));  // wildcards work
  EXPECT_TRUE(FileExists(".hidden"));
  EXPECT_FALSE(FileExists("*.log"));
  EXPECT_FALSE(FileExists("C:\\Tools\\Tessal.exe"));  // absolute names never match once Path is set
  EXPECT_EQ(os_.searches.back(), "C:\\Tools\\C:\\Tools\\Tessal.exe");
  gGlobalSettings.Path.clear();
  EXPECT_TRUE(FileExists("C:\\Tools\\Tessal.exe"));
  EXPECT_EQ(gGlobalSettings.CallDepth, 0);
}

TEST_F(LocationTest, ExecutableFolderFromTheModuleName) {
  struct Case {
    platform::PathStyle style;
    const char* module;
    const char* folder;
  } cases[] = {
      {platform::PathStyle::kWindows, "C:\\Tools\\viewer.exe", "C:\\Tools\\"},
      {platform::PathStyle::kWindows, "\\\\?\\D:\\App\\viewer.exe", "D:\\App\\"},
      {platform::PathStyle::kWindows, "\\\\?\\UNC\\srv\\app\\v.exe", "UNC\\srv\\app\\"},
      {platform::PathStyle::kWindows, "C:viewer.exe", "C:"},
      {platform::PathStyle::kWindows, "viewer.exe", ""},
      {platform::PathStyle::kWindows, "", ""},
      {platform::PathStyle::kPosix, "/opt/tessal/Tessal", "/opt/tessal/"},
      {platform::PathStyle::kPosix, "/opt/a\\b/Tessal", "/opt/a\\b/"},
  };
  for (const Case& c : cases) {
    os_.style = c.style;
    os_.module_file_name = c.module;
    EXPECT_EQ(GetEXEPath(""), c.folder) << c.module;
  }
  EXPECT_TRUE(os_.opened_access.empty());
}

TEST_F(LocationTest, CompanionProgramHasItsFixedPlace) {
  for (const char* name : {"vrel.exe", "VREL.EXE", "Vrel.exe"}) {
    EXPECT_EQ(GetEXEPath(name), "") << name;
  }
  os_.files[kVrel] = "";
  for (const char* name : {"vrel.exe", "VREL.EXE", "Vrel.exe"}) {
    EXPECT_EQ(GetEXEPath(name), kVrel) << name;
  }
  EXPECT_TRUE(os_.opened_access.empty());  // no registry look-up for the companion
  EXPECT_EQ(GetEXEPath("C:\\x\\vrel.exe"), "");
  EXPECT_EQ(os_.opened_access.size(), 1u);
}

TEST_F(LocationTest, AppPathsValuesAreRewrittenIntoTheProgramName) {
  struct Case {
    uint32_t type;
    std::string path_value;
    const char* result;
  } cases[] = {
      {platform::kRegSz, "C:\\Foo", "C:\\Foo\\foo.exe"},
      {platform::kRegSz, "C:\\Foo\\", "C:\\Foo\\foo.exe"},
      {platform::kRegSz, "C:\\Foo;", "C:\\Foo\\\\foo.exe"},
      {platform::kRegSz, "C:\\A;C:\\B;", "C:\\A\\C:\\B;\\foo.exe"},
      {platform::kRegSz, "\\\\srv\\app", "\\srv\\app\\foo.exe"},
      {platform::kRegSz, "", "\\foo.exe"},
      {platform::kRegSz, std::string("C:\\Foo\0junk", 11), "C:\\Foo\\foo.exe"},
      {platform::kRegExpandSz, "%ProgramFiles%\\Foo", "%ProgramFiles%\\Foo\\foo.exe"},
  };
  for (const Case& c : cases) {
    Register("foo.exe", {{"Path", {c.type, c.path_value}}, {"", {platform::kRegSz, "default"}}});
    EXPECT_EQ(GetEXEPath("foo.exe"), c.result) << c.path_value;
  }
  for (uint32_t access : os_.opened_access) EXPECT_EQ(access, platform::kKeyRead);
  EXPECT_EQ(os_.open_keys, 0);
}

TEST_F(LocationTest, DefaultValueWithoutAPathValue) {
  Register("foo.exe", {{"", {platform::kRegSz, "C:\\Foo\\foo.exe"}}});
  EXPECT_EQ(GetEXEPath("foo.exe"), "C:\\Foo\\foo.exe");
  Register("bar.exe", {});
  EXPECT_EQ(GetEXEPath("bar.exe"), "");
  EXPECT_EQ(GetEXEPath("missing.exe"), "");
  // The name is asked for with its case unchanged; the registry finds it in any case.
  EXPECT_EQ(GetEXEPath("FOO.EXE"), "C:\\Foo\\foo.exe");
  EXPECT_EQ(os_.opened_keys.back(), std::string(kAppPaths) + "FOO.EXE");
  EXPECT_EQ(os_.open_keys, 0);
}

TEST_F(LocationTest, UnreadableRegistryValuesAreRegistryFailures) {
  struct Case {
    std::map<std::string, platform::FakeOs::RegistryValue> values;
    const char* message;
  } cases[] = {
      {{{"Path", {platform::kRegDword, std::string("\x2a\0\0\0", 4)}}},
       "Invalid data type for 'Path'"},
      {{{"Path", {platform::kRegSz, "C:\\Foo", false}}}, "Failed to get data for 'Path'"},
      {{{"", {platform::kRegBinary, "\x01"}}}, "Invalid data type for ''"},
      {{{"", {platform::kRegSz, "C:\\Foo", false}}}, "Failed to get data for ''"},
  };
  for (const Case& c : cases) {
    Restart();
    Register("foo.exe", c.values);
    EXPECT_EQ(GetEXEPath("foo.exe"), "") << c.message;
    // One report of the failure, and the key closed all the same.
    ASSERT_EQ(os_.written.size(), 1u) << c.message;
    const std::string& xml = os_.files[os_.written[0]];
    EXPECT_NE(xml.find("<Function>mef32.GetEXEPath</Function>\r\n"), std::string::npos);
    EXPECT_NE(xml.find("<Trace>100</Trace>\r\n"), std::string::npos);
    EXPECT_NE(xml.find("<ClassName>ERegistryException</ClassName>\r\n"), std::string::npos);
    EXPECT_NE(xml.find("<e.Message>" + std::string(c.message) + "</e.Message>\r\n"),
              std::string::npos);
    EXPECT_NE(xml.find("<Count>0</Count>\r\n"), std::string::npos);
    EXPECT_EQ(os_.open_keys, 0) << c.message;
    EXPECT_EQ(gGlobalSettings.CallDepth, 0) << c.message;
  }
  // A value of another type that holds no data reads as empty text.
  Register("foo.exe", {{"Path", {platform::kRegDword, ""}}});
  EXPECT_EQ(GetEXEPath("foo.exe"), "\\foo.exe");
}

TEST_F(LocationTest, SetPathToEXEPathMakesTheFolderCurrent) {
  EXPECT_EQ(SetPathToEXEPath(), "C:\\Tools\\");
  EXPECT_EQ(gGlobalSettings.Path, "C:\\Tools\\");
  EXPECT_EQ(os_.current_directory, "C:\\Tools\\");
  EXPECT_EQ(SetPathToEXEPath(), "C:\\Tools\\");

  os_.module_file_name = "\\\\?\\D:\\App\\viewer.exe";
  os_.change_directory_fails = true;
  EXPECT_EQ(SetPathToEXEPath(), "Error - D:\\App\\");
  EXPECT_EQ(gGlobalSettings.Path, "C:\\Tools\\");  // kept from before

  gGlobalSettings.Path.clear();
  os_.change_directory_fails = false;
  os_.module_file_name.clear();
  EXPECT_EQ(SetPathToEXEPath(), "Error - ");
  EXPECT_EQ(gGlobalSettings.Path, "");
  EXPECT_EQ(gGlobalSettings.CallDepth, 0);
}

TEST(CutToDirectory, KeepsOtherwiseUnchanged) {
  EXPECT_EQ(CutToDirectory("\\\\?\\", platform::PathStyle::kWindows), "");
  EXPECT_EQ(CutToDirectory("\\\\?\\C:x", platform::PathStyle::kWindows), "C:");
  EXPECT_EQ(CutToDirectory("\\\\?\\x/y", platform::PathStyle::kPosix), "\\\\?\\x/");
}

}  // namespace
}  // namespace mef32
