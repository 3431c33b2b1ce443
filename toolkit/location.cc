// Global state and the routines that locate the program and files.
#include <string>

#include "platform/rules.h"
#include "toolkit/Mef32.h"
#include "toolkit/capture.h"
#include "toolkit/text.h"

namespace mef32 {

tGlobalSettings gGlobalSettings;
tDebugRec gDebugRec;

namespace {

constexpr std::string_view kCompanionName = "vrel.exe";
constexpr const char* kCompanionPath = "C:\\Program Files (x86)\\Tavoren\\Vrel\\Vrel.exe";
constexpr std::string_view kAppPathsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// A registry value read as text: missing or empty reads as "", strings up to their first NUL.
std::string ReadRegistryText(platform::Os& os, platform::RegKey key, const std::string& name) {
  uint32_t type = platform::kRegNone;
  uint32_t size = 0;
  if (os.QueryRegistryValue(key, name, &type, &size, nullptr) != platform::kErrorNone ||
      size == 0) {
    return {};
  }
  std::string data;
  if (os.QueryRegistryValue(key, name, &type, &size, &data) != platform::kErrorNone) {
    throw ERegistryException("Failed to get data for '" + name + "'");
  }
  if (type != platform::kRegSz && type != platform::kRegExpandSz) {
    throw ERegistryException("Invalid data type for '" + name + "'");
  }
  const size_t nul = data.find('\0');
  if (nul != std::string::npos) data.resize(nul);
  return data;
}

bool HasRegistryValue(platform::Os& os, platform::RegKey key, const std::string& name) {
  uint32_t type = platform::kRegNone;
  uint32_t size = 0;
  return os.QueryRegistryValue(key, name, &type, &size, nullptr) == platform::kErrorNone;
}

std::string RegisteredAppPath(platform::Os& os, const std::string& name) {
  platform::RegKey key = 0;
  // Only ever read: KEY_READ is granted to every user where full access is not.
  if (os.OpenRegistryKey(std::string(kAppPathsKey) + name, platform::kKeyRead, &key) !=
      platform::kErrorNone) {
    return {};
  }
  struct tKeyClose {
    platform::Os& os;
    platform::RegKey key;
    ~tKeyClose() { os.CloseRegistryKey(key); }
  } close{os, key};
  if (HasRegistryValue(os, key, "Path"))
    return RewriteAppPath(ReadRegistryText(os, key, "Path"), name);
  return ReadRegistryText(os, key, "");
}

}  // namespace

std::string CutToDirectory(std::string_view file_name, platform::PathStyle style) {
  std::string dir(file_name.substr(0, platform::DirectoryLength(file_name, style)));
  if (style == platform::PathStyle::kWindows && dir.compare(0, 4, "\\\\?\\") == 0) dir.erase(0, 4);
  return dir;
}

std::string RewriteAppPath(std::string_view value, std::string_view name) {
  std::string result(value);
  result += '\\';
  result += name;
  detail::ReplaceFirst(result, "\\\\", "\\");
  detail::ReplaceFirst(result, ";", "\\");
  return result;
}

bool FileExists(const std::string& name) {
  tLogRec log;
  return detail::Guarded("mef32.FileExists", true, log, false, [&] {
    log.TracePoint = 100;
    return platform::Current().FindFirst(gGlobalSettings.Path + name);
  });
}

std::string GetEXEPath(const std::string& name) {
  tLogRec log;
  return detail::Guarded("mef32.GetEXEPath", true, log, std::string(), [&]() -> std::string {
    log.TracePoint = 100;
    platform::Os& os = platform::Current();
    if (name.empty()) return CutToDirectory(os.ModuleFileName(), os.Style());
    if (platform::AsciiLower(name) == kCompanionName) {
      return os.FindFirst(kCompanionPath) ? kCompanionPath : "";
    }
    return RegisteredAppPath(os, name);
  });
}

std::string SetPathToEXEPath() {
  tLogRec log;  // no trace points: a report carries 0
  return detail::Guarded("mef32.SetPathToEXEPath", false, log, std::string(), [] {
    platform::Os& os = platform::Current();
    const std::string exe_path = GetEXEPath("");
    std::string dir = exe_path.substr(0, platform::DirectoryLength(exe_path, os.Style()));
    if (!os.ChangeDirectory(dir)) return "Error - " + dir;
    gGlobalSettings.Path = dir;
    return dir;
  });
}

}  // namespace mef32
