// The tool's life with a fake system: start-up order, the loop and the exit sequence.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "linkwarden/linkwarden.h"
#include "linkwarden/tests/fake_tool_system.h"
#include "utils/log_manager.h"
#include "utils/tests/log_fakes.h"

namespace linkwarden {
namespace {

using common::WaitResult;
using testing::Events;

// GBK bytes of the tool's texts.
constexpr char kStartedGbk[] = "linkwarden \xbf\xaa\xca\xbc 1";
constexpr char kBadOptionsGbk[] = "\xc6\xf4\xb6\xaf\xb2\xce\xca\xfd\xb4\xed\xce\xf3";
constexpr char kWatchingGbk[] = "linkwarden \xbf\xaa\xca\xbc\xc9\xf9\xc3\xf7" "cur_forward";

const Events kExitOrder = {"remove services", "restore dns", "hang up", "delete routes", "section closed",
                           "window closed, clean=true"};

class ToolRunTest : public ::testing::Test {
 protected:
  ToolRunTest() { logs.setOutFile(logq::kMainLoggerId, false); }

  int run(std::vector<std::u16string> tokens) {
    RequestHandlers all = handlers.all();
    const int code = runTool(tokens, system, all, logs);
    logs.stop();
    return code;
  }
  int runWatching() { return run({u"linkwarden.exe", u"--filemapping-name=LwSection", u"--watch=4242"}); }

  // The tool's own records (the logger's start-up records left out).
  std::vector<std::string> toolRecords() const {
    std::vector<std::string> lines;
    const std::string text = console.all();
    for (std::size_t at = 0; (at = text.find(" linkwarden:", at)) != std::string::npos; ++at) {
      const std::size_t begin = text.rfind("\r\n", at);
      const std::size_t start = begin == std::string::npos ? 0 : begin + 2;
      lines.push_back(text.substr(start + 24, at - start - 24));  // without the time stamp
    }
    return lines;
  }

