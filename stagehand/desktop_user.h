// Whose rights and per-user folders the installer's starts get. The installer
// runs elevated, possibly under an administrator's account that is not the
// desktop user's (a standard user typed an administrator's password in the
// consent prompt); what it starts gets the desktop user's normal rights, and
// what is per user is the desktop user's.
#pragma once

#include <string>

namespace stagehand {

// What a token says of itself; `known` is false when it could not be read
// (for the shell: there is no desktop shell, or its process cannot be opened).
struct TokenFacts {
  bool known = false;
  bool elevated = false;
  std::u16string user;  // SID text
};

struct DesktopFacts {
  TokenFacts installer;
  TokenFacts shell;                  // the desktop shell's process
  bool limitedTokenLinked = false;   // the installer's token has a non-elevated twin (the consent prompt's split token)
};

enum class StartRoute {
  kDirect,        // with the installer's own token: it is not elevated, or the desktop runs with it too
  kAsShellUser,   // with the desktop shell's token
  kLimitedTwin,   // with the installer's non-elevated twin token
  kNotStarted,    // nothing would start without the installer's elevation
};

struct StartPlan {
  StartRoute route = StartRoute::kNotStarted;
  // The started program gets the desktop user's own environment block; false:
  // the installer's, which is that same account's.
  bool desktopEnvironment = false;
  std::u16string why;  // one line for the installer's log
};

StartPlan planDesktopStart(const DesktopFacts& facts);

// The per-user folders (data, start menu) and keys are the shell's account's
// when it runs as another account than the installer; the installer's own otherwise.
bool perUserIsShellAccount(const DesktopFacts& facts);

}  // namespace stagehand
