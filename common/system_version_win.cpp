#include "common/system_version_win.h"

namespace common {

RTL_OSVERSIONINFOEXW trueSystemVersion() {
  RTL_OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof version;  // 284
  using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOEXW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto get = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(ntdll ? GetProcAddress(ntdll, "RtlGetVersion") : nullptr));
  if (get == nullptr || get(&version) != 0) {
    version = RTL_OSVERSIONINFOEXW{};
    version.dwOSVersionInfoSize = sizeof version;
  }
  return version;
}
static_assert(sizeof(RTL_OSVERSIONINFOEXW) == 284);

}  // namespace common
