// The logs a pattern names: the order they are read in and the names they are shown by.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/os.h"

namespace tessal {

// The name under which a file that a pattern found is read and shown: the pattern's folder as
// given, then the file's name. A relative folder is put below base, the folder relative names
// are read from, so that the name says where the file is wherever the user stands.
std::string FoundFileName(std::string_view pattern, std::string_view name, std::string_view base,
                          platform::PathStyle style);

// The order a pattern's files are read in: oldest first by last write, so that a week reads in
// the order it happened; files written at the same time by name, which on Windows ignores
// letter case.
void OrderOldestFirst(std::vector<platform::FoundFile>& files, platform::PathStyle style);

}  // namespace tessal
