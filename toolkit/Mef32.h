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

extern tGlobalSettings gGlobalSettings;
extern tDebugRec gDebugRec;

// True when gGlobalSettings.Path followed by name matches any directory entry.
bool FileExists(const std::string& name);
// The folder of the running executable for an empty name, else the registered place of name.
std::string GetEXEPath(const std::string& name);
// Makes the executable's folder the current directory and remembers it in gGlobalSettings.Path.
std::string SetPathToEXEPath();

// The directory part of a module file name: up to its last separator, without a leading "\\?\".
std::string CutToDirectory(std::string_view file_name, platform::PathStyle style);
// The App Paths rewriting of a registered "Path" value into the program's full name.
std::string RewriteAppPath(std::string_view value, std::string_view name);

}  // namespace mef32
