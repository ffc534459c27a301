#include "utils/log_format.h"

#include "utils/log_printf.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace logq {

void appendFormatV(LogRecord& record, const char* format, std::va_list args) {
  const int room = kContentSize - record.length;
  if (room <= 0) return;
  const int n = formatText(record.content + record.length, static_cast<std::size_t>(room), format, args);
  if (n < 0) return;
  record.length = n >= room ? kContentSize : record.length + n;
}

void appendFormat(LogRecord& record, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  appendFormatV(record, format, args);
  va_end(args);
}

void appendText(LogRecord& record, std::string_view text) {
  const int room = kContentSize - record.length - 1;
  if (room <= 0) return;
  const int n = std::min(room, static_cast<int>(text.size()));
  std::memcpy(record.content + record.length, text.data(), static_cast<std::size_t>(n));
  record.length += n;
  record.content[record.length] = '\0';
}

void appendNumber(LogRecord& record, int number) {
  char text[16];
  const int n = std::snprintf(text, sizeof text, "%d", number);
  appendText(record, std::string_view(text, static_cast<std::size_t>(n)));
}

namespace {

bool logFormatV(ILogManager& manager, int id, int level, const char* file, int line, const char* format,
                std::va_list args) {
  if (!manager.acceptsLevel(id, level)) return false;
  LogRecord* record = manager.makeRecord(id, level);
  appendFormatV(*record, format, args);
  return manager.submitRecord(record, file, line);
}

}  // namespace

bool logFormat(ILogManager& manager, int id, int level, const char* file, int line, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  const bool queued = logFormatV(manager, id, level, file, line, format, args);
  va_end(args);
  return queued;
}

bool SourceLog::write(int level, int line, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  const bool queued = logFormatV(manager_, id_, level, source_, line, format, args);
  va_end(args);
  return queued;
}

}  // namespace logq
