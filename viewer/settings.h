// The run settings: what the command line asks of one run, set once before the log is read.
#pragma once

#include <string>

namespace tessal {

struct tRunSettings {
  std::string LogFile;
  std::string Filter1;  // upper-cased
  std::string Filter2;  // upper-cased
  std::string ExcludeIDs;
};

}  // namespace tessal
