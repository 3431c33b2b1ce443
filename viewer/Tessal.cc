// Tessal: prints a DHCP server audit log as labelled blocks, one per record.
#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/rules.h"
#include "toolkit/Mef32.h"
#include "viewer/failure.h"
#include "viewer/filter.h"
#include "viewer/follow.h"
#include "viewer/log_files.h"
#include "viewer/output.h"
#include "viewer/report.h"
#include "viewer/settings.h"
#include "viewer/version.h"

namespace tessal {
namespace {

constexpr std::string_view kExclusionMark = "/e:";
// What every Windows console program answers with its usage.
constexpr std::string_view kHelpArgument = "/?";

// Exit statuses: a log that is not there is told apart from a failed read, as "if errorlevel 2"
// in a batch file expects (2 is the Windows code for "file not found").
constexpr int kExitDone = 0;
constexpr int kExitInOutError = 1;
constexpr int kExitNoLog = 2;

bool IsExclusionArgument(const std::string& argument) {
  return argument.find(kExclusionMark) != std::string::npos;
}

std::string WithoutExclusionMark(std::string argument) {
  argument.erase(argument.find(kExclusionMark), kExclusionMark.size());
  return argument;
}

// What a run works with: the platform, its output and its settings; with /f, how following
// ended once it has begun.
struct tRun {
  platform::Os& os;
  tOutput& out;
  tRunSettings settings;
  bool follow = false;
  tFollowEnd follow_end = tFollowEnd::kInputEnded;
};

void WriteUsage(tRun& run) {
  const std::string exe = run.os.ModuleFileName();
  OutLine(run.out, exe + " {TessalFile} [{Filter1} {Filter2}] {/e:eventid}");
  OutLine(run.out, exe + " /e - Exclude Ids Eg /e:30,31");
}

void WriteDiagnostics(tRun& run) {
  OutLine(run.out, " Unable to locate " + run.settings.LogFile);
  OutLine(run.out, " gGlobalSettings.Path=\"" + mef32::gGlobalSettings.Path + "\"");
  OutLine(run.out, " mef32.GetEXEPath=\"" + mef32::GetEXEPath("") + "\"");
}

enum class tAfterReading { kKeepOpen, kClose };

void ReportLog(tRun& run, const std::string& path, tAfterReading after) {
  platform::Os& os = run.os;
  platform::FileHandle file = 0;
  const platform::ErrorCode error = os.OpenForReading(path, &file);
  if (error != platform::kErrorNone) RaiseInOutError(error);
  ReportFile(os, file, run.settings, run.out, path);
  // A single log stays open until the process ends. A pattern may name a year of copies: each
  // of those lets go of its handle once it is read (nothing was written through it).
  if (after == tAfterReading::kClose) os.Close(file);
}

// Reports every file the pattern matches, oldest first, each after a line that names it; with
// /f the newest is followed. Answers false when no file matches.
bool ReportMatchingLogs(tRun& run, const std::string& pattern) {
  platform::Os& os = run.os;
  std::vector<platform::FoundFile> files;  // names and times only, however many there are
  const platform::ErrorCode error = os.FindFiles(pattern, &files);
  // A folder that is not there holds no log; one that may not be read fails as a log would.
  if (error == platform::kErrorPathNotFound) return false;
  if (error != platform::kErrorNone) RaiseInOutError(error);
  OrderOldestFirst(files, os.Style());
  for (const platform::FoundFile& found : files) {
    const std::string path =
        FoundFileName(pattern, found.name, mef32::gGlobalSettings.Path, os.Style());
    // Named before it is opened, so that a failure report follows the name of its log.
    OutLine(run.out, " Log: " + path);
    OutLine(run.out, "");
    if (run.follow && &found == &files.back()) {
      run.follow_end = FollowLog(os, run.out, path, run.settings);
    } else {
      ReportLog(run, path, tAfterReading::kClose);
    }
  }
  return !files.empty();
}

int RunTessal(platform::Os& os, tOutput& out, std::vector<std::string> arguments) {
  tRun run{os, out, {}};
  // /f takes no position: the other arguments keep their order as if it were not there.
  run.follow =
      std::erase_if(arguments, [](const std::string& text) { return IsFollowArgument(text); }) != 0;
  auto argument = [&](size_t position) {
    return position <= arguments.size() ? arguments[position - 1] : std::string();
  };
  OutLine(out, kVersionBanner);
  OutLine(out, "");
  mef32::SetPathToEXEPath();
  if (argument(1).empty() || argument(1) == kHelpArgument) {
    WriteUsage(run);
    OutFlush(out);
    return kExitDone;
  }
  tRunSettings& settings = run.settings;
  settings.LogFile = argument(1);
  for (size_t position = 2; position <= 4; ++position) {
    const std::string text = argument(position);
    if (IsExclusionArgument(text)) {
      settings.ExcludeIDs = WithoutExclusionMark(text);
    } else if (position == 2) {
      settings.Filter1 = FilterCase(text);
    } else if (position == 3) {
      settings.Filter2 = FilterCase(text);
    }
  }
  OutLine(out, " Filter1: " + settings.Filter1);
  OutLine(out, " Filter2: " + settings.Filter2);
  OutLine(out, " Exclude IDs: " + settings.ExcludeIDs);
  OutLine(out, "");
  // A file of that name is read as it is, even one whose name holds a wildcard.
  bool found = os.IsExistingFile(settings.LogFile);
  // From here on Ctrl+C asks the run to stop: nothing may end it halfway through a block.
  if (run.follow) os.CatchStopRequests();
  if (found && run.follow) {
    run.follow_end = FollowLog(os, out, settings.LogFile, settings);
  } else if (found) {
    ReportLog(run, settings.LogFile, tAfterReading::kKeepOpen);
  } else if (platform::IsWildcardPattern(settings.LogFile, os.Style())) {
    found = ReportMatchingLogs(run, settings.LogFile);
  }
  if (!found) WriteDiagnostics(run);
  OutLine(out, "Done");
  if (run.follow_end == tFollowEnd::kStopped) {
    FlushAfterStop(out);
  } else {
    OutFlush(out);
  }
  return found ? kExitDone : kExitNoLog;
}

// The last chance: what is written so far goes out, the report goes to standard error.
int ReportFailure(platform::Os& os, tOutput& out, const std::string& class_name,
                  const void* address, const std::string& message) {
  try {
    OutFlush(out);
  } catch (const mef32::Exception&) {
    OutDiscard(out);
  }
  const std::string module(platform::FileNamePart(os.ModuleFileName(), os.Style()));
  os.WriteStderr(LastChanceReport(class_name, module, address, message));
  return kExitInOutError;
}

}  // namespace
}  // namespace tessal

int main(int argc, char** argv) {
  platform::StartProcess(argc, argv);
  // The one place the platform is taken: everything below is handed it.
  platform::Os& os = platform::Current();
  tessal::tOutput out = tessal::StartOutput(os);
  try {
    return tessal::RunTessal(os, out, os.Arguments());
  } catch (const tessal::EInOutError& failure) {
    return tessal::ReportFailure(os, out, failure.ClassName(), failure.Address(),
                                 failure.Message());
  } catch (const mef32::Exception& failure) {
    return tessal::ReportFailure(os, out, failure.ClassName(), nullptr, failure.Message());
  } catch (const std::bad_alloc&) {
    return tessal::ReportFailure(os, out, "EOutOfMemory", nullptr, "Out of memory");
  }
}
