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

}  // namespace platform