  Events events;
  testing::FakeToolSystem system{events};
  testing::RecordingHandlers handlers{events};
  logq::testing::FakeClock clock{logq::testing::kMarch2At0905};
  logq::testing::FakeConsole console;
  logq::LogManager logs{logq::testing::fakeEnvironment(clock, console)};
};

// Bad options: the two texts only, exit 87, and no section is opened.
TEST_F(ToolRunTest, BadOptionsOpenNothing) {
  EXPECT_EQ(run({u"linkwarden.exe", u"--filemapping-name=LwSection", u"--watch=0"}), kExitBadOptions);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(toolRecords(), (std::vector<std::string>{std::string("LOG_ERROR ") + kStartedGbk,
                                                       std::string("LOG_ERROR ") + kBadOptionsGbk}));
  EXPECT_EQ(logs.logger(logq::kMainLoggerId).name, "linkwarden");
  EXPECT_EQ(logs.logger(logq::kMainLoggerId).level.load(), logq::LOG_WARN);
}

// A client that has ended before the first wait: no pass, the exit sequence, exit 0.
TEST_F(ToolRunTest, ClientAlreadyEnded) {
  system.block.driver.pending = 1;
  EXPECT_EQ(runWatching(), kExitOk);
  Events expected = {"open section LwSection", "watch 4242", "window started"};
  expected.insert(expected.end(), kExitOrder.begin(), kExitOrder.end());
  EXPECT_EQ(events, expected);
  EXPECT_EQ(system.block.driver.pending, 1);
  EXPECT_EQ(system.maps, 1);  // the start-up check only
  EXPECT_EQ(toolRecords(), (std::vector<std::string>{std::string("LOG_ERROR ") + kStartedGbk,
                                                       std::string("LOG_ERROR ") + kWatchingGbk}));
}

// Requests are served while the client lives, one view per pass; a request
// written after the last pass is never served; the exit undoes in its order.
TEST_F(ToolRunTest, ServesWhileTheClientLivesThenCleansUp) {
  system.waitResult = [&](int wait) {
    if (wait == 1) {
      system.block.route.pending = 1;
      system.block.route.add = 1;
    }
    if (wait == 3) {
      system.block.driver.pending = 1;  // too late: the client ends now
      return WaitResult::kEnded;
    }
    return WaitResult::kTimedOut;
  };
  EXPECT_EQ(runWatching(), kExitOk);
  Events expected = {"open section LwSection", "watch 4242", "window started", "route (pending)"};
  expected.insert(expected.end(), kExitOrder.begin(), kExitOrder.end());
  EXPECT_EQ(events, expected);
  EXPECT_EQ(system.block.route.pending, 0);
  EXPECT_EQ(system.block.driver.pending, 1);
  EXPECT_EQ(system.maps, 4);  // the check and three passes
  EXPECT_EQ(system.unmaps, 4);
}

// A failed wait (the client process could not be opened) leads straight to the exit sequence.
TEST_F(ToolRunTest, FailedWaitRunsTheExitSequence) {
  system.waitResult = [](int) { return WaitResult::kFailed; };
  EXPECT_EQ(runWatching(), kExitOk);
  EXPECT_EQ(events.back(), "window closed, clean=true");
  EXPECT_EQ(system.maps, 1);
}

// No section from the client, or one too small for the block: a clear log
// line, a distinct exit code, and nothing else started.
TEST_F(ToolRunTest, MissingOrSmallSectionEndsEarly) {
  system.createdNew = true;
  EXPECT_EQ(runWatching(), kExitNoSection);
  EXPECT_EQ(events, (Events{"open section LwSection", "section closed"}));
  EXPECT_NE(console.all().find("linkwarden: no section \"LwSection\" from the client (error 0), exit 2"),
            std::string::npos);
}

// The tool serves its client whatever the client's account (a standard
// user's client gets the tool through an administrator's account), on the
// tool's own session, through a section the client's account owns (the
// default owner of its objects counts as its own). Anything else is refused
// before a request is read.
struct TrustCase {
  std::u16string owner;
  ClientIdentity identity;
  const char* logged;  // null: served
};
const std::u16string kUser = u"S-1-5-21-7-1000", kAdmins = u"S-1-5-32-544", kOther = u"S-1-5-21-7-1001";

class ToolTrustTest : public ToolRunTest, public ::testing::WithParamInterface<TrustCase> {};

TEST_P(ToolTrustTest, StrangersAreRefusedBeforeAnyRequestIsRead) {
  system.sectionOwner = GetParam().owner;
  system.identity = GetParam().identity;
  const char* logged = GetParam().logged;
  EXPECT_EQ(runWatching(), logged == nullptr ? kExitOk : kExitClientRefused);
  if (logged == nullptr) {
    EXPECT_EQ(system.maps, 1);
    return;
  }
  EXPECT_EQ(events, (Events{"open section LwSection", "watch 4242", "section closed"}));
  EXPECT_EQ(system.maps, 0);
  EXPECT_NE(console.all().find(logged), std::string::npos) << logged;
}

INSTANTIATE_TEST_SUITE_P(
    Owners, ToolTrustTest,
    ::testing::Values(
        TrustCase{kUser, {kUser, kUser, kUser, 1, 1, 0}, nullptr},
        TrustCase{kAdmins, {kUser, kUser, kAdmins, 1, 1, 0}, nullptr},
        // A standard user's client, served by the tool an administrator's account runs.
        TrustCase{kOther, {kUser, kOther, kOther, 1, 1, 0}, nullptr},
        TrustCase{kOther, {kUser, kOther, kOther, 1, 2, 0},
                  "client process 4242 refused: it runs in session 2, not in this tool's session 1, exit 6"},
        TrustCase{kOther, {kUser, kUser, kUser, 1, 1, 0},
                  "refused: section \"LwSection\" is owned by S-1-5-21-7-1001, not by its user S-1-5-21-7-1000, exit 6"},
        TrustCase{kUser, {kUser, kOther, kOther, 1, 1, 0},
                  "section \"LwSection\" is owned by S-1-5-21-7-1000, not by its user S-1-5-21-7-1001"},
        TrustCase{u"", {kUser, kUser, kUser, 1, 1, 0}, "refused: section \"LwSection\" has an unknown owner, exit 6"},
        TrustCase{kUser, {kUser, u"", u"", 1, 0, 5}, "refused: its user cannot be read (error 5), exit 6"}));

// A client process that cannot be opened: nothing is served, the exit
// sequence runs at once (the dial-up hang-up with it), exit 0.
TEST_F(ToolRunTest, UnopenableClientRunsTheExitSequenceAtOnce) {
  system.clientOpens = false;
  system.block.driver.pending = 1;
  EXPECT_EQ(runWatching(), kExitOk);
  EXPECT_EQ(events, (Events{"open section LwSection", "watch 4242", "remove services", "restore dns", "hang up",
                            "delete routes", "section closed"}));
  EXPECT_EQ(system.maps, 0);
  EXPECT_NE(console.all().find("cannot open client process 4242 (error 87): nothing is served, the clean-up runs, exit 0"),
            std::string::npos);
}

TEST_F(ToolRunTest, UnmappableSectionEndsEarly) {
  system.mapFails = [](int) { return true; };
  EXPECT_EQ(runWatching(), kExitViewUnavailable);
  EXPECT_EQ(events, (Events{"open section LwSection", "watch 4242", "section closed"}));
  EXPECT_NE(console.all().find("cannot map the 1496-byte command block of section \"LwSection\" (error 5), exit 3"), std::string::npos);
}

TEST_F(ToolRunTest, UnopenableSectionEndsEarly) {
  system.sectionExists = false;
  EXPECT_EQ(runWatching(), kExitNoSection);
  EXPECT_NE(console.all().find("(error 1450), exit 2"), std::string::npos);
}

// A view that cannot be mapped in one pass skips that pass (logged once) and
// the requests are served on the next one.
TEST_F(ToolRunTest, ViewFailureSkipsThePass) {
  system.block.dns.pending = 1;
  system.mapFails = [](int map) { return map == 1 || map == 2; };
  system.waitResult = [](int wait) { return wait < 4 ? WaitResult::kTimedOut : WaitResult::kEnded; };
  EXPECT_EQ(runWatching(), kExitOk);
  EXPECT_EQ(system.block.dns.pending, 0);
  EXPECT_EQ(std::count(events.begin(), events.end(), "dns (pending)"), 1);
  const std::string text = console.all();
  const auto first = text.find("cannot map the command block (error 5)");
  EXPECT_NE(first, std::string::npos);
  EXPECT_EQ(text.find("cannot map the command block", first + 1), std::string::npos);
}

// While an install is the latest request, the environment is not clean; it
// turns clean before the window is closed.
TEST_F(ToolRunTest, EnvironmentCleanDuringAndAfter) {
  std::vector<bool> seen;
  system.waitResult = [&](int wait) {
    seen.push_back(system.environmentClean->load());
    if (wait == 0) {
      system.block.driver.pending = 1;
      system.block.driver.install = 1;
    }
    return wait < 2 ? WaitResult::kTimedOut : WaitResult::kEnded;
  };
  EXPECT_EQ(runWatching(), kExitOk);
  EXPECT_EQ(seen, (std::vector<bool>{true, false, false}));
  EXPECT_EQ(events.back(), "window closed, clean=true");
}

}  // namespace
}  // namespace linkwarden
