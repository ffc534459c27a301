#include "common/security_win.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "common/unique_handle_win.h"
#include "common/wide_win.h"

namespace common {
std::u16string sidText(PSID sid, std::uint32_t& error) {
  wchar_t* text = nullptr;
  if (sid == nullptr || !ConvertSidToStringSidW(sid, &text)) {
    error = sid == nullptr ? ERROR_INVALID_SID : GetLastError();
    return {};
  }
  UniqueLocal owner(text);
  return fromWide(text);
}

namespace {

// One variable-length token record (TOKEN_USER, TOKEN_OWNER); empty on failure.
std::vector<BYTE> tokenRecord(HANDLE token, TOKEN_INFORMATION_CLASS kind, std::uint32_t& error) {
  DWORD size = 0;
  GetTokenInformation(token, kind, nullptr, 0, &size);
  std::vector<BYTE> record(size);
  if (size == 0 || !GetTokenInformation(token, kind, record.data(), size, &size)) {
    error = GetLastError();
    return {};
  }
  return record;
}

}  // namespace

bool tokenUsers(HANDLE token, TokenUsers& users, std::uint32_t& error) {
  const std::vector<BYTE> user = tokenRecord(token, TokenUser, error);
  const std::vector<BYTE> owner = tokenRecord(token, TokenOwner, error);
  if (user.empty() || owner.empty()) return false;
  users.user = sidText(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid, error);
  users.owner = sidText(reinterpret_cast<const TOKEN_OWNER*>(owner.data())->Owner, error);
  return !users.user.empty() && !users.owner.empty();
}

namespace {

bool processUsers(HANDLE process, TokenUsers& users, std::uint32_t& error) {
  UniqueHandle token;
  if (!OpenProcessToken(process, TOKEN_QUERY, token.put())) {
    error = GetLastError();
    return false;
  }
  return tokenUsers(token.get(), users, error);
}

}  // namespace

bool processTokenUsers(std::uint32_t pid, TokenUsers& users, std::uint32_t& error) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) {
    error = GetLastError();
    return false;
  }
  return processUsers(process.get(), users, error);
}

bool ownTokenUsers(TokenUsers& users, std::uint32_t& error) {
  return processUsers(GetCurrentProcess(), users, error);
}

UniqueHandle createOwnedSection(std::u16string_view name, DWORD size, std::uint32_t& error) {
  TokenUsers own;
  if (!ownTokenUsers(own, error)) return {};
  // Protected DACL, one entry: all access for this process's user (the same
  // user's elevated helpers included).
  const std::wstring sddl = L"D:P(A;;GA;;;" + toWide(own.user) + L")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    error = GetLastError();
    return {};
  }
  UniqueLocal release(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const std::wstring wideName = toWide(name);
  UniqueHandle section(
      CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0, size, wideName.c_str()));
  error = GetLastError();
  if (section && error == ERROR_ALREADY_EXISTS) return {};
  return section;
}

std::u16string objectOwner(HANDLE handle, std::uint32_t& error) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD result = GetSecurityInfo(handle, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                                       nullptr, nullptr, &descriptor);
  if (result != ERROR_SUCCESS) {
    error = result;
    return {};
  }
  UniqueLocal release(descriptor);
  return sidText(owner, error);
}

}  // namespace common
