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

LogSite LogSite::of(const std::source_location& where) {
  // "veneer::VWindow* veneer::VWindow::FindChildByName2(...) const" -> "veneer::VWindow::FindChildByName2"
  std::string_view function = where.function_name();
  function = function.substr(0, function.find('('));
  if (const std::size_t blank = function.rfind(' '); blank != std::string_view::npos) function.remove_prefix(blank + 1);
  while (!function.empty() && (function.front() == '*' || function.front() == '&')) function.remove_prefix(1);
  return LogSite{std::string(function), where.file_name(), static_cast<int>(where.line())};
}

void SetToolkitLogSink(ToolkitLogSink newSink) {
  std::lock_guard guard(sinkLock());
  sink() = std::move(newSink);
}

void ToolkitWarning(std::string_view text, const std::source_location& where) {
  ToolkitLogSink current;
  {
    std::lock_guard guard(sinkLock());
    current = sink();
  }
  if (!current || !current("veneer", kWarnLevel, text, LogSite::of(where))) DebuggerOutput(text);
}

}  // namespace veneer
