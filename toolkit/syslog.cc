// The syslog notice of a fault, broadcast as one UDP datagram.
#include <cstdio>
#include <string>

#include "toolkit/Mef32.h"
#include "toolkit/capture.h"

namespace mef32 {
namespace {

constexpr int32_t kSyslogPort = 514;
bool g_sockets_started = false;

std::string FivePlaces(int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%.*d", 5, value);
  return text;
}

}  // namespace

void detail::ForgetSocketsStarted() { g_sockets_started = false; }

int16_t NextSyslogSequence(int16_t sequence) {
  return sequence == 32767 ? int16_t{0} : static_cast<int16_t>(sequence + 1);
}

std::string SyslogLine(int32_t id, std::string_view msg, std::string_view self_name,
                       std::string_view host_name, int16_t sequence) {
  std::string line = "<" + std::to_string(id / 10000) + ">";
  line += self_name;
  line += ':';
  line += FivePlaces(sequence);
  line += ' ';
  line += msg;
  line += " H=\"";
  line += host_name;
  line += "\" (ID=";
  line += FivePlaces(id);
  line += ')';
  return line;
}

void PostSyslogMsg(tSyslogRec SyslogRec) {
  tLogRec log;
  detail::Capture(
      true,
      [&] {
        log.TracePoint = 100;
        gGlobalSettings.SyslogSequence = NextSyslogSequence(gGlobalSettings.SyslogSequence);
        log.TracePoint = 200;
        const std::string line =
            SyslogLine(SyslogRec.ID, SyslogRec.Msg, gGlobalSettings.SelfName,
                       gGlobalSettings.HostName, gGlobalSettings.SyslogSequence);
        PostUDPMessage(line, kSyslogPort);
        log.TracePoint = 400;
      },
      [&](const Exception& failure) {
        detail::ReportFault(detail::FaultRecord("mef32.PostSyslogMsg", failure, log.TracePoint));
      });
}

int32_t PostUDPMessage(const std::string& Text, int32_t Port) {
  tLogRec log;
  platform::Os& os = platform::Current();
  return detail::Capture(
      true,
      [&] {
        log.TracePoint = 100;
        log.TracePoint = 200;
        int32_t result = 0;
        if (!g_sockets_started) {
          const platform::ErrorCode error = os.StartSockets();
          if (error != platform::kErrorNone) {
            throw ESocketError("Windows Sockets could not be started (error " +
                               std::to_string(error) + ")");
          }
          g_sockets_started = true;
        }
        log.TracePoint = 300;
        bool opened = false;
        platform::SocketHandle socket = 0;
        if (Port > 0) {
          log.TracePoint = 400;
          log.TracePoint = 410;
          // Whatever goes wrong in the send ends it as a failed send, never as a report.
          try {
            const uint16_t port = static_cast<uint16_t>(Port & 0xFFFF);
            size_t sent = 0;
            if (os.OpenUdpSocket(&socket) != platform::kErrorNone) {
              result = -1;
            } else {
              opened = true;
              if (os.SetBroadcast(socket, true) != platform::kErrorNone ||
                  os.SendBroadcast(socket, Text.data(), Text.size(), port, &sent) !=
                      platform::kErrorNone ||
                  sent != Text.size() || os.SetBroadcast(socket, false) != platform::kErrorNone) {
                result = -1;
              }
            }
          } catch (...) {
            result = -1;
          }
        }
        log.TracePoint = 600;
        log.TracePoint = 700;
        if (opened) os.CloseSocket(socket);
        log.TracePoint = 800;
        return result;
      },
      [&](const Exception& failure) {
        // An unreachable network is no fault worth a report.
        if (failure.Message().find("10051") == std::string::npos) {
          detail::ReportFault(detail::FaultRecord("mef32.PostUDPMessage", failure, log.TracePoint));
        }
        return int32_t{-2};
      });
}

}  // namespace mef32
