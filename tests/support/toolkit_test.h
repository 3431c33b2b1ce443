// The toolkit's state as each test starts it: the test's own platform installed, a fresh
// settings record and Windows Sockets not yet started; afterwards the real platform and a fresh
// record again, so that nothing carries over into the next test.
#pragma once

#include <gtest/gtest.h>

#include "support/fake_os.h"
#include "toolkit/Mef32.h"
#include "toolkit/capture.h"

namespace testing_support {

template <typename TOs = platform::FakeOs>
class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetForTesting(&os_);
    FreshToolkit();
  }
  void TearDown() override {
    platform::SetForTesting(nullptr);
    FreshToolkit();
  }

  // Starts again within one test, for each case of a table: a new platform, a fresh toolkit.
  void Restart() {
    os_ = TOs();
    FreshToolkit();
  }
  static void FreshToolkit() {
    mef32::gGlobalSettings = mef32::tGlobalSettings();
    mef32::detail::ForgetSocketsStarted();
  }

  TOs os_;
};

}  // namespace testing_support
