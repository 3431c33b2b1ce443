#include "viewer/failure.h"

#include <gtest/gtest.h>

#include <regex>

namespace tessal {
namespace {

TEST(InOutErrorMessage, NamesTheSystemErrorCode) {
  EXPECT_EQ(InOutErrorMessage(2), "File not found");
  EXPECT_EQ(InOutErrorMessage(3), "Invalid filename");
  EXPECT_EQ(InOutErrorMessage(4), "Too many open files");
  EXPECT_EQ(InOutErrorMessage(5), "File access denied");
  EXPECT_EQ(InOutErrorMessage(32), "I/O error 32");
  EXPECT_EQ(InOutErrorMessage(112), "I/O error 112");
}

TEST(LastChanceReport, ClassModuleAddressAndMessage) {
  const void* address = reinterpret_cast<const void*>(uintptr_t{0x40A1B2});
  const std::string report = LastChanceReport("EInOutError", "Tessal.exe", address, "I/O error 32");
  const std::string zeros(2 * sizeof(void*) - 6, '0');
  EXPECT_EQ(report, "Exception EInOutError in module Tessal.exe at " + zeros +
                        "40A1B2.\r\nI/O error 32.\r\n\r\n");
  // A message that already ends in a full stop gets no second one.
  EXPECT_EQ(
      LastChanceReport("E", "m", nullptr, "Done."),
      "Exception E in module m at " + std::string(2 * sizeof(void*), '0') + ".\r\nDone.\r\n\r\n");
}

TEST(RaiseInOutError, CarriesCodeMessageAndACodeAddress) {
  try {
    RaiseInOutError(5);
    FAIL() << "no failure raised";
  } catch (const EInOutError& failure) {
    EXPECT_EQ(failure.ClassName(), "EInOutError");
    EXPECT_EQ(failure.Message(), "File access denied");
    EXPECT_EQ(failure.Code(), 5u);
    EXPECT_NE(failure.Address(), nullptr);
  }
}

}  // namespace
}  // namespace tessal
