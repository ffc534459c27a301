#include "veneer/log/log_manager.h"

#include <cstdio>
#include <cstring>

#include "utils/log_format.h"
#include "utils/log_levels.h"
#include "utils/process_identity.h"
#include "veneer/core/toolkit_log.h"

namespace veneer {
const char* ToolkitLevelTag(int level) {
  static const char* const kTags[] = {"TRACE", "DEBUG", "INFO ", "WARN ", "ERROR", "ALARM", "FATAL"};
  return level >= 0 && level <= 6 ? kTags[level] : "?????";
}

ToolkitLogEnvironment ToolkitLogEnvironment::current() {
  return ToolkitLogEnvironment{logq::LogEnvironment::current(), &logq::currentThreadId, &logq::moduleFileNameOf,
                               &DebuggerOutput};
}

LogManager::LogManager(ToolkitLogEnvironment environment) : env_(std::move(environment)), logger_(env_.base) {
  // The main logger carries the program's name; "MainLog" when it is unknown.
  const std::string name =
      env_.base.modulePath.empty() ? std::string("MainLog") : logq::processNameFromPath(env_.base.modulePath);
  logger_.setName(logq::kMainLoggerId, name.c_str());
  logger_.setFlavour(this);
}

LogManager::~LogManager() {
  logger_.stop();
  logger_.wait();
}

bool LogManager::AcceptsLevel(int id, int level) {
  return level >= logq::LOG_TRACE && level <= logq::LOG_FATAL && logger_.acceptsLevel(id, level);
}

std::string LogManager::FormatRecord(int level, std::int64_t seconds, std::uint32_t millis, const char* tag,
                                     const char* message, const char* file, int line, const char* function,
                                     const void* address, bool fileLine) {
  logq::LocalTime local;
  logger_.clock().toLocal(seconds, local);
  const std::string module = address != nullptr && env_.moduleName ? env_.moduleName(address) : std::string();
  const unsigned pid = env_.base.pid;
  const unsigned tid = env_.threadId ? env_.threadId() : 0;
  tag = tag != nullptr ? tag : "";
  message = message != nullptr ? message : "";
  char text[kTextSize];
  int n = 0;
  if (file != nullptr && fileLine) {
    n = std::snprintf(text, sizeof text, "pid=%u tid=%u %d-%02d-%02d %02d:%02d:%02d.%03d %s %s %s \"%s\" %s (%s):%d\r\n",
                      pid, tid, local.year, local.month, local.day, local.hour, local.minute, local.second,
                      static_cast<int>(millis % 1000), ToolkitLevelTag(level), module.c_str(), tag, message,
                      function != nullptr ? function : "", logq::baseNameOf(file), line);
  } else {
    n = std::snprintf(text, sizeof text, "pid=%u tid=%u %d-%02d-%02d %02d:%02d:%02d.%03d %s %s %s \"%s\"\r\n", pid,
                      tid, local.year, local.month, local.day, local.hour, local.minute, local.second,
                      static_cast<int>(millis % 1000), ToolkitLevelTag(level), module.c_str(), tag, message);
  }
  if (n < 0) return std::string("\r\n");
  if (n >= kTextSize) {
    // Cut: every record still ends a line.
    text[kTextSize - 2] = '\r';
    text[kTextSize - 1] = '\n';
    return std::string(text, kTextSize);
  }
  return std::string(text, static_cast<std::size_t>(n));
}

bool LogManager::PushLog(int id, int level, const char* tag, const char* message, const char* file, int line,
                         const char* function, const void* address) {
  if (!AcceptsLevel(id, level)) return false;
  logq::LogRecord* record = logger_.makeRecord(id, level);
  const std::string text = FormatRecord(level, record->time, record->millis, tag, message, file, line, function,
                                        address, logger_.logger(id).fileline.load());
  std::memcpy(record->content, text.data(), text.size());
  record->length = static_cast<std::int32_t>(text.size());
  return logger_.submitFormatted(record);
}

std::string LogManager::fileName(const std::string& loggerName, std::uint32_t index) const {
  char name[300];
  std::snprintf(name, sizeof name, "%s-%d.log", loggerName.c_str(), static_cast<int>(index));
  return name;
}

void LogManager::echo(std::string_view text) {
  if (env_.debugger) env_.debugger(text);
}

void LogManager::startupLine(std::string_view text, const char* sourceFile, int line) {
  const std::string message(text);
  PushLog(logq::kMainLoggerId, logq::LOG_ALARM, "logger", message.c_str(), sourceFile, line, "run",
          reinterpret_cast<const void*>(&ToolkitLevelTag));
}

}  // namespace veneer
