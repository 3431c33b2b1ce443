// The exception report: the XML file of a fault, the beep sequence and the syslog notice.
#include <cstdio>
#include <string>

#include "toolkit/Mef32.h"
#include "toolkit/capture.h"
#include "toolkit/text.h"

namespace mef32 {
namespace {

int g_reports_under_way = 0;

constexpr uint32_t kToneMilliseconds = 50;
constexpr uint32_t kToneFrequencies[] = {200, 400, 800, 1600};

platform::LocalTime Now() {
  platform::LocalTime now{};
  const platform::ErrorCode error = platform::Current().GetLocalTime(&now);
  if (error != platform::kErrorNone) throw EOSError(error);
  return now;
}

// "YYYY-MM-DD HH:NN:SS.ZZZ", with the regional time separator between hour, minute and second.
std::string DateTimeText(const platform::LocalTime& t, const std::string& separator) {
  char date[32], hour[8], minute[8], second[16];
  std::snprintf(date, sizeof date, "%04u-%02u-%02u ", t.year, t.month, t.day);
  std::snprintf(hour, sizeof hour, "%02u", t.hour);
  std::snprintf(minute, sizeof minute, "%02u", t.minute);
  std::snprintf(second, sizeof second, "%02u.%03u", t.second, t.millisecond);
  return date + std::string(hour) + separator + minute + separator + second;
}

// "yyyymmddhhnnsszzz": 17 digits.
std::string TimeStamp(const platform::LocalTime& t) {
  char stamp[48];
  std::snprintf(stamp, sizeof stamp, "%04u%02u%02u%02u%02u%02u%03u", t.year, t.month, t.day, t.hour,
                t.minute, t.second, t.millisecond);
  return stamp;
}

void AddElement(std::string& text, std::string_view name, std::string_view value) {
  text += '<';
  text += name;
  text += '>';
  text += XmlText(value);
  text += "</";
  text += name;
  text += ">\r\n";
}

}  // namespace

namespace detail {

tExceptionRec FaultRecord(std::string_view function, const Exception& failure, int32_t trace) {
  tExceptionRec record;
  record.Function = function;
  record.ClassName = failure.ClassName();
  record.Message = failure.Message();
  record.Trace = trace;
  record.FileName = gGlobalSettings.ExceptionFileName;
  record.bBeep = true;
  return record;
}

void ReportFault(const tExceptionRec& record) {
  std::string scratch;
  SaveExceptionRecAsXML(record, scratch);
}

}  // namespace detail

std::string XmlText(std::string_view value) {
  std::string text;
  text.reserve(value.size());
  for (char c : value) {
    switch (c) {
      case '&':
        text += "&amp;";
        break;
      case '<':
        text += "&lt;";
        break;
      case '>':
        text += "&gt;";
        break;
      default:
        text += c;
    }
  }
  return text;
}

void SaveExceptionRecAsXML(tExceptionRec ExceptionRec, std::string& SavedFileName) {
  if (g_reports_under_way >= kMaxReportsUnderWay) {
    SavedFileName.clear();
    return;
  }
  std::string name;
  struct tOnEveryWayOut {
    std::string& saved;
    const std::string& name;
    ~tOnEveryWayOut() {
      saved = name;
      --g_reports_under_way;
    }
  } way_out{SavedFileName, name};
  ++g_reports_under_way;
  tLogRec log;
  detail::Capture(
      true,
      [&] {
        const tGlobalSettings& settings = gGlobalSettings;
        platform::Os& os = platform::Current();
        log.TracePoint = 100;
        std::string text = "<xml>\r\n";
        log.TracePoint = 230;
        text += "<Exception>\r\n";
        log.TracePoint = 300;
        AddElement(text, "DateTime", DateTimeText(Now(), os.TimeSeparator()));
        log.TracePoint = 305;
        AddElement(text, "MachineUpTime", MachineUpTime().Text);
        log.TracePoint = 310;
        AddElement(text, "SelfName", settings.SelfName);
        log.TracePoint = 315;
        AddElement(text, "Version", settings.Version);
        log.TracePoint = 320;
        AddElement(text, "Function", ExceptionRec.Function);
        AddElement(text, "CallingFunction", ExceptionRec.CallingFunction);
        log.TracePoint = 325;
        AddElement(text, "Trace", std::to_string(ExceptionRec.Trace));
        log.TracePoint = 330;
        AddElement(text, "HostName", settings.HostName);
        log.TracePoint = 340;
        AddElement(text, "ClassName", ExceptionRec.ClassName);
        log.TracePoint = 350;
        AddElement(text, "e.Message", ExceptionRec.Message);
        log.TracePoint = 360;
        AddElement(text, "SQL", ExceptionRec.SQL);
        log.TracePoint = 370;
        AddElement(text, "Notes", ExceptionRec.Notes);
        AddElement(text, "Count", std::to_string(ExceptionRec.Count));
        text += "</Exception>\r\n</xml>\r\n";

        log.TracePoint = 380;
        std::string chosen =
            ExceptionRec.FileName.empty() ? "E!{selfname}-{timestamp}.xml" : ExceptionRec.FileName;
        detail::ReplaceFirst(chosen, "{selfname}", settings.SelfName);
        detail::ReplaceFirst(chosen, "{timestamp}",
                             TimeStamp(Now()));  // a second reading of the clock
        name = chosen;

        log.TracePoint = 420;
        WriteTextToFile(text, name, false);  // a file that cannot be written costs only the file

        log.TracePoint = 460;
        if (ExceptionRec.bBeep) {
          for (uint32_t frequency : kToneFrequencies) os.Beep(frequency, kToneMilliseconds);
        }

        log.TracePoint = 480;
        tSyslogRec notice;
        notice.ID = 1;
        notice.Msg = "EXCEPTION:Func=" + ExceptionRec.Function +
                     " Trace=" + std::to_string(ExceptionRec.Trace) + " File=\"" + name +
                     "\" SelfName=" + settings.SelfName + " Version=" + settings.Version;
        PostSyslogMsg(notice);
      },
      [&](const Exception& failure) {
        // A nested report on this call's own copy; what the caller gave stays as it was.
        ExceptionRec.Function = "mef32.SaveExceptionRecAsXML";
        ExceptionRec.ClassName = failure.ClassName();
        ExceptionRec.Message = failure.Message();
        ExceptionRec.Trace = log.TracePoint;
        ExceptionRec.FileName = gGlobalSettings.ExceptionFileName;
        ExceptionRec.bBeep = true;
        detail::ReportFault(ExceptionRec);
      });
}

int32_t WriteTextToFile(const std::string& Text, const std::string& File, bool bAppend) {
  if (Text.empty()) return -1;
  platform::Os& os = platform::Current();
  platform::FileHandle file = 0;
  // Appending to a file that is not there makes it, on every platform.
  if (os.OpenForWriting(File, bAppend, &file) != platform::kErrorNone) return -5;
  const platform::ErrorCode written = os.Write(file, Text.data(), Text.size());
  const platform::ErrorCode closed = os.Close(file);  // closed whatever the write did
  return written == platform::kErrorNone && closed == platform::kErrorNone ? 0 : -5;
}

tMachineUpTime MachineUpTimeFromTicks(uint32_t ticks) {
  const uint32_t weeks = ticks / 604800000u;
  const uint32_t days = (ticks % 604800000u) / 86400000u;
  const uint32_t hours = (ticks % 86400000u) / 3600000u;
  const uint32_t minutes = (ticks % 3600000u) / 60000u;
  const uint32_t seconds = (ticks % 60000u) / 1000u;
  char text[32];
  std::snprintf(text, sizeof text, "%uw%ud%02uh%02um%02us", weeks, days, hours, minutes, seconds);
  tMachineUpTime up;
  up.Text = text;
  up.TickCount = ticks;
  up.TotalDays = static_cast<double>(7 * weeks + days) + static_cast<double>(hours) / 24 +
                 static_cast<double>(minutes) / 1440 + static_cast<double>(seconds) / 86400;
  return up;
}

tMachineUpTime MachineUpTime() {
  tLogRec log;  // no trace points: a report carries 0
  return detail::Guarded("mef32.MachineUpTime", false, log, tMachineUpTime(),
                         [] { return MachineUpTimeFromTicks(platform::Current().TickCount()); });
}

std::string BooleanTStr(bool Value, const std::string& TrueText, const std::string& FalseText) {
  tLogRec log;
  return detail::Guarded("mef32.BooleanTStr", false, log, std::string("Exception"),
                         [&] { return Value ? TrueText : FalseText; });
}

}  // namespace mef32
