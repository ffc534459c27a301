// Counters a window keeps in properties of its own, so that tools measuring
// from outside (the updater's benchmark driver) can read how often it did
// something and how long that took, without a debugger or a log.
#pragma once

#include <windows.h>

#include <cstdint>

namespace veneer {

// The performance counter in microseconds.
inline std::uint64_t MicrosecondsNow() {
  LARGE_INTEGER now{}, frequency{};
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<std::uint64_t>(now.QuadPart) * 1000000u / static_cast<std::uint64_t>(frequency.QuadPart);
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
