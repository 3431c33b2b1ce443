#include "viewer/log_files.h"

#include <algorithm>

#include "platform/rules.h"

namespace tessal {

std::string FoundFileName(std::string_view pattern, std::string_view name, std::string_view base,
                          platform::PathStyle style) {
  const std::string_view folder = pattern.substr(0, platform::FolderLength(pattern, style));
  // Absolute: from the root, a drive or a server (on Windows "\\", "/" or "C:").
  const bool absolute = style == platform::PathStyle::kWindows
                            ? folder.starts_with('\\') || folder.starts_with('/') ||
                                  (folder.size() >= 2 && folder[1] == ':')
                            : folder.starts_with('/');
  std::string file_name(absolute ? std::string_view() : base);
  file_name += folder;
  file_name += name;
  return file_name;
}

void OrderOldestFirst(std::vector<platform::FoundFile>& files, platform::PathStyle style) {
  const auto before_ignoring_case = [](std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return static_cast<unsigned char>(platform::AsciiUpper(x)) <
             static_cast<unsigned char>(platform::AsciiUpper(y));
    });
  };
  std::sort(files.begin(), files.end(),
            [&](const platform::FoundFile& a, const platform::FoundFile& b) {
              if (a.write_time != b.write_time) return a.write_time < b.write_time;
              if (style == platform::PathStyle::kWindows) {
                if (before_ignoring_case(a.name, b.name)) return true;
                if (before_ignoring_case(b.name, a.name)) return false;
              }
              // Names that differ in letter case only can stand side by side in a folder of a
              // case-sensitive file system even on Windows: their bytes decide, so the order is
              // one.
              return a.name < b.name;
            });
}

}  // namespace tessal
