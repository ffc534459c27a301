// The fixed-size record that carries one message (or one queued attribute
// change) from a caller to the writer thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace logq {

inline constexpr std::int32_t kContentSize = 8192;

// Change kinds carried by records whose `kind` is not 0.
enum ChangeKind : std::int32_t {
  kMessage = 0,
  kChangeEnabled = 1,
  kChangeName = 2,
  kChangePath = 3,
  kChangeLevel = 4,
  kChangeFileLine = 5,
  kChangeDisplay = 6,
  kChangeOutFile = 7,
  kChangeLimitSize = 8,
  kChangeMonthDir = 9,
  kChangeReserve = 10,
};

struct LogRecord {
  std::int32_t loggerId;
  std::int32_t kind;
  std::int32_t changeValue;
  std::int32_t level;
  std::int64_t time;     // seconds since 1970-01-01 UTC
  std::uint32_t millis;  // within that second
  std::int32_t length;   // valid bytes of content
  char content[kContentSize];
};

static_assert(sizeof(LogRecord) == 8224);
static_assert(offsetof(LogRecord, loggerId) == 0);
static_assert(offsetof(LogRecord, kind) == 4);
static_assert(offsetof(LogRecord, changeValue) == 8);
static_assert(offsetof(LogRecord, level) == 12);
static_assert(offsetof(LogRecord, time) == 16);
static_assert(offsetof(LogRecord, millis) == 24);
static_assert(offsetof(LogRecord, length) == 28);
static_assert(offsetof(LogRecord, content) == 32);

}  // namespace logq
