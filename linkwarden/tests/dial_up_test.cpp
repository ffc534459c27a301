#include "linkwarden/dial_up.h"

#include <gtest/gtest.h>

#include "linkwarden/tests/log_capture.h"

namespace linkwarden {
namespace {

using Records = std::vector<std::string>;

const std::string kBegin = "LOG_ERROR linkwarden \xbf\xaa\xca\xbc\xc9\xbe\xb3\xfd\xc1\xac\xbd\xd3 linkwarden:";
const std::string kHungUp =
    "LOG_ERROR linkwarden \xc9\xbe\xb3\xfd\xc1\xb4\xbd\xd3, \xd7\xbc\xb1\xb8\xc7\xe5\xc0\xed forward linkwarden:";

class FakeRas final : public RemoteAccess {
 public:
  std::vector<RasConnection> active;
  std::vector<std::string> calls;

  RasListing activeConnections(std::vector<RasConnection>& out) override {
    if (active.empty()) return RasListing::kNone;
    out = active;
    return RasListing::kListed;
  }
  void hangUp(std::uintptr_t handle) override { calls.push_back("hang up " + std::to_string(handle)); }
  void deleteEntry(std::u16string_view name) override {
    calls.push_back("delete " + std::string(name.begin(), name.end()));
  }
};

class DialUpTest : public ::testing::Test {
 protected:
  FakeRas ras;
  testing::LogCapture capture;
  std::string printed;
  ProductDialUp dialUp{ras, capture.logs, [this](const char* text) { printed += text; }};
};

TEST_F(DialUpTest, NoConnection) {
  dialUp.hangUpProductConnection();
  EXPECT_EQ(capture.records(), Records{kBegin});
  EXPECT_TRUE(printed.empty());
  EXPECT_TRUE(ras.calls.empty());
}

// The pattern anywhere in the name; only the first product connection; letter case as written.
TEST_F(DialUpTest, FirstMatchingConnectionOnly) {
  ras.active = {{1, u"Office"}, {2, u"NetTavaro VPN"}, {3, u"my nettavaro line"}, {4, u"nettavaro"}};
  dialUp.hangUpProductConnection();
  EXPECT_EQ(ras.calls, (std::vector<std::string>{"hang up 3", "delete my nettavaro line"}));
  EXPECT_EQ(printed, "The following RAS connections are currently active:\n");
  EXPECT_EQ(capture.records(), (Records{kBegin, kHungUp}));
}

TEST_F(DialUpTest, OnlyOtherConnections) {
  ras.active = {{1, u"NETTAVARO"}};
  dialUp.hangUpProductConnection();
  EXPECT_TRUE(ras.calls.empty());
  EXPECT_EQ(printed, "The following RAS connections are currently active:\n");
  EXPECT_EQ(capture.records(), Records{kBegin});
}

}  // namespace
}  // namespace linkwarden
