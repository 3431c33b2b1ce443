// Input/output failures of the viewer and the last-chance report they end in.
#pragma once

#include <string>

#include "platform/os.h"
#include "toolkit/Mef32.h"

namespace tessal {

class EInOutError : public mef32::Exception {
 public:
  EInOutError(platform::ErrorCode code, const void* address);
  platform::ErrorCode Code() const { return code_; }
  const void* Address() const { return address_; }

 private:
  platform::ErrorCode code_;
  const void* address_;
};

// Raises the failure for a system error code, naming the caller's code address.
[[noreturn]] void RaiseInOutError(platform::ErrorCode code);

// The message of an input/output failure: "File not found" for 2 and so on.
std::string InOutErrorMessage(platform::ErrorCode code);

// "Exception <class> in module <module> at <address>." CR LF, the message with its full stop,
// CR LF, CR LF.
std::string LastChanceReport(const std::string& class_name, const std::string& module,
                             const void* address, const std::string& message);

}  // namespace tessal
