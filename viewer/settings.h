// The run settings: what the command line asks of one run, set once before the log is read.
#pragma once

#include <string>

namespace tessal {

struct tRunSettings {
  std::string LogFile;
  std::string Filter1;  // in the filters' letter case, as the echo shows it
  std::string Filter2;
  std::string ExcludeIDs;
};

}  // namespace tessal
