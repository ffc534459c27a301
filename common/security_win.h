// Who a process runs as and who owns a kernel object, as SID texts
// ("S-1-5-21-…"), so that portable logic can compare them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "common/unique_handle_win.h"

namespace common {

struct TokenUsers {
  std::u16string user;   // the token's user
  std::u16string owner;  // the default owner of objects the process creates
  std::uint32_t session = 0;  // the Windows (desktop) session it runs in
};

// The users of the token of `process` (opened with
// PROCESS_QUERY_LIMITED_INFORMATION); false (with `error`) when its token
// cannot be read.
bool processTokenUsers(HANDLE process, TokenUsers& users, std::uint32_t& error);

// A SID as text ("S-1-5-32-544"); empty (with `error`) for none or one that cannot be converted.
std::u16string sidText(PSID sid, std::uint32_t& error);

// The users of `token` (it needs TOKEN_QUERY).
bool tokenUsers(HANDLE token, TokenUsers& users, std::uint32_t& error);

// A duplicate of the token of `process` (opened with
// PROCESS_QUERY_LIMITED_INFORMATION): a primary token to start programs
// with, or an impersonation token, with `access`; empty (with `error`) when
// it cannot be made.
UniqueHandle duplicateProcessToken(HANDLE process, DWORD access, TOKEN_TYPE type, std::uint32_t& error);

// The users of this process's own token.
bool ownTokenUsers(TokenUsers& users, std::uint32_t& error);

// Creates the paging-file section `name` of `size` bytes that only this
// process's user and the Administrators may open, as a client does for the
// helpers it starts (a standard user's elevated tool runs as an administrator). Null (with `error`) when it cannot be created, and when a section
// of that name existed already (ERROR_ALREADY_EXISTS): somebody else made it.
// An explicit owner-only descriptor also makes Wine record the owner, which it
// leaves out of a default one.
UniqueHandle createOwnedSection(std::u16string_view name, DWORD size, std::uint32_t& error);

// The owner of the kernel object behind `handle` (it needs READ_CONTROL);
// empty (with `error`) when it cannot be read.
std::u16string objectOwner(HANDLE handle, std::uint32_t& error);

}  // namespace common
