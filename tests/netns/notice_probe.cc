// Posts syslog notices through the real platform layer, for run.sh to receive. run.sh starts it
// only inside a network namespace of its own, never on the machine's network.
#include <cstdio>
#include <cstring>
#include <string>

#include "support/forwarding_os.h"
#include "toolkit/Mef32.h"

namespace {

// The real platform throughout, except that Windows Sockets fail to start the first time.
class FirstStartFailsOs : public platform::ForwardingOs {
 public:
  platform::ErrorCode StartSockets() override {
    return starts_++ == 0 ? platform::kWsaSystemNotReady : ForwardingOs::StartSockets();
  }

 private:
  int starts_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "notices") {
    mef32::gGlobalSettings.SelfName = "AuditView";
    mef32::gGlobalSettings.HostName = "WS042";
    mef32::tSyslogRec notice;
    notice.ID = 1;
    notice.Msg =
        "EXCEPTION:Func=mef32.GetEXEPath Trace=100 File=\"E!AuditView-20221102140840127.xml\" "
        "SelfName=AuditView Version=2.4.1.7";
    mef32::PostSyslogMsg(notice);
    mef32::PostSyslogMsg(notice);
    const int empty = mef32::PostUDPMessage("", 514);
    const int port = mef32::PostUDPMessage("port", 66050);
    std::printf("%d %d\n", empty, port);
  } else if (mode == "noroute") {
    std::printf("%d\n", mef32::PostUDPMessage("x", 514));
  } else if (mode == "fault") {
    mef32::SetPathToEXEPath();
    FirstStartFailsOs os;
    platform::SetForTesting(&os);
    std::printf("%d\n", mef32::PostUDPMessage("x", 514));
    platform::SetForTesting(nullptr);
  } else {
    std::fprintf(stderr, "usage: notice_probe notices|noroute|fault\n");
    return 2;
  }
  return 0;
}
