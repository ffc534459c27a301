// The dial-up connection record as Windows 7 and later lay it out (the MinGW
// headers stop before the correlation id); its size is the stride of the
// listing RasEnumConnectionsW fills. Remote access records are packed to 4 bytes.
#pragma once

#include <windows.h>
#include <ras.h>

#include <cstddef>

namespace linkwarden {

#pragma pack(push, 4)
struct RasConnectionRecord {
  DWORD dwSize;
  HRASCONN hrasconn;
  WCHAR szEntryName[RAS_MaxEntryName + 1];
  WCHAR szDeviceType[RAS_MaxDeviceType + 1];
  WCHAR szDeviceName[RAS_MaxDeviceName + 1];
  WCHAR szPhonebook[MAX_PATH];
  DWORD dwSubEntry;
  GUID guidEntry;
  DWORD dwFlags;
  LUID luid;
  GUID guidCorrelationId;
};
#pragma pack(pop)
#ifndef _WIN64
static_assert(sizeof(RasConnectionRecord) == 1384, "the 32-bit product reads the records at a 1384-byte stride");
#endif
static_assert(offsetof(RasConnectionRecord, szEntryName) == offsetof(RASCONNW, szEntryName));
static_assert(offsetof(RasConnectionRecord, luid) == offsetof(RASCONNW, luid));

}  // namespace linkwarden
