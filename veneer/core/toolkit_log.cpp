#include "veneer/core/toolkit_log.h"

#include <mutex>

namespace veneer {
namespace {

constexpr int kWarnLevel = 3;

std::mutex& sinkLock() {
  static std::mutex lock;
  return lock;
}

ToolkitLogSink& sink() {
  static ToolkitLogSink installed;
  return installed;
}

}  // namespace

void SetToolkitLogSink(ToolkitLogSink newSink) {
  std::lock_guard guard(sinkLock());
  sink() = std::move(newSink);
}

void ToolkitWarning(std::string_view text, const char* function, const char* file, int line) {
  ToolkitLogSink current;
  {
    std::lock_guard guard(sinkLock());
    current = sink();
  }
  if (!current || !current("veneer", kWarnLevel, text, LogSite{function, file, line})) DebuggerOutput(text);
}

std::string NoObjectWarning(std::string_view name, int kind) {
  return "Warning: no ojbect " + std::string(name) + " of type:" + std::to_string(kind) + " in VENEER!!";
}

}  // namespace veneer
