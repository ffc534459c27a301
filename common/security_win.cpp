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
  DWORD session = 0, size = 0;
  if (!GetTokenInformation(token, TokenSessionId, &session, sizeof session, &size)) {
    error = GetLastError();
    return false;
  }
  users.session = session;
  users.user = sidText(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid, error);
  users.owner = sidText(reinterpret_cast<const TOKEN_OWNER*>(owner.data())->Owner, error);
  return !users.user.empty() && !users.owner.empty();
}

bool processTokenUsers(HANDLE process, TokenUsers& users, std::uint32_t& error) {
  UniqueHandle token;
  if (!OpenProcessToken(process, TOKEN_QUERY, token.put())) {
    error = GetLastError();
    return false;
  }
  return tokenUsers(token.get(), users, error);
}

UniqueHandle duplicateProcessToken(HANDLE process, DWORD access, TOKEN_TYPE type, std::uint32_t& error) {
  UniqueHandle token;
  UniqueHandle duplicate;
  if (!OpenProcessToken(process, TOKEN_DUPLICATE | TOKEN_QUERY, token.put()) ||
      !DuplicateTokenEx(token.get(), access, nullptr, SecurityImpersonation, type, duplicate.put())) {
    error = GetLastError();
    return {};
  }
  return duplicate;
}

bool ownTokenUsers(TokenUsers& users, std::uint32_t& error) {
  return processTokenUsers(GetCurrentProcess(), users, error);
}

UniqueHandle createOwnedSection(std::u16string_view name, DWORD size, std::uint32_t& error) {
  TokenUsers own;
  if (!ownTokenUsers(own, error)) return {};
  // Protected DACL: all access for this process's user (the same user's
  // elevated helpers included) and for Administrators, whose account a
  // standard user's elevated helper runs as.
  const std::wstring sddl = L"D:P(A;;GA;;;" + toWide(own.user) + L")(A;;GA;;;BA)";
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
