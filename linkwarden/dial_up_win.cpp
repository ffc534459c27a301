#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <cstddef>
#include <cstring>

#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "linkwarden/ras_connection_record_win.h"
#include "linkwarden/system_win.h"

namespace linkwarden {

RasListing WinRemoteAccess::activeConnections(std::vector<RasConnection>& connections) {
  DWORD size = 0;
  DWORD count = 0;
  // Only "buffer too small" means there is something to list.
  if (RasEnumConnectionsW(nullptr, &size, &count) != ERROR_BUFFER_TOO_SMALL || size == 0) return RasListing::kNone;
  common::UniqueHeapMemory buffer(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
  if (!buffer || size < sizeof(RasConnectionRecord)) return RasListing::kNone;
  auto* records = static_cast<RasConnectionRecord*>(buffer.get());
  records[0].dwSize = sizeof(RasConnectionRecord);
  if (RasEnumConnectionsW(reinterpret_cast<LPRASCONNW>(records), &size, &count) != ERROR_SUCCESS) {
    return RasListing::kNone;
  }
  const DWORD fits = size / sizeof(RasConnectionRecord);
  for (DWORD i = 0; i < count && i < fits; ++i) {
    const RasConnectionRecord& record = records[i];
    const std::size_t length = wcsnlen(record.szEntryName, RAS_MaxEntryName + 1);
    connections.push_back({reinterpret_cast<std::uintptr_t>(record.hrasconn),
                           common::fromWide(std::wstring_view(record.szEntryName, length))});
  }
  return RasListing::kListed;
}

void WinRemoteAccess::hangUp(std::uintptr_t handle) { RasHangUpW(reinterpret_cast<HRASCONN>(handle)); }

void WinRemoteAccess::deleteEntry(std::u16string_view entryName) {
  const std::wstring name = common::toWide(entryName);
  RasDeleteEntryW(nullptr, name.c_str());
}

}  // namespace linkwarden
