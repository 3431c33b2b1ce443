#include "platform/posix_errors.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace platform {
namespace {

TEST(WindowsErrorFromErrno, MapsOntoTheCodesTheMessagesUse) {
  struct Case {
    int error;
    ErrorCode code;
  } cases[] = {
      {0, 0},       {ENOENT, 2},       {ENOTDIR, 3},
      {EINVAL, 3},  {ENAMETOOLONG, 3}, {EMFILE, 4},
      {ENFILE, 4},  {EACCES, 5},       {EPERM, 5},
      {EISDIR, 5},  {EBADF, 6},        {ENOSPC, 112},
      {EPIPE, 109}, {ELOOP, 1921},     {ETXTBSY, 32},
      {EIO, 30},    {ENOMEM, 8},       {EHOSTDOWN, EHOSTDOWN},
  };
  for (const Case& c : cases) EXPECT_EQ(WindowsErrorFromErrno(c.error), c.code) << c.error;
}

}  // namespace
}  // namespace platform
