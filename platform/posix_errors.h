// Turns errno values into the Windows system error codes the rest of the program speaks: the one
// place where the POSIX layer decides which code a failure gives.
#pragma once

#include <string>

#include "platform/os.h"

namespace platform {

ErrorCode WindowsErrorFromErrno(int error);
ErrorCode WsaErrorFromErrno(int error);

// A name that did not open. As on Windows, a missing folder on the way (or no name at all) is
// kErrorPathNotFound, and only a missing last part kErrorFileNotFound.
ErrorCode NameErrorFromErrno(const std::string& path, int error);
// A transfer that failed on a descriptor. One that is open, only not in this direction, is
// kErrorAccessDenied, as Windows answers for a handle without that access.
ErrorCode HandleErrorFromErrno(int fd, int error);

}  // namespace platform
