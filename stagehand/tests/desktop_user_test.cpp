#include "stagehand/desktop_user.h"

#include <gtest/gtest.h>

namespace stagehand {
namespace {

const TokenFacts kNone{};
TokenFacts token(bool elevated, std::u16string user) { return {true, elevated, std::move(user)}; }

// How the launcher is started, for every kind of desktop the installer meets.
// The consent prompt, a second account and the shell's token only exist on
// Windows; here each is a fact the adapter reads.
TEST(DesktopUser, StartRouteForEveryDesktop) {
  const std::u16string admin = u"S-1-5-21-1-500", user = u"S-1-5-21-1-1001";
  struct Case {
    const char* desktop;
    DesktopFacts facts;
    StartRoute route;
    bool desktopEnvironment;
    bool perUserIsShell;
  } cases[] = {
      {"an administrator who confirmed the prompt", {token(true, user), token(false, user), true},
       StartRoute::kAsShellUser, false, false},
      {"a standard user who typed an administrator's password", {token(true, admin), token(false, user), false},
       StartRoute::kAsShellUser, true, true},
      {"... and the shell of that user is elevated", {token(true, admin), token(true, user), true},
       StartRoute::kAsShellUser, true, true},
      {"no shell, a split token", {token(true, user), kNone, true}, StartRoute::kLimitedTwin, false, false},
      {"an elevated shell of the same user, a split token", {token(true, user), token(true, user), true},
       StartRoute::kLimitedTwin, false, false},
      {"the prompt is off: the desktop runs elevated", {token(true, user), token(true, user), false},
       StartRoute::kDirect, false, false},
      {"an installer that is not elevated", {token(false, user), kNone, false}, StartRoute::kDirect, false, false},
      {"no shell, no split token", {token(true, user), kNone, false}, StartRoute::kNotStarted, false, false},
      {"the installer's token unreadable", {kNone, token(false, user), false}, StartRoute::kNotStarted, false, true},
  };
  for (const Case& c : cases) {
    const StartPlan plan = planDesktopStart(c.facts);
    EXPECT_EQ(plan.route, c.route) << c.desktop;
    EXPECT_EQ(plan.desktopEnvironment, c.desktopEnvironment) << c.desktop;
    EXPECT_FALSE(plan.why.empty()) << c.desktop;
    EXPECT_EQ(perUserIsShellAccount(c.facts), c.perUserIsShell) << c.desktop;
  }
  EXPECT_EQ(planDesktopStart(cases[1].facts).why, u"started as the desktop user S-1-5-21-1-1001");
}

}  // namespace
}  // namespace stagehand
