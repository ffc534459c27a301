// The desktop user as the elevated installer finds it: the shell's process
// and token, and the installer's own. Starts programs with that user's
// normal rights and finds that user's folders.
#pragma once

#include <windows.h>

#include <string>

#include "common/unique_handle_win.h"
#include "stagehand/desktop_user.h"

namespace stagehand {

class DesktopUser {
 public:
  // Reads the facts now: the shell is the process of the shell window.
  DesktopUser();

  const DesktopFacts& facts() const { return facts_; }

  // Starts `commandLine` in `folder` the way planDesktopStart says, and lets
  // go of the program at once (nobody waits for it); returns the log line
  // (with the error when the start failed).
  std::u16string start(std::wstring commandLine, const std::wstring& folder) const;

  // A known folder (CSIDL_APPDATA, CSIDL_PROGRAMS) of the per-user account; empty when it cannot be found.
  std::u16string folder(int csidl) const;

  // The per-user account's SID text ("" when unknown): its keys are below HKEY_USERS\<SID>.
  std::u16string perUserAccount() const;

 private:
  DesktopFacts facts_;
  common::UniqueHandle shellToken_;    // primary, for starting and for the shell account's folders
  common::UniqueHandle limitedTwin_;   // the installer's non-elevated linked token
};

}  // namespace stagehand
