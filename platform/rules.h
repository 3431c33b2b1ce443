// Pure rules of the platforms' own conventions, kept free of any OS call so that the Windows
// rules are built and tested on every platform.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/os.h"

namespace platform {

// Upper-cases the letters a to z only, or lower-cases A to Z only; every other byte stays as it
// is: the letter case of Windows names, and the one all code cases letters with.
inline char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
inline char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);

// Splits a Windows command line into its arguments, the program name first. Blanks and control
// characters separate arguments, double quotes group blanks and are removed, a backslash is an
// ordinary character, and quotes with nothing in them yield no argument.
std::vector<std::string> SplitWindowsCommandLine(std::string_view command_line);

// Length of the directory part of a path, its last separator included: the last backslash or
// colon on Windows, the last slash on POSIX. 0 when there is none.
size_t DirectoryLength(std::string_view path, PathStyle style);

// The file-name part of a path: what follows its directory part.
std::string_view FileNamePart(std::string_view path, PathStyle style);

// Length of the folder part of a name handed to the file system, its last separator included:
// on Windows a slash separates folders as a backslash does, and a colon ends a drive. 0 when
// there is none.
size_t FolderLength(std::string_view path, PathStyle style);

// True when the last part of a path holds a wildcard, "*" or "?": the path then names the files
// of its folder that match that part.
bool IsWildcardPattern(std::string_view path, PathStyle style);

// Matches a name against a pattern in which "*" stands for any run of characters and "?" for
// any one character; every other character stands for itself.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// True when a component of a Windows path is "Sysnative" in any letter case: the name under
// which a 32-bit process reaches the 64-bit System32 while file-system redirection is on.
bool NamesSysnative(std::string_view path);

}  // namespace platform
