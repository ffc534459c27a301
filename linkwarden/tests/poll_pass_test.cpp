#include "linkwarden/poll_pass.h"

#include <gtest/gtest.h>

#include "linkwarden/tests/fake_tool_system.h"

namespace linkwarden {
namespace {

using testing::Events;
using testing::RecordingHandlers;

// All three requests pending in one pass are served driver, DNS, route, each
// seeing its own `pending` still set (acknowledged only after it returned),
// and `environmentClean` follows the last one served.
TEST(PollPass, ServesInOrderAndAcknowledgesAfterTheHandler) {
  Events events;
  RecordingHandlers handlers(events);
  RequestHandlers all = handlers.all();
  CommandBlock block{};
  block.driver.pending = block.dns.pending = block.route.pending = 1;
  block.driver.install = 1;
  block.dns.apply = 1;
  block.route.add = 0;
  std::atomic<bool> clean{false};
  runPass(block, all, clean);
  EXPECT_EQ(events, (Events{"driver (pending)", "dns (pending)", "route (pending)"}));
  EXPECT_EQ(block.driver.pending + block.dns.pending + block.route.pending, 0);
  EXPECT_TRUE(clean.load());  // the route request deleted

  block.route.pending = 1;
  block.route.add = 0x80;  // any non-zero byte is true
  runPass(block, all, clean);
  EXPECT_FALSE(clean.load());
}

// Nothing pending: no handler runs and `environmentClean` keeps its value;
// an install leaves the environment not clean until a removal follows.
TEST(PollPass, EnvironmentCleanTracksTheLatestRequest) {
  Events events;
  RecordingHandlers handlers(events);
  RequestHandlers all = handlers.all();
  CommandBlock block{};
  std::atomic<bool> clean{true};
  runPass(block, all, clean);
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(clean.load());

  block.driver.pending = 1;
  block.driver.install = 1;
  runPass(block, all, clean);
  EXPECT_FALSE(clean.load());
  runPass(block, all, clean);  // nothing new
  EXPECT_FALSE(clean.load());
  block.driver.pending = 1;
  block.driver.install = 0;
  runPass(block, all, clean);
  EXPECT_TRUE(clean.load());
  EXPECT_EQ(events.size(), 2u);
}

}  // namespace
}  // namespace linkwarden
