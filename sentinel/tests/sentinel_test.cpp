#include "sentinel/sentinel.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/tests/fake_channel.h"

namespace sentinel {
namespace {

using Texts = std::vector<std::u16string>;

class FakeSentinel final : public SentinelSystem {
 public:
  std::uint32_t liveProxy = 200;
  std::uint32_t liveMain = 100;
  std::vector<std::string> events;
  std::vector<ProxyOption> written;
  Texts debug;

  class Proxy final : public ProxyProcess {
   public:
    explicit Proxy(FakeSentinel& owner) : owner_(owner) {}
    void terminate(std::uint32_t code) override { owner_.events.push_back("terminate " + std::to_string(code)); }

   private:
    FakeSentinel& owner_;
  };

  std::unique_ptr<ProxyProcess> openProxy(std::uint32_t pid, std::uint32_t& error) override {
    events.push_back("open proxy " + std::to_string(pid));
    if (pid != liveProxy) {
      error = 87;
      return nullptr;
    }
    return std::make_unique<Proxy>(*this);
  }
  std::unique_ptr<common::ProcessWatch> openMain(std::uint32_t pid, std::uint32_t& error) override {
    events.push_back("open main " + std::to_string(pid));
    if (pid != liveMain) {
      error = 5;
      return nullptr;
    }
    return std::make_unique<common::testing::FakeWatch>([this](int) {
      // The session ends (as sign-out announces it) while the client still runs.
      if (sessionEndsWhileWaiting && restore) {
        events.push_back("session ends");
        restore();
        restore();  // a second announcement changes nothing
      }
      events.push_back("main ended");
      return common::WaitResult::kEnded;
    });
  }
  void setProxyOptions(const std::vector<ProxyOption>& options) override {
    events.push_back("proxy settings");
    written = options;
  }
  void notify(std::uint32_t option) override { events.push_back("notify " + std::to_string(option)); }
  void debugOutput(std::u16string_view text) override { debug.emplace_back(text); }

  bool sessionEndsWhileWaiting = false;
  std::function<void()> restore;
};

class FakeSessionEnd final : public SessionEnd {
 public:
  explicit FakeSessionEnd(FakeSentinel& system) : system_(system) {}
  void onEnd(std::function<void()> restore) override { system_.restore = std::move(restore); }

 private:
  FakeSentinel& system_;
};

int run(FakeSentinel& system, std::vector<std::u16string> tokens) {
  FakeSessionEnd session(system);
  return runSentinel(tokens, system, session);
}

// Waits for the main process, then ends the proxy with -1, writes the three
// options (server, direct with automatic detection, bypass) and announces
// them: settings changed, then refresh. When the session ends first, the
// same happens then, once, and the client's end later adds nothing.
TEST(Sentinel, EndsTheProxyAndResetsTheSettings) {
  for (const bool sessionEnds : {false, true}) {
    SCOPED_TRACE(sessionEnds ? "the session ends first" : "the client ends");
    FakeSentinel system;
    system.sessionEndsWhileWaiting = sessionEnds;
    EXPECT_EQ(run(system, {u"sentinel.exe", u"--MPID=100", u"--EpId=200"}), kExitOk);
    std::vector<std::string> expected{"open proxy 200", "open main 100", "terminate 4294967295", "proxy settings",
                                      "notify 39", "notify 37"};
    expected.insert(expected.begin() + 2, sessionEnds ? "session ends" : "main ended");
    if (sessionEnds) expected.push_back("main ended");
    EXPECT_EQ(system.events, expected);
    EXPECT_EQ(system.written, (std::vector<ProxyOption>{{2, 0, u"127.0.0.1:1080"}, {1, 9, u""}, {3, 0, u"<local>"}}));
  }
}

// An empty command line, or a missing id, ends at once with 1.
TEST(Sentinel, NothingToWatch) {
  FakeSentinel system;
  EXPECT_EQ(run(system, {u"sentinel.exe"}), kExitCannotWatch);
  EXPECT_EQ(run(system, {}), kExitCannotWatch);
  EXPECT_EQ(run(system, {u"sentinel.exe", u"--mpid=100"}), kExitCannotWatch);
  EXPECT_TRUE(system.events.empty());
}

// A process that cannot be opened: its message, the error and a line end, exit 1, settings untouched.
TEST(Sentinel, ProcessesThatCannotBeOpened) {
  FakeSentinel system;
  EXPECT_EQ(run(system, {u"s.exe", u"--mpid=100", u"--epid=201"}), kExitCannotWatch);
  EXPECT_EQ(system.debug, (Texts{u"OpenSSProcess Failed!\r\n", u"87", u"\r\n"}));
  system.debug.clear();
  EXPECT_EQ(run(system, {u"s.exe", u"--mpid=101", u"--epid=200"}), kExitCannotWatch);
  EXPECT_EQ(system.debug, (Texts{u"OpenMainProcess Failed!\r\n", u"5", u"\r\n"}));
  EXPECT_TRUE(system.written.empty());
}

// A later option wins; the prefix is exactly seven characters.
TEST(Sentinel, Options) {
  const std::vector<std::u16string> tokens{u"--mpid=1", u"--mpid=7x", u"--epid=", u"--epidx=9"};
  const SentinelOptions options = parseSentinelOptions(tokens);
  EXPECT_EQ(options.mainPid, 7u);
  EXPECT_TRUE(options.hasProxy);
  EXPECT_EQ(options.proxyPid, 0u);
}

}  // namespace
}  // namespace sentinel
