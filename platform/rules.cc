#include "platform/rules.h"

#include <algorithm>

namespace platform {
namespace {

bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= ' ' && c != '\0'; }

}  // namespace

std::string AsciiUpper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = AsciiUpper(c);
  return upper;
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

std::vector<std::string> SplitWindowsCommandLine(std::string_view command_line) {
  std::vector<std::string> arguments;
  size_t i = 0;
  const size_t n = command_line.size();
  for (;;) {
    // Between arguments: separators, and empty quote pairs, which stand for no argument.
    for (;;) {
      while (i < n && IsSeparator(command_line[i])) ++i;
      if (i + 1 < n && command_line[i] == '"' && command_line[i + 1] == '"') {
        i += 2;
      } else {
        break;
      }
    }
    if (i >= n || command_line[i] == '\0') break;
    std::string argument;
    bool quoted = false;
    while (i < n && command_line[i] != '\0' && (quoted || !IsSeparator(command_line[i]))) {
      if (command_line[i] == '"') {
        quoted = !quoted;
      } else {
        argument.push_back(command_line[i]);
      }
      ++i;
    }
    // Quotes with nothing in them stand for no argument, wherever they stand.
    if (!argument.empty()) arguments.push_back(std::move(argument));
  }
  return arguments;
}

size_t DirectoryLength(std::string_view path, PathStyle style) {
  const size_t last = style == PathStyle::kWindows ? path.find_last_of("\\:") : path.rfind('/');
  return last == std::string_view::npos ? 0 : last + 1;
}

std::string_view FileNamePart(std::string_view path, PathStyle style) {
  return path.substr(DirectoryLength(path, style));
}

size_t FolderLength(std::string_view path, PathStyle style) {
  const size_t last = style == PathStyle::kWindows ? path.find_last_of("\\/:") : path.rfind('/');
  return last == std::string_view::npos ? 0 : last + 1;
}

bool IsWildcardPattern(std::string_view path, PathStyle style) {
  return path.find_first_of("*?", FolderLength(path, style)) != std::string_view::npos;
}

std::string FoundFileName(std::string_view pattern, std::string_view name, std::string_view base,
                          PathStyle style) {
  const std::string_view folder = pattern.substr(0, FolderLength(pattern, style));
  // Absolute: from the root, a drive or a server (on Windows "\\", "/" or "C:").
  const bool absolute = style == PathStyle::kWindows
                            ? folder.starts_with('\\') || folder.starts_with('/') ||
                                  (folder.size() >= 2 && folder[1] == ':')
                            : folder.starts_with('/');
  std::string file_name(absolute ? std::string_view() : base);
  file_name += folder;
  file_name += name;
  return file_name;
}

void OrderOldestFirst(std::vector<FoundFile>& files, PathStyle style) {
  const auto before_ignoring_case = [](std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return static_cast<unsigned char>(AsciiUpper(x)) < static_cast<unsigned char>(AsciiUpper(y));
    });
  };
  std::sort(files.begin(), files.end(), [&](const FoundFile& a, const FoundFile& b) {
    if (a.write_time != b.write_time) return a.write_time < b.write_time;
    if (style == PathStyle::kWindows) {
      if (before_ignoring_case(a.name, b.name)) return true;
      if (before_ignoring_case(b.name, a.name)) return false;
    }
    // Names that differ in letter case only can stand side by side in a folder of a
    // case-sensitive file system even on Windows: their bytes decide, so the order is one.
    return a.name < b.name;
  });
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  // Greedy match with backtracking to the last star: linear in practice, no recursion.
  size_t p = 0, s = 0;
  size_t star = std::string_view::npos, resume = 0;
  while (s < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[s])) {
      ++p;
      ++s;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = s;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      s = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool NamesSysnative(std::string_view path) {
  constexpr std::string_view kSysnative = "SYSNATIVE";
  size_t begin = 0;
  while (begin <= path.size()) {
    size_t end = path.find_first_of("\\/", begin);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view component = path.substr(begin, end - begin);
    if (component.size() == kSysnative.size() &&
        std::equal(component.begin(), component.end(), kSysnative.begin(),
                   [](char a, char b) { return AsciiUpper(a) == b; })) {
      return true;
    }
    begin = end + 1;
  }
  return false;
}

uint16_t BrightRedOn(uint16_t attribute) {
  // The low four bits are the text colour; the background and the rest stay the user's.
  return static_cast<uint16_t>((attribute & ~uint16_t{0x0F}) | kAttributeBrightRed);
}

}  // namespace platform
