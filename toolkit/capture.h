// The fault-capture convention every toolkit routine follows: count the call in CallDepth (for
// counting routines), run the body, and turn a failure of the Exception family into a fault
// record handed to the exception report. Failures of other types pass through; CallDepth is
// restored on every way out.
#pragma once

#include <string_view>

#include "toolkit/Mef32.h"

namespace mef32::detail {

class tCallDepthHold {
 public:
  explicit tCallDepthHold(bool counts) : counts_(counts) {
    if (counts_) ++gGlobalSettings.CallDepth;
  }
  ~tCallDepthHold() {
    if (counts_) --gGlobalSettings.CallDepth;
  }
  tCallDepthHold(const tCallDepthHold&) = delete;
  tCallDepthHold& operator=(const tCallDepthHold&) = delete;

 private:
  bool counts_;
};

// A fresh fault record for a failure of the named routine at its trace point.
tExceptionRec FaultRecord(std::string_view function, const Exception& failure, int32_t trace);

// Hands a record to the exception report; the file name it answers is not needed.
void ReportFault(const tExceptionRec& record);

// Runs body; a failure of the Exception family goes to on_fault, whose result is the routine's.
// on_fault runs while the routine's own count in CallDepth is still in force.
template <typename Body, typename OnFault>
auto Capture(bool counts, Body&& body, OnFault&& on_fault) -> decltype(body()) {
  tCallDepthHold hold(counts);
  try {
    return body();
  } catch (const Exception& failure) {
    return on_fault(failure);
  }
}

// The common case: report the failure and answer the fallback.
template <typename Result, typename Body>
Result Guarded(std::string_view function, bool counts, const tLogRec& log, Result fallback,
               Body&& body) {
  return Capture(counts, body, [&](const Exception& failure) -> Result {
    ReportFault(FaultRecord(function, failure, log.TracePoint));
    return fallback;
  });
}

// Tests start each case with Windows Sockets not yet started.
void ForgetSocketsStarted();

}  // namespace mef32::detail
