// The toolkit's log manager: the logger's registry, queue and writer with the
// toolkit's record form (pid, tid, time, five-character tag, module, tag,
// quoted message and, in the long form, function, source and line), every
// record echoed to the debugger output, and files named "<name>-<index>.log"
// that roll by size only.
//
// Threads: every operation may be called from any thread; the writer thread
// is the manager's own (Start/Stop).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "utils/log_manager.h"
#include "veneer/core/ref_counted.h"

namespace veneer {

class ILogManager : public IObjRef {
 public:
  virtual bool Start() = 0;
  virtual bool Stop() = 0;
  virtual bool SetLoggerLevel(int id, int level) = 0;
  // Would a record of `level` on logger `id` be queued?
  virtual bool AcceptsLevel(int id, int level) = 0;
  // Formats and queues one record; false, and nothing queued, when the id is
  // not in use, the logger is disabled or the level is below the logger's.
  // `file` may be null (short form); `address` names the calling module.
  virtual bool PushLog(int id, int level, const char* tag, const char* message, const char* file, int line,
                       const char* function, const void* address) = 0;
};

// What the manager takes from the process besides the logger's environment.
struct ToolkitLogEnvironment {
  logq::LogEnvironment base;
  std::function<std::uint32_t()> threadId;
  // File name (without folder) of the module holding the address; empty when unknown.
  std::function<std::string(const void*)> moduleName;
  std::function<void(std::string_view)> debugger;

  static ToolkitLogEnvironment current();
};

class LogManager final : public TObjRefImpl<ILogManager>, private logq::LogFlavour {
 public:
  static constexpr int kTextSize = 2048;

  explicit LogManager(ToolkitLogEnvironment environment = ToolkitLogEnvironment::current());
  ~LogManager() override;

  bool Start() override { return logger_.start(); }
  bool Stop() override { return logger_.stop(); }
  bool SetLoggerLevel(int id, int level) override { return logger_.setLevel(id, level); }
  bool AcceptsLevel(int id, int level) override;
  bool PushLog(int id, int level, const char* tag, const char* message, const char* file, int line,
               const char* function, const void* address) override;

  // The underlying registry, for the setters the toolkit does not wrap.
  logq::LogManager& Logger() { return logger_; }

  // The text of a record as it is written (at most kTextSize bytes, ending in CR LF).
  std::string FormatRecord(int level, std::int64_t seconds, std::uint32_t millis, const char* tag,
                           const char* message, const char* file, int line, const char* function,
                           const void* address, bool fileLine);

 private:
  bool monthFolder() const override { return false; }
  bool dayRoll() const override { return false; }
  std::string fileName(const std::string& loggerName, std::uint32_t index) const override;
  void echo(std::string_view text) override;
  void startupLine(std::string_view text, const char* sourceFile, int line) override;

  ToolkitLogEnvironment env_;
  logq::LogManager logger_;
};

// The five-character tag of a level ("INFO " and "WARN " end in a blank).
const char* ToolkitLevelTag(int level);

}  // namespace veneer
