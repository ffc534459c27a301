#include "stagehand/desktop_user.h"

namespace stagehand {

bool perUserIsShellAccount(const DesktopFacts& facts) {
  return facts.shell.known && !facts.shell.user.empty() && facts.shell.user != facts.installer.user;
}

StartPlan planDesktopStart(const DesktopFacts& facts) {
  if (!facts.installer.known) {
    return {StartRoute::kNotStarted, false, u"not started: the installer's own token could not be read"};
  }
  if (!facts.installer.elevated) {
    return {StartRoute::kDirect, false, u"started with the installer's rights, which are not elevated"};
  }
  if (perUserIsShellAccount(facts)) {
    // Elevated or not, the desktop's account is the one the program is for.
    return {StartRoute::kAsShellUser, true, u"started as the desktop user " + facts.shell.user};
  }
  if (facts.shell.known && !facts.shell.elevated) {
    return {StartRoute::kAsShellUser, false, u"started with the desktop shell's rights, not elevated"};
  }
  if (facts.limitedTokenLinked) {
    return {StartRoute::kLimitedTwin, false,
            facts.shell.known ? u"started with the installer's non-elevated twin token"
                              : u"no desktop shell: started with the installer's non-elevated twin token"};
  }
  if (facts.shell.known) {
    // The consent prompt is off or this is the built-in administrator: the
    // desktop itself runs elevated, so the program gets nothing it lacks.
    return {StartRoute::kDirect, false, u"started with the installer's rights: the desktop shell runs with them too"};
  }
  return {StartRoute::kNotStarted, false,
          u"not started: no desktop shell and no non-elevated token to start it with, and it never runs elevated"};
}

}  // namespace stagehand
