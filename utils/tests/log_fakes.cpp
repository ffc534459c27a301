#include "utils/tests/log_fakes.h"

#include <chrono>
#include <thread>

namespace logq::testing {

bool FakeClock::toLocal(std::int64_t seconds, LocalTime& out) {
  // Civil date from days since 1970 (proleptic Gregorian calendar).
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  static const int kDaysBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  out.year = year;
  out.month = month;
  out.day = day;
  out.hour = static_cast<int>(rest / 3600);
  out.minute = static_cast<int>(rest / 60 % 60);
  out.second = static_cast<int>(rest % 60);
  out.dayOfYear = kDaysBefore[month - 1] + day - 1 + (leap && month > 2 ? 1 : 0);
  return true;
}

void FakeClock::sleepMillis(int millis) {
  std::unique_lock lock(mutex_);
  ++sleeps_;
  lastSleep_ = millis;
  changed_.notify_all();
  if (!manual_) {
    lock.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return;
  }
  ++sleeping_;
  changed_.notify_all();
  changed_.wait(lock, [&] { return permits_ > 0 || !manual_; });
  --sleeping_;
  if (permits_ > 0) --permits_;
}

void FakeClock::advancePoll() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return sleeping_ > 0 || !manual_; });
  const int before = sleeps_;
  ++permits_;
  changed_.notify_all();
  changed_.wait(lock, [&] { return sleeps_ > before || !manual_; });
}

}  // namespace logq::testing
