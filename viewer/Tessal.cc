// Tessal: prints a DHCP server audit log as labelled blocks, one per record.
#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/rules.h"
#include "toolkit/Mef32.h"
#include "viewer/failure.h"
#include "viewer/follow.h"
#include "viewer/output.h"
#include "viewer/report.h"
#include "viewer/settings.h"
#include "viewer/version.h"

namespace tessal {
namespace {

// The run settings, alive for the whole run.
tRunSettings gRunSettings;

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

void WriteUsage() {
  const std::string exe = platform::Current().ModuleFileName();
  OutLine(exe + " {TessalFile} [{Filter1} {Filter2}] {/e:eventid}");
  OutLine(exe + " /e - Exclude Ids Eg /e:30,31");
  OutLine(exe + " /f - Follow the log as it grows, Ctrl+C stops");
}

void WriteDiagnostics() {
  OutLine(" Unable to locate " + gRunSettings.LogFile);
  OutLine(" gGlobalSettings.Path=\"" + mef32::gGlobalSettings.Path + "\"");
  OutLine(" mef32.GetEXEPath=\"" + mef32::GetEXEPath("") + "\"");
}

enum class tAfterReading { kKeepOpen, kClose };

void ReportLog(const std::string& path, tAfterReading after) {
  platform::Os& os = platform::Current();
  platform::FileHandle file = 0;
  const platform::ErrorCode error = os.OpenForReading(path, &file);
  if (error != platform::kErrorNone) RaiseInOutError(error);
  ReportFile(os, file, gRunSettings);
  // A single log stays open until the process ends. A pattern may name a year of copies: each
  // of those lets go of its handle once it is read (nothing was written through it).
  if (after == tAfterReading::kClose) os.Close(file);
}

// With /f: how following ended, once it has begun.
bool gFollow = false;
tFollowEnd gFollowEnd = tFollowEnd::kInputEnded;

// Reports every file the pattern matches, oldest first, each after a line that names it; with
// /f the newest is followed. Answers false when no file matches.
bool ReportMatchingLogs(const std::string& pattern) {
  platform::Os& os = platform::Current();
  std::vector<platform::FoundFile> files;  // names and times only, however many there are
  const platform::ErrorCode error = os.FindFiles(pattern, &files);
  // A folder that is not there holds no log; one that may not be read fails as a log would.
  if (error == platform::kErrorPathNotFound) return false;
  if (error != platform::kErrorNone) RaiseInOutError(error);
  platform::OrderOldestFirst(files, os.Style());
  for (const platform::FoundFile& found : files) {
    const std::string path =
        platform::FoundFileName(pattern, found.name, mef32::gGlobalSettings.Path, os.Style());
    // Named before it is opened, so that a failure report follows the name of its log.
    OutLine(" Log: " + path);
    OutLine("");
    if (gFollow && &found == &files.back()) {
      gFollowEnd = FollowLog(path, gRunSettings);
    } else {
      ReportLog(path, tAfterReading::kClose);
    }
  }
  return !files.empty();
}

int RunTessal(std::vector<std::string> arguments) {
  // /f takes no position: the other arguments keep their order as if it were not there.
  gFollow =
      std::erase_if(arguments, [](const std::string& text) { return IsFollowArgument(text); }) != 0;
  auto argument = [&](size_t position) {
    return position <= arguments.size() ? arguments[position - 1] : std::string();
  };
  OutStart();
  OutLine(kVersionBanner);
  OutLine("");
  mef32::SetPathToEXEPath();
  if (argument(1).empty() || argument(1) == kHelpArgument) {
    WriteUsage();
    OutFlush();
    return kExitDone;
  }
  tRunSettings& settings = gRunSettings;
  settings.LogFile = argument(1);
  for (size_t position = 2; position <= 4; ++position) {
    const std::string text = argument(position);
    if (IsExclusionArgument(text)) {
      settings.ExcludeIDs = WithoutExclusionMark(text);
    } else if (position == 2) {
      settings.Filter1 = platform::AsciiUpper(text);
    } else if (position == 3) {
      settings.Filter2 = platform::AsciiUpper(text);
    }
  }
  OutLine(" Filter1: " + settings.Filter1);
  OutLine(" Filter2: " + settings.Filter2);
  OutLine(" Exclude IDs: " + settings.ExcludeIDs);
  OutLine("");
  platform::Os& os = platform::Current();
  // A file of that name is read as it is, even one whose name holds a wildcard.
  bool found = os.IsExistingFile(settings.LogFile);
  // From here on Ctrl+C asks the run to stop: nothing may end it halfway through a block.
  if (gFollow) os.CatchStopRequests();
  if (found && gFollow) {
    gFollowEnd = FollowLog(settings.LogFile, settings);
  } else if (found) {
    ReportLog(settings.LogFile, tAfterReading::kKeepOpen);
  } else if (platform::IsWildcardPattern(settings.LogFile, os.Style())) {
    found = ReportMatchingLogs(settings.LogFile);
  }
  if (!found) WriteDiagnostics();
  OutLine("Done");
  if (gFollowEnd == tFollowEnd::kStopped) {
    FlushAfterStop();
  } else {
    OutFlush();
  }
  return found ? kExitDone : kExitNoLog;
}

// The last chance: what is written so far goes out, the report goes to standard error.
int ReportFailure(const std::string& class_name, const void* address, const std::string& message) {
  try {
    OutFlush();
  } catch (const mef32::Exception&) {
    OutDiscard();
  }
  platform::Os& os = platform::Current();
  const std::string module(platform::FileNamePart(os.ModuleFileName(), os.Style()));
  os.WriteStderr(LastChanceReport(class_name, module, address, message));
  return kExitInOutError;
}

}  // namespace
}  // namespace tessal

int main(int argc, char** argv) {
  platform::StartProcess(argc, argv);
  try {
    return tessal::RunTessal(platform::Current().Arguments());
  } catch (const tessal::EInOutError& failure) {
    return tessal::ReportFailure(failure.ClassName(), failure.Address(), failure.Message());
  } catch (const mef32::Exception& failure) {
    return tessal::ReportFailure(failure.ClassName(), nullptr, failure.Message());
  } catch (const std::bad_alloc&) {
    return tessal::ReportFailure("EOutOfMemory", nullptr, "Out of memory");
  }
}
