// Mef32: the toolkit's global settings record, its fault records and its routines.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/os.h"

namespace mef32 {

// The common failure type: every failure the toolkit captures is one of these.
class Exception : public std::runtime_error {
 public:
  Exception(std::string class_name, const std::string& message)
      : std::runtime_error(message), class_name_(std::move(class_name)) {}
  const std::string& ClassName() const { return class_name_; }
  std::string Message() const { return what(); }

 private:
  std::string class_name_;
};

class ERegistryException : public Exception {
 public:
  explicit ERegistryException(const std::string& message)
      : Exception("ERegistryException", message) {}
};

// A failing operating-system call.
class EOSError : public Exception {
 public:
  explicit EOSError(platform::ErrorCode code)
      : Exception("EOSError", "System Error.  Code: " + std::to_string(code) + ".") {}
};

class ESocketError : public Exception {
 public:
  explicit ESocketError(const std::string& message) : Exception("ESocketError", message) {}
};

struct tLog {
  std::string Name;
  std::string FileName;
  uint8_t State[8] = {};
  std::string Text;
  uint8_t Data[20] = {};
};

struct tLogRec {
  int32_t Kind = 0;
  int32_t TracePoint = 0;
  std::string Text;
  double DateTime = 0;
};

struct tDebugRec {
  std::string Source;
  std::string Target;
  std::string Text;
  std::string Detail;
  uint32_t Flags = 0;
  std::string Extra1;
  std::string Extra2;
  std::string Extra3;
};

struct tGlobalSettings {
  std::string SelfName;
  std::string Title;
  std::string Description;
  std::string Version;
  std::string HostName;
  uint32_t ProcessID = 0;
  std::string UserName;
  std::string ExceptionFileName;
  tLog Log;
  std::string LogFileName;
  uint8_t Reserved[28] = {};
  int32_t CallDepth = 0;
  uint32_t DebugLevel = 0;
  std::string Path;
  uint32_t Options = 0;
  std::string DataPath;
  std::string TempPath;
  uint32_t Mode = 0;
  std::string ServerName;
  std::string DatabaseName;
  std::string ConnectionText;
  int16_t SyslogSequence = 0;
};

struct tExceptionRec {
  std::string Function;
  std::string ClassName;
  std::string Message;
  int32_t Trace = 0;
  std::string SQL;
  std::string CallingFunction;
  std::string Notes;
  std::string FileName;
  bool bBeep = false;
  int32_t Count = 0;
};

struct tMachineUpTime {
  std::string Text;
  int64_t TickCount = 0;
  double TotalDays = 0;
};

struct tSyslogRec {
  int32_t ID = 0;
  std::string Msg;
  std::string FunctionName;
  uint32_t Reserved = 0;
};

extern tGlobalSettings gGlobalSettings;
extern tDebugRec gDebugRec;

// True when gGlobalSettings.Path followed by name matches any directory entry.
bool FileExists(const std::string& name);
// The folder of the running executable for an empty name, else the registered place of name.
std::string GetEXEPath(const std::string& name);
// Makes the executable's folder the current directory and remembers it in gGlobalSettings.Path.
std::string SetPathToEXEPath();

// Writes the exception file of a fault, beeps when asked, and posts the syslog notice. A report
// started while kMaxReportsUnderWay reports are already under way is dropped, so that a fault
// that recurs in the report itself ends.
inline constexpr int kMaxReportsUnderWay = 2;
void SaveExceptionRecAsXML(tExceptionRec ExceptionRec, std::string& SavedFileName);
// 0 written, -1 nothing to write, -5 the file could not be written.
int32_t WriteTextToFile(const std::string& Text, const std::string& File, bool bAppend);
tMachineUpTime MachineUpTime();
std::string BooleanTStr(bool Value, const std::string& TrueText, const std::string& FalseText);

// Numbers the notice and broadcasts it as a syslog line to port 514.
void PostSyslogMsg(tSyslogRec SyslogRec);
// Broadcasts Text in one UDP datagram to 255.255.255.255: 0 sent (or Port not positive), -1 the
// send failed, -2 a captured failure.
int32_t PostUDPMessage(const std::string& Text, int32_t Port);

// The pure pieces of the above.
tMachineUpTime MachineUpTimeFromTicks(uint32_t ticks);
// Element text with "&", "<" and ">" escaped.
std::string XmlText(std::string_view value);
int16_t NextSyslogSequence(int16_t sequence);
std::string SyslogLine(int32_t id, std::string_view msg, std::string_view self_name,
                       std::string_view host_name, int16_t sequence);

// The directory part of a module file name: up to its last separator, without a leading "\\?\".
std::string CutToDirectory(std::string_view file_name, platform::PathStyle style);
// The App Paths rewriting of a registered "Path" value into the program's full name.
std::string RewriteAppPath(std::string_view value, std::string_view name);

}  // namespace mef32
