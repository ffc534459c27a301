#include "sentinel/sentinel.h"

#include <gtest/gtest.h>

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
      events.push_back("main ended");
      return common::WaitResult::kEnded;
    });
  }
  void setProxyOptions(const std::vector<ProxyOption>& options) override {
    events.push_back("proxy settings");
    written = options;
  }
  void debugOutput(std::u16string_view text) override { debug.emplace_back(text); }
};

int run(FakeSentinel& system, std::vector<std::u16string> tokens) { return runSentinel(tokens, system); }

// Waits for the main process, then ends the proxy with -1 and writes the
// three options: server, direct with automatic detection, bypass.
TEST(Sentinel, EndsTheProxyAndResetsTheSettings) {
  FakeSentinel system;
  EXPECT_EQ(run(system, {u"sentinel.exe", u"--MPID=100", u"--EpId=200"}), kExitOk);
  EXPECT_EQ(system.events, (std::vector<std::string>{"open proxy 200", "open main 100", "main ended",
                                                     "terminate 4294967295", "proxy settings"}));
  EXPECT_EQ(system.written, (std::vector<ProxyOption>{{2, 0, u"127.0.0.1:1080"}, {1, 9, u""}, {3, 0, u"<local>"}}));
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
