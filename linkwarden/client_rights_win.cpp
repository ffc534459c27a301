#include "linkwarden/client_rights_win.h"

#include <cstdlib>

#include "common/security_win.h"

namespace linkwarden {

bool ClientRights::adopt(HANDLE client, DWORD& error) {
  std::uint32_t why = 0;
  common::UniqueHandle impersonation =
      common::duplicateProcessToken(client, TOKEN_QUERY | TOKEN_IMPERSONATE, TokenImpersonation, why);
  if (!impersonation) {
    error = why;
    return false;
  }
  token_ = std::move(impersonation);
  return true;
}

common::UniqueFile ClientRights::open(const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                                      DWORD& error) const {
  if (!token_ || !SetThreadToken(nullptr, token_.get())) {
    error = token_ ? GetLastError() : ERROR_ACCESS_DENIED;
    return {};
  }
  common::UniqueFile file(CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  error = GetLastError();
  // An elevated thread that stays on the client's token would do the rest of
  // its work with rights it must not have, or lack ones it needs: end rather.
  if (!RevertToSelf()) std::abort();
  return file;
}

}  // namespace linkwarden
