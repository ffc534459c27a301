// A recording stand-in of iphlpapi.dll: the route rows the tool sets,
// creates and deletes (every field), the interface metric it asks for, and
// the adapter queries of its DNS capture, answered from the test's script:
//   SetIpForwardEntry=N, CreateIpForwardEntry=N, DeleteIpForwardEntry=N  results (0 by default)
//   metric.IF=N                   GetIpInterfaceEntry's metric (no entry: ERROR_NOT_FOUND)
//   dns.IF=a.b.c.d,a.b.c.d        GetPerAdapterInfo's DNS servers
//   device.IF=\DEVICE\TCPIP_{..}  GetInterfaceInfo's adapter name
//   friendly.IF=Name              GetAdaptersAddresses' friendly name
#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/e2e/stand_ins/recording.h"

namespace {

void recordRow(const char* function, const MIB_IPFORWARDROW* row) {
  standin::record(
      "%s dest=%s mask=%s policy=%lu nexthop=%s if=%lu type=%lu proto=%lu age=%lu nexthopas=%lu "
      "metric=%lu,%lu,%lu,%lu,%lu",
      function, standin::dotted(row->dwForwardDest).c_str(), standin::dotted(row->dwForwardMask).c_str(),
      row->dwForwardPolicy, standin::dotted(row->dwForwardNextHop).c_str(), row->dwForwardIfIndex,
      row->dwForwardType, row->dwForwardProto, row->dwForwardAge, row->dwForwardNextHopAS, row->dwForwardMetric1,
      row->dwForwardMetric2, row->dwForwardMetric3, row->dwForwardMetric4, row->dwForwardMetric5);
}

std::string indexed(const char* key, DWORD ifIndex) { return std::string(key) + "." + std::to_string(ifIndex); }

// The interfaces the script names by any key, in the order of their indexes 1 to 64.
std::vector<DWORD> scriptedInterfaces(const char* key) {
  std::vector<DWORD> found;
  for (DWORD i = 1; i <= 64; ++i) {
    if (!standin::answer(indexed(key, i)).empty()) found.push_back(i);
  }
  return found;
}

}  // namespace

extern "C" {

DWORD WINAPI SetIpForwardEntry(PMIB_IPFORWARDROW row) {
  recordRow("SetIpForwardEntry", row);
  return standin::numberAnswer("SetIpForwardEntry", NO_ERROR);
}

DWORD WINAPI CreateIpForwardEntry(PMIB_IPFORWARDROW row) {
  recordRow("CreateIpForwardEntry", row);
  return standin::numberAnswer("CreateIpForwardEntry", NO_ERROR);
}

DWORD WINAPI DeleteIpForwardEntry(PMIB_IPFORWARDROW row) {
  recordRow("DeleteIpForwardEntry", row);
  return standin::numberAnswer("DeleteIpForwardEntry", NO_ERROR);
}

NETIOAPI_API GetIpInterfaceEntry(PMIB_IPINTERFACE_ROW row) {
  standin::record("GetIpInterfaceEntry family=%u if=%lu luid=%llu", static_cast<unsigned>(row->Family),
                  row->InterfaceIndex, static_cast<unsigned long long>(row->InterfaceLuid.Value));
  const std::string metric = standin::answer(indexed("metric", row->InterfaceIndex));
  if (metric.empty()) return ERROR_NOT_FOUND;
  row->Metric = std::strtoul(metric.c_str(), nullptr, 0);
  return NO_ERROR;
}

DWORD WINAPI GetPerAdapterInfo(ULONG ifIndex, PIP_PER_ADAPTER_INFO info, PULONG size) {
  standin::record("GetPerAdapterInfo if=%lu", ifIndex);
  const std::string list = standin::answer(indexed("dns", ifIndex));
  if (list.empty()) return ERROR_NO_DATA;
  std::vector<std::string> servers;
  for (std::size_t start = 0; start <= list.size();) {
    const std::size_t comma = list.find(',', start);
    servers.push_back(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  const ULONG needed = static_cast<ULONG>(sizeof(IP_PER_ADAPTER_INFO) + servers.size() * sizeof(IP_ADDR_STRING));
  if (info == nullptr || *size < needed) {
    *size = needed;
    return ERROR_BUFFER_OVERFLOW;
  }
  std::memset(info, 0, needed);
  auto* extra = reinterpret_cast<IP_ADDR_STRING*>(info + 1);
  IP_ADDR_STRING* entry = &info->DnsServerList;
  for (std::size_t i = 0; i < servers.size(); ++i) {
    std::strncpy(entry->IpAddress.String, servers[i].c_str(), sizeof entry->IpAddress.String - 1);
    if (i + 1 < servers.size()) entry = entry->Next = &extra[i];
  }
  return NO_ERROR;
}

DWORD WINAPI GetInterfaceInfo(PIP_INTERFACE_INFO table, PULONG size) {
  standin::record("GetInterfaceInfo size=%lu", *size);
  const std::vector<DWORD> interfaces = scriptedInterfaces("device");
  const ULONG needed =
      static_cast<ULONG>(sizeof(IP_INTERFACE_INFO) + interfaces.size() * sizeof(IP_ADAPTER_INDEX_MAP));
  if (table == nullptr || *size < needed) {
    *size = needed;
    return ERROR_INSUFFICIENT_BUFFER;
  }
  std::memset(table, 0, needed);
  table->NumAdapters = static_cast<LONG>(interfaces.size());
  for (std::size_t i = 0; i < interfaces.size(); ++i) {
    table->Adapter[i].Index = interfaces[i];
    const std::string name = standin::answer(indexed("device", interfaces[i]));
    MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, table->Adapter[i].Name, MAX_ADAPTER_NAME);
  }
  return NO_ERROR;
}

ULONG WINAPI GetAdaptersAddresses(ULONG family, ULONG flags, PVOID, PIP_ADAPTER_ADDRESSES addresses, PULONG size) {
  standin::record("GetAdaptersAddresses family=%lu flags=0x%lx", family, flags);
  const std::vector<DWORD> interfaces = scriptedInterfaces("friendly");
  constexpr ULONG kNameUnits = 128;
  const ULONG each = static_cast<ULONG>(sizeof(IP_ADAPTER_ADDRESSES) + kNameUnits * sizeof(wchar_t));
  const ULONG needed = static_cast<ULONG>(interfaces.size()) * each;
  if (interfaces.empty()) return ERROR_NO_DATA;
  if (addresses == nullptr || *size < needed) {
    *size = needed;
    return ERROR_BUFFER_OVERFLOW;
  }
  std::memset(addresses, 0, needed);
  auto* bytes = reinterpret_cast<BYTE*>(addresses);
  for (std::size_t i = 0; i < interfaces.size(); ++i) {
    auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(bytes + i * each);
    auto* name = reinterpret_cast<wchar_t*>(adapter + 1);
    adapter->Length = sizeof *adapter;
    adapter->IfIndex = interfaces[i];
    const std::string friendly = standin::answer(indexed("friendly", interfaces[i]));
    MultiByteToWideChar(CP_UTF8, 0, friendly.c_str(), -1, name, kNameUnits);
    adapter->FriendlyName = name;
    adapter->Next = i + 1 < interfaces.size() ? reinterpret_cast<IP_ADAPTER_ADDRESSES*>(bytes + (i + 1) * each) : nullptr;
  }
  return NO_ERROR;
}

}  // extern "C"
