#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>
#include <shellapi.h>

#include <vector>

#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "linkwarden/system_win.h"

namespace linkwarden {
namespace {

// How long an ended netsh gets to be gone.
constexpr DWORD kEndMillis = 5000;

// The interface table, asked first for its size; empty when it cannot be read.
std::vector<BYTE> interfaceTable() {
  ULONG size = 0;
  if (GetInterfaceInfo(nullptr, &size) != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
  std::vector<BYTE> buffer(size);
  if (GetInterfaceInfo(reinterpret_cast<PIP_INTERFACE_INFO>(buffer.data()), &size) != NO_ERROR) return {};
  return buffer;
}

}  // namespace

std::uint32_t windowsMajorVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExW(&info)) return 0;
  return info.dwMajorVersion;
}

bool WinDnsSystem::adapterDnsServers(std::uint32_t ifIndex, std::vector<std::u16string>& servers) {
  ULONG size = 0;
  if (GetPerAdapterInfo(ifIndex, nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return false;
  std::vector<BYTE> buffer(size);
  auto* info = reinterpret_cast<PIP_PER_ADAPTER_INFO>(buffer.data());
  if (GetPerAdapterInfo(ifIndex, info, &size) != NO_ERROR) return false;
  for (const IP_ADDR_STRING* entry = &info->DnsServerList; entry != nullptr; entry = entry->Next) {
    char text[sizeof entry->IpAddress.String + 1] = {};
    memcpy(text, entry->IpAddress.String, sizeof entry->IpAddress.String);
    servers.push_back(common::fromWide(common::fromAnsi(text)));
  }
  return true;
}

std::u16string WinDnsSystem::adapterName(std::uint32_t ifIndex) {
  const std::vector<BYTE> buffer = interfaceTable();
  if (buffer.empty()) return {};
  const auto* table = reinterpret_cast<const IP_INTERFACE_INFO*>(buffer.data());
  for (LONG i = 0; i < table->NumAdapters; ++i) {
    const IP_ADAPTER_INDEX_MAP& adapter = table->Adapter[i];
    if (adapter.Index != ifIndex) continue;
    const std::size_t length = wcsnlen(adapter.Name, MAX_ADAPTER_NAME);
    return common::fromWide(std::wstring_view(adapter.Name, length));
  }
  return {};
}

std::u16string WinDnsSystem::nameServerValue(std::u16string_view key) {
  const std::wstring wideKey = common::toWide(key);
  common::UniqueHKey opened;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, wideKey.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return {};
  wchar_t value[100] = {};
  DWORD bytes = sizeof value - sizeof(wchar_t);  // the last unit stays the terminator
  DWORD type = 0;
  if (RegQueryValueExW(opened.get(), L"NameServer", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) !=
      ERROR_SUCCESS) {
    return {};
  }
  return common::fromWide(value);
}

// The adapter's friendly name is the name netsh knows the interface by.
std::u16string WinDnsSystem::friendlyName(std::uint32_t ifIndex) {
  constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  ULONG size = 16 * 1024;
  std::vector<BYTE> buffer;
  ULONG result = ERROR_BUFFER_OVERFLOW;
  for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.assign(size, 0);
    result = GetAdaptersAddresses(AF_INET, kFlags, nullptr, reinterpret_cast<PIP_ADAPTER_ADDRESSES>(buffer.data()),
                                  &size);
  }
  if (result != NO_ERROR) return {};
  for (auto* a = reinterpret_cast<PIP_ADAPTER_ADDRESSES>(buffer.data()); a != nullptr; a = a->Next) {
    if (a->IfIndex != ifIndex || a->FriendlyName == nullptr) continue;
    std::wstring_view name(a->FriendlyName);
    return common::fromWide(name.substr(0, 127));
  }
  return {};
}

std::uint32_t WinDnsSystem::majorVersion() { return windowsMajorVersion(); }

std::wstring systemNetsh() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};  // nothing is started rather than a netsh found elsewhere
  return std::wstring(folder, length) + L"\\netsh.exe";
}

NetshOutcome WinNetshRunner::run(std::u16string_view parameters, std::uint32_t& error) {
  const std::wstring wideParameters = common::toWide(parameters);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = program_.c_str();
  info.lpParameters = wideParameters.c_str();
  info.nShow = SW_HIDE;
  if (!ShellExecuteExW(&info)) {
    error = GetLastError();
    return NetshOutcome::kNotStarted;
  }
  common::UniqueHandle process(info.hProcess);
  if (!process) return NetshOutcome::kEnded;
  if (WaitForSingleObject(process.get(), limitMillis_) == WAIT_OBJECT_0) return NetshOutcome::kEnded;
  // A netsh left running could still change the interface while the next one
  // (or the restore at exit) does: it is ended before the tool goes on.
  if (!TerminateProcess(process.get(), ERROR_TIMEOUT)) error = GetLastError();
  WaitForSingleObject(process.get(), kEndMillis);
  return NetshOutcome::kTimedOut;
}

}  // namespace linkwarden
