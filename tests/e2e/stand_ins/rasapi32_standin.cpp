// A recording stand-in of rasapi32.dll: the dial-up connections the script
// names ("ras=name,name,..."), listed, hung up and deleted on the tool's
// request, each call recorded.
#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <cstring>
#include <string>
#include <vector>

#include "linkwarden/ras_connection_record_win.h"
#include "tests/e2e/stand_ins/recording.h"

namespace {

using ConnectionRecord = linkwarden::RasConnectionRecord;

std::vector<std::string> scriptedConnections() {
  std::vector<std::string> names;
  const std::string list = standin::answer("ras");
  for (std::size_t start = 0; !list.empty() && start <= list.size();) {
    const std::size_t comma = list.find(',', start);
    names.push_back(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return names;
}

// Connection handles are 0x100 plus the connection's place in the script.
constexpr std::uintptr_t kFirstHandle = 0x100;

}  // namespace

extern "C" {

DWORD WINAPI RasEnumConnectionsW(LPRASCONNW connections, LPDWORD size, LPDWORD count) {
  const std::vector<std::string> names = scriptedConnections();
  const DWORD stride = connections != nullptr ? connections->dwSize : sizeof(ConnectionRecord);
  standin::record("RasEnumConnectionsW size=%lu stride=%lu", *size, stride);
  const DWORD needed = static_cast<DWORD>(names.size()) * stride;
  *count = static_cast<DWORD>(names.size());
  if (connections == nullptr || *size < needed) {
    *size = needed;
    return names.empty() ? ERROR_SUCCESS : ERROR_BUFFER_TOO_SMALL;
  }
  auto* bytes = reinterpret_cast<BYTE*>(connections);
  for (std::size_t i = 0; i < names.size(); ++i) {
    auto* record = reinterpret_cast<ConnectionRecord*>(bytes + i * stride);
    std::memset(record, 0, stride);
    record->dwSize = stride;
    record->hrasconn = reinterpret_cast<HRASCONN>(kFirstHandle + i);
    MultiByteToWideChar(CP_UTF8, 0, names[i].c_str(), -1, record->szEntryName, RAS_MaxEntryName + 1);
  }
  *size = needed;
  return ERROR_SUCCESS;
}

DWORD WINAPI RasHangUpW(HRASCONN connection) {
  const std::uintptr_t place = reinterpret_cast<std::uintptr_t>(connection) - kFirstHandle;
  const std::vector<std::string> names = scriptedConnections();
  standin::record("RasHangUpW connection=%s", place < names.size() ? names[place].c_str() : "<unknown>");
  return ERROR_SUCCESS;
}

DWORD WINAPI RasDeleteEntryW(LPCWSTR phoneBook, LPCWSTR entry) {
  char name[512] = {};
  WideCharToMultiByte(CP_UTF8, 0, entry, -1, name, sizeof name, nullptr, nullptr);
  standin::record("RasDeleteEntryW book=%s entry=%s", phoneBook == nullptr ? "<default>" : "<given>", name);
  return ERROR_SUCCESS;
}

}  // extern "C"
