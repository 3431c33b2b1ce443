#include "viewer/failure.h"

#include <cstdint>
#include <cstdio>

namespace tessal {

EInOutError::EInOutError(platform::ErrorCode code, const void* address)
    : mef32::Exception("EInOutError", InOutErrorMessage(code)), code_(code), address_(address) {}

[[gnu::noinline]] void RaiseInOutError(platform::ErrorCode code) {
  throw EInOutError(code, __builtin_return_address(0));
}

std::string InOutErrorMessage(platform::ErrorCode code) {
  switch (code) {
    case platform::kErrorFileNotFound:
      return "File not found";
    case platform::kErrorPathNotFound:
      return "Invalid filename";
    case platform::kErrorTooManyOpenFiles:
      return "Too many open files";
    case platform::kErrorAccessDenied:
      return "File access denied";
    default:
      return "I/O error " + std::to_string(code);
  }
}

std::string LastChanceReport(const std::string& class_name, const std::string& module,
                             const void* address, const std::string& message) {
  char hex[2 * sizeof(void*) + 1];
  std::snprintf(hex, sizeof hex, "%0*llX", static_cast<int>(2 * sizeof(void*)),
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(address)));
  std::string report = "Exception " + class_name + " in module " + module + " at " + hex + ".\r\n";
  report += message;
  if (message.empty() || message.back() != '.') report += '.';
  report += "\r\n\r\n";
  return report;
}

}  // namespace tessal
