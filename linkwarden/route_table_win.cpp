#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstring>

#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "linkwarden/route_table_win.h"
#include "linkwarden/system_win.h"

namespace linkwarden {
namespace {

MIB_IPFORWARDROW platformRow(const ForwardRow& row) {
  static_assert(sizeof(MIB_IPFORWARDROW) == sizeof(ForwardRow));
  MIB_IPFORWARDROW platform;
  std::memcpy(&platform, &row, sizeof platform);
  return platform;
}

using GetIpInterfaceEntryFn = decltype(&GetIpInterfaceEntry);

}  // namespace

std::uint32_t WinRouteTable::setEntry(const ForwardRow& row) {
  MIB_IPFORWARDROW platform = platformRow(row);
  return SetIpForwardEntry(&platform);
}

std::uint32_t WinRouteTable::createEntry(const ForwardRow& row) {
  MIB_IPFORWARDROW platform = platformRow(row);
  return CreateIpForwardEntry(&platform);
}

std::uint32_t WinRouteTable::deleteEntry(const ForwardRow& row) {
  MIB_IPFORWARDROW platform = platformRow(row);
  return DeleteIpForwardEntry(&platform);
}

MetricLookup WinRouteTable::interfaceMetric(std::uint32_t ifIndex, std::uint32_t& metric) {
  common::UniqueModule library(LoadLibraryW(L"Iphlpapi.dll"));
  if (!library) return MetricLookup::kNoLibrary;
  // Looked up by name: older systems and Wine do not export it.
  auto lookup = reinterpret_cast<GetIpInterfaceEntryFn>(
      reinterpret_cast<void*>(GetProcAddress(library.get(), "GetIpInterfaceEntry")));
  if (lookup == nullptr) return MetricLookup::kNoFunction;
  MIB_IPINTERFACE_ROW row;
  std::memset(&row, 0, sizeof row);
  row.Family = AF_INET;
  row.InterfaceLuid.Value = 0;
  row.InterfaceIndex = ifIndex;
  if (lookup(&row) != NO_ERROR) return MetricLookup::kFailed;
  metric = row.Metric;
  return MetricLookup::kFound;
}

std::uint32_t WinRouteTable::majorVersion() { return windowsMajorVersion(); }

ReadResult WinFileSource::readAll(std::u16string_view path, std::uint64_t limit, std::string& bytes,
                                  std::uint64_t& size) {
  const std::wstring widePath = common::toWide(path);
  DWORD error = 0;
  common::UniqueFile file = clientRights_.open(widePath.c_str(), GENERIC_READ, 0, OPEN_EXISTING, error);
  if (!file) return ReadResult::kMissing;
  LARGE_INTEGER fileSize;
  if (!GetFileSizeEx(file.get(), &fileSize)) return ReadResult::kFailed;
  size = static_cast<std::uint64_t>(fileSize.QuadPart);
  if (size > limit) return ReadResult::kTooLarge;
  bytes.resize(static_cast<std::size_t>(size));
  std::size_t got = 0;
  while (got < bytes.size()) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - got, 1u << 20));
    if (!ReadFile(file.get(), bytes.data() + got, want, &n, nullptr) || n == 0) break;
    got += n;
  }
  bytes.resize(got);  // only what was read: nothing uninitialised reaches the parser
  return ReadResult::kRead;
}

}  // namespace linkwarden
