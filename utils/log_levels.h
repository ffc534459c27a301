// Log levels and registry limits of the logger.
#pragma once

#include <cstdint>

namespace logq {

enum LogLevel : std::int32_t {
  LOG_TRACE = 0,
  LOG_DEBUG = 1,
  LOG_INFO = 2,
  LOG_WARN = 3,
  LOG_ERROR = 4,
  LOG_ALARM = 5,
  LOG_FATAL = 6,
};

inline constexpr int LOGGER_MAX = 20;
inline constexpr int kMainLoggerId = 0;
inline constexpr int kNoLogger = -1;

// The nine-character tag a record carries for its level ("LOG_INFO " and
// "LOG_WARN " end in a blank so the columns line up); "LOG_UNKWN" otherwise.
const char* levelTag(std::int32_t level);

}  // namespace logq
