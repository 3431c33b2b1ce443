// Maps errno values onto the Windows system error codes the rest of the program speaks.
#pragma once

#include "platform/os.h"

namespace platform {

ErrorCode WindowsErrorFromErrno(int error);
ErrorCode WsaErrorFromErrno(int error);

}  // namespace platform
