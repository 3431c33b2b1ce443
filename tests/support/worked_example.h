// The exception report's worked example: the settings and the fault record it starts from.
#pragma once

#include "toolkit/Mef32.h"

namespace testing_support {

// Sets the example's self name, version and host name, and answers its fault record.
inline mef32::tExceptionRec WorkedExampleFault() {
  mef32::gGlobalSettings.SelfName = "AuditView";
  mef32::gGlobalSettings.Version = "2.4.1.7";
  mef32::gGlobalSettings.HostName = "WS042";
  mef32::tExceptionRec record;
  record.Function = "mef32.GetEXEPath";
  record.ClassName = "ERangeError";
  record.Message = "Range check error";
  record.Trace = 100;
  record.bBeep = true;
  return record;
}

}  // namespace testing_support
