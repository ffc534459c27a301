// Counters a window keeps in properties of its own, so that tools measuring
// from outside (the updater's benchmark driver) can read how often it did
// something and how long that took, without a debugger or a log.
#pragma once

#include <windows.h>

#include <cstdint>

namespace veneer {

// The host window's properties: how many times it has painted, the
// microseconds those paints took, and when its first paint ended
// (MicrosecondsNow, see PublishMoment). The benchmark's minimal window
// publishes the same, so one driver times both.
inline constexpr wchar_t kPaintCountProperty[] = L"VeneerPaintCount";
inline constexpr wchar_t kPaintMicrosProperty[] = L"VeneerPaintMicros";
inline constexpr wchar_t kFirstPaintEndProperty[] = L"VeneerFirstPaintEnd";

// A reading of the performance counter in microseconds. Whole seconds and
// the rest apart: the counter times a million overflows 64 bits after 21
// days of a 10 MHz counter.
inline std::uint64_t MicrosecondsOf(LONGLONG counter) {
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  const auto ticks = static_cast<std::uint64_t>(counter);
  const auto perSecond = static_cast<std::uint64_t>(frequency.QuadPart);
  return ticks / perSecond * 1000000u + ticks % perSecond * 1000000u / perSecond;
}

// The performance counter in microseconds.
inline std::uint64_t MicrosecondsNow() {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return MicrosecondsOf(now.QuadPart);
}

// A moment (MicrosecondsNow) as a window property, once: the performance
// counter is the machine's, so a tool in another process learns when the
// thing happened however seldom it looks, and its looking (each a wineserver
// round trip under Wine) does not slow what it measures. A 32-bit build keeps
// the low 32 bits; differences of them stay right for 71 minutes.
inline void PublishMoment(HWND window, const wchar_t* name, std::uint64_t micros) {
  if (window != nullptr) SetPropW(window, name, reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(micros)));
}

// Milliseconds from `fromMicros` to a moment read back from a property, or -1
// when the moment comes before it (or was never published).
inline double MillisToMoment(std::uint64_t fromMicros, std::uintptr_t moment) {
  if (moment == 0) return -1;
  const auto elapsed = static_cast<std::uintptr_t>(moment - static_cast<std::uintptr_t>(fromMicros));
  if (elapsed > (~std::uintptr_t{0} >> 1)) return -1;  // wrapped below zero: before `fromMicros`
  return static_cast<double>(elapsed) / 1000.0;
}

// A count and a sum of microseconds, published as two window properties.
// Setting a property is a wineserver round trip under Wine: the owner
// publishes when it paints, not on every event it counts.
class WindowCounter {
 public:
  WindowCounter(const wchar_t* countName, const wchar_t* microsName) : countName_(countName), microsName_(microsName) {}

  void Add(std::uint64_t micros) {
    ++count_;
    micros_ += static_cast<std::uintptr_t>(micros);  // a 32-bit build's property wraps after 71 minutes
  }
  void Publish(HWND window) const {
    if (window == nullptr) return;
    SetPropW(window, countName_, reinterpret_cast<HANDLE>(count_));
    SetPropW(window, microsName_, reinterpret_cast<HANDLE>(micros_));
  }
  void Remove(HWND window) const {
    RemovePropW(window, countName_);
    RemovePropW(window, microsName_);
  }
  std::uintptr_t Count() const { return count_; }
  static std::uintptr_t Read(HWND window, const wchar_t* name) {
    return reinterpret_cast<std::uintptr_t>(GetPropW(window, name));
  }

 private:
  const wchar_t* countName_;
  const wchar_t* microsName_;
  std::uintptr_t count_ = 0;
  std::uintptr_t micros_ = 0;
};

}  // namespace veneer
