// The client's own rights, for opening the files that the client names: the
// elevated tool opens them impersonating the client, so that it never reads
// a file for the client that the client's account could not read.
#pragma once

#include <windows.h>

#include "common/unique_handle_win.h"

namespace linkwarden {

class ClientRights {
 public:
  // Keeps an impersonation token made from the token of `client` (a process
  // handle with PROCESS_QUERY_LIMITED_INFORMATION); false (with `error`) when
  // it cannot be made, and then every open refuses.
  bool adopt(HANDLE client, DWORD& error);

  // Opens `path` like CreateFileW, on this thread, as the client. Without a
  // token nothing is opened (ERROR_ACCESS_DENIED).
  common::UniqueFile open(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD& error) const;

 private:
  common::UniqueHandle token_;
};

}  // namespace linkwarden
