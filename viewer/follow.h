// Following a log as the server writes it (the /f switch): the log is reported to its end, then
// every record appended to it as soon as its line is complete, across the truncation of the
// log and the server's switch to the next weekday's log at midnight, until the user stops it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/os.h"
#include "viewer/output.h"
#include "viewer/settings.h"

namespace tessal {

// The switch that turns following on, in either letter case.
inline bool IsFollowArgument(std::string_view argument) {
  return argument == "/f" || argument == "/F";
}

// The line written when the reading first reaches the end of what is there.
inline constexpr std::string_view kWaitingLine = " Waiting for new records; press Ctrl+C to stop.";
// How often the log, and the next weekday's, are looked at while nothing is written.
inline constexpr uint32_t kFollowPollMilliseconds = 200;

// True when a file name (without its folder) is one the DHCP server gives its audit logs:
// DhcpSrvLog-Mon.log ... DhcpSrvLog-Sun.log, or DhcpV6SrvLog-Mon.log ... -Sun.log, in any letter
// case.
bool IsServerLogName(std::string_view file_name);
// The name of the next weekday's log (Sunday is followed by Monday) for a server log name, its
// weekday spelt in the letter case of the given one: DhcpSrvLog-Sun.log gives DhcpSrvLog-Mon.log,
// dhcpsrvlog-WED.LOG gives dhcpsrvlog-THU.LOG.
std::string NextWeekdayLogName(std::string_view file_name);

// How following ended: the user asked to stop (Ctrl+C, Ctrl+Break, the console closed, or
// SIGINT, SIGTERM or SIGHUP), or the input ended (a Ctrl-Z that begins a line, or a stream
// that is no file, read to its end).
enum class tFollowEnd { kStopped, kInputEnded };

// Reports the log named by path, then follows it. Its " Log: " lines name it by its full name.
// A failure to open or read raises EInOutError. The caller asks for stop requests to be caught
// (platform::Os::CatchStopRequests) before anything is read, and writes "Done" afterwards.
tFollowEnd FollowLog(platform::Os& os, tOutput& out, const std::string& path,
                     const tRunSettings& settings);

// Writes out what is buffered at the end of a run that was stopped: a reader of the pipe that
// the same Ctrl+C ended (`Tessal log /f | findstr x`) is no failure then.
void FlushAfterStop(tOutput& out);

}  // namespace tessal
