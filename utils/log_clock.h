// Where the logger gets its time from; tests pass their own clock so that day
// changes and ages can be tested without waiting.
#pragma once

#include <cstdint>

#include "utils/wake_signal.h"

namespace logq {

struct LocalTime {
  int year = 1970;  // e.g. 2024
  int month = 1;    // 1 to 12
  int day = 1;      // 1 to 31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int dayOfYear = 0;  // 0 to 365
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since 1970-01-01 UTC.
  virtual std::int64_t nowMillis() = 0;
  // `seconds` since 1970 as local calendar time; false when it cannot be converted.
  virtual bool toLocal(std::int64_t seconds, LocalTime& out) = 0;
  virtual void sleepMillis(int millis) = 0;
  // The writer's pause between bursts: `millis`, or less once `wake` is released.
  virtual void pollSleep(int millis, WakeSignal& wake) = 0;
};

// The system's clock, local time zone and sleep.
Clock& systemClock();

}  // namespace logq
