// Caller-side helpers: how every call site turns a message into a record.
//
//   1. acceptsLevel (nothing is formatted when it says no)
//   2. makeRecord
//   3. append the text (format style or text style)
//   4. submitRecord with the call site's source file and line
#pragma once

#include <cstdarg>
#include <string_view>

#include "utils/ilog_manager.h"
#include "utils/log_levels.h"

namespace logq {

// Format style: formats into the space left; a text that does not fit sets
// `length` to the whole content size.
void appendFormatV(LogRecord& record, const char* format, std::va_list args);
void appendFormat(LogRecord& record, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The file name of `path` after its last '/' or '\\' (the call sites' source names).
inline const char* baseNameOf(const char* path) {
  const char* base = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') base = p + 1;
  }
  return base;
}

// Text style: copies what fits of `text`, keeping the content terminated inside the buffer.
void appendText(LogRecord& record, std::string_view text);
void appendNumber(LogRecord& record, int number);

// The whole sequence for one message in format style.
bool logFormat(ILogManager& manager, int id, int level, const char* file, int line, const char* format, ...)
    __attribute__((format(printf, 6, 7)));

// A call site's logger, level-independent: binds the manager, the logger id
// and the source file name the records carry (e.g. "linkwarden/linkwarden").
class SourceLog {
 public:
  SourceLog(ILogManager& manager, int id, const char* source) : manager_(manager), id_(id), source_(source) {}

  bool write(int level, int line, const char* format, ...) __attribute__((format(printf, 4, 5)));
  ILogManager& manager() const { return manager_; }

 private:
  ILogManager& manager_;
  int id_;
  const char* source_;
};

}  // namespace logq
