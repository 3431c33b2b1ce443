#include "viewer/follow.h"

#include <array>
#include <vector>

#include "platform/os.h"
#include "platform/rules.h"
#include "toolkit/Mef32.h"
#include "viewer/failure.h"
#include "viewer/log_files.h"
#include "viewer/output.h"
#include "viewer/report.h"

namespace tessal {
namespace {

constexpr std::array<std::string_view, 7> kWeekdays = {"mon", "tue", "wed", "thu",
                                                       "fri", "sat", "sun"};
constexpr std::array<std::string_view, 2> kServerLogPrefixes = {"dhcpsrvlog-", "dhcpv6srvlog-"};
constexpr std::string_view kServerLogSuffix = ".log";

// The weekday of a server log name (0 for Monday), or -1 when it is none.
int WeekdayOf(std::string_view file_name) {
  const std::string lower = platform::AsciiLower(file_name);
  for (std::string_view prefix : kServerLogPrefixes) {
    if (lower.size() != prefix.size() + 3 + kServerLogSuffix.size() || !lower.starts_with(prefix) ||
        !lower.ends_with(kServerLogSuffix)) {
      continue;
    }
    const std::string_view day = std::string_view(lower).substr(prefix.size(), 3);
    for (size_t i = 0; i < kWeekdays.size(); ++i) {
      if (day == kWeekdays[i]) return static_cast<int>(i);
    }
  }
  return -1;
}

// The file being followed.
struct tFollowed {
  std::string name;  // its full name, for the " Log: " lines
  platform::FileHandle file = 0;
};

// The next weekday's log, which the server starts at midnight, as it was when following began.
struct tNextDay {
  bool watched = false;                              // the followed log has a server's name
  std::string name;                                  // full name
  platform::ErrorCode error = platform::kErrorNone;  // of its state: not there yet, say
  platform::FileState seen{};
};

platform::FileState StateOf(platform::Os& os, platform::FileHandle file) {
  platform::FileState state{};
  const platform::ErrorCode error = os.OpenFileState(file, &state);
  if (error != platform::kErrorNone) RaiseInOutError(error);
  return state;
}

platform::FileHandle Open(platform::Os& os, const std::string& path) {
  platform::FileHandle file = 0;
  const platform::ErrorCode error = os.OpenForReading(path, &file);
  if (error != platform::kErrorNone) RaiseInOutError(error);
  return file;
}

// A name as the " Log: " line of a pattern gives it: a relative one below the folder relative
// names are read from.
std::string FullName(platform::Os& os, const std::string& path, std::string_view file_name) {
  return FoundFileName(path, file_name, mef32::gGlobalSettings.Path, os.Style());
}

tNextDay WatchNextDay(platform::Os& os, const std::string& full_name) {
  tNextDay next;
  const std::string_view file_name = platform::FileNamePart(full_name, os.Style());
  if (!IsServerLogName(file_name)) return next;
  next.watched = true;
  next.name = FullName(os, full_name, NextWeekdayLogName(file_name));
  next.error = os.NamedFileState(next.name, &next.seen);
  return next;
}

// True when the next weekday's log has been written since following began: the server has
// moved on. A copy a week old that nobody writes to stays as it was.
bool NextDayWritten(platform::Os& os, const tNextDay& next) {
  if (!next.watched) return false;
  platform::FileState now{};
  const platform::ErrorCode error = os.NamedFileState(next.name, &now);
  if (error != next.error) return error == platform::kErrorNone;
  return error == platform::kErrorNone &&
         (now.size != next.seen.size || now.write_time != next.seen.write_time);
}

// A file's full name spelt as its folder spells it, where letter case does not matter.
std::string AsTheFolderSpellsIt(platform::Os& os, const std::string& name) {
  std::vector<platform::FoundFile> found;
  if (os.FindFiles(name, &found) != platform::kErrorNone || found.size() != 1) return name;
  return FullName(os, name, found[0].name);
}

void WriteLogLine(tOutput& out, const std::string& name) {
  OutLine(out, " Log: " + name);
  OutLine(out, "");
}

}  // namespace

bool IsServerLogName(std::string_view file_name) { return WeekdayOf(file_name) >= 0; }

std::string NextWeekdayLogName(std::string_view file_name) {
  const int day = WeekdayOf(file_name);
  if (day < 0) return std::string(file_name);
  const std::string_view next = kWeekdays[static_cast<size_t>(day + 1) % kWeekdays.size()];
  const size_t at = file_name.size() - kServerLogSuffix.size() - 3;
  std::string name(file_name);
  for (size_t i = 0; i < 3; ++i) {
    const char was = file_name[at + i];
    name[at + i] = was >= 'A' && was <= 'Z' ? platform::AsciiUpper(next[i]) : next[i];
  }
  return name;
}

tFollowEnd FollowLog(platform::Os& os, tOutput& out, const std::string& path,
                     const tRunSettings& settings) {
  tFollowed followed{FullName(os, path, platform::FileNamePart(path, os.Style())), Open(os, path)};
  // A pipe or a terminal is read to its end: there is nothing to follow.
  if (!StateOf(os, followed.file).regular) {
    ReportFile(os, followed.file, settings, out, path);
    return tFollowEnd::kInputEnded;
  }
  tLiveLog log(settings, out, os.Style(), followed.name);
  tNextDay next = WatchNextDay(os, followed.name);
  bool waiting_told = false;
  for (;;) {
    if (!ReportAdded(log, os, followed.file)) return tFollowEnd::kInputEnded;
    // Caught up: what was reported goes out now, to a file or a pipe too.
    if (!waiting_told) OutLine(out, kWaitingLine);
    waiting_told = true;
    OutFlush(out);
    for (;;) {
      if (os.WaitForStop(kFollowPollMilliseconds)) return tFollowEnd::kStopped;
      const platform::FileState now = StateOf(os, followed.file);
      if (now.size < BytesRead(log)) {
        // Started afresh (the server begins a weekday's log anew): read it from its start.
        WriteLogLine(out, followed.name);
        const platform::ErrorCode error = os.Rewind(followed.file);
        if (error != platform::kErrorNone) RaiseInOutError(error);
        StartLogAfresh(log, followed.name);
        break;
      }
      if (now.size > BytesRead(log)) break;
      if (NextDayWritten(os, next)) {
        // Midnight: what is left of today's log, then tomorrow's from its start.
        if (!ReportAdded(log, os, followed.file)) return tFollowEnd::kInputEnded;
        ReportKeptLine(log);
        os.Close(followed.file);
        followed.name = AsTheFolderSpellsIt(os, next.name);
        WriteLogLine(out, followed.name);
        followed.file = Open(os, followed.name);
        StartLogAfresh(log, followed.name);
        next = WatchNextDay(os, followed.name);
        break;
      }
    }
  }
}

void FlushAfterStop(tOutput& out) {
  try {
    OutFlush(out);
  } catch (const EInOutError& failure) {
    const platform::ErrorCode code = failure.Code();
    if (code != platform::kErrorBrokenPipe && code != platform::kErrorNoData) throw;
  }
}

}  // namespace tessal
