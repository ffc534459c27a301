#include "update/updater_instance_win.h"

#include <cstdint>

#include "common/wide_win.h"
#include "update/update_files_win.h"
#include "update/updater_instance.h"

namespace update {
namespace {

constexpr wchar_t kMarkProperty[] = L"UpdInstance";

struct Search {
  DWORD ownPid;
  std::uintptr_t mark;
  HWND found;
};

BOOL CALLBACK findMarked(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<Search*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search.ownPid && reinterpret_cast<std::uintptr_t>(GetPropW(window, kMarkProperty)) == search.mark) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

UpdaterInstance::UpdaterInstance(std::u16string_view rppath) : fullPath_(common::fromWide(FullPathOf(rppath))) {
  const std::wstring name = L"Local\\" + common::toWide(InstanceName(fullPath_));
  mutex_.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
  // A mutex that cannot be made at all does not stop the update.
  first_ = !(mutex_ && GetLastError() == ERROR_ALREADY_EXISTS);
}

void UpdaterInstance::markWindow(HWND window) const {
  SetPropW(window, kMarkProperty, reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(InstanceMark(fullPath_))));
}

bool UpdaterInstance::bringFirstForward() const {
  Search search{GetCurrentProcessId(), InstanceMark(fullPath_), nullptr};
  EnumWindows(&findMarked, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return false;
  if (IsIconic(search.found)) ShowWindow(search.found, SW_RESTORE);
  SetForegroundWindow(search.found);
  return true;
}

}  // namespace update
