#include "kickoff/kickoff.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/fixed_field.h"
#include "common/tests/fake_channel.h"
#include "kickoff/start_request.h"

namespace kickoff {
namespace {

using common::WaitResult;
using Texts = std::vector<std::u16string>;

const std::u16string kStarted = u"[kickoff]\u5f00\u59cb\u4e86";
const std::u16string kShown = u"[kickoff]sign3,\u5e94\u8be5show\u4e86";

class FakeKickoff final : public KickoffSystem {
 public:
  StartRequest request{};
  bool sectionExists = true;
  bool createdNew = false;
  std::function<WaitResult(int)> waits = [](int) { return WaitResult::kEnded; };
  std::vector<std::u16string> refused;  // paths the shell refuses
  Texts opened;
  Texts debug;
  common::testing::SectionStats section;
  bool sectionOpened = false;

  common::SectionOpening openSection(std::u16string_view) override {
    if (!sectionExists) return {nullptr, 2, false, {}};
    sectionOpened = true;
    return {std::make_unique<common::testing::FakeSection>(&request, sizeof request, section), 183, createdNew, {}};
  }
  std::unique_ptr<common::ProcessWatch> watchClient(std::uint32_t) override {
    return std::make_unique<common::testing::FakeWatch>(waits);
  }
  bool open(std::u16string_view path) override {
    for (const auto& r : refused) {
      if (r == path) return false;
    }
    opened.emplace_back(path);
    return true;
  }
  void debugOutput(std::u16string_view text) override { debug.emplace_back(text); }
};

int run(FakeKickoff& system, std::vector<std::u16string> tokens = {u"kickoff.exe", u"--FILEMAPPING-NAME=Ko",
                                                                    u"--WATCH=42"}) {
  return runKickoff(tokens, system);
}

// Bad options: 87 without touching any section.
TEST(Kickoff, BadOptions) {
  FakeKickoff system;
  EXPECT_EQ(run(system, {u"kickoff.exe", u"--filemapping-name=Ko", u"--watch=0"}), kExitBadOptionsOrStart);
  EXPECT_EQ(run(system, {u"kickoff.exe", u"--watch=42"}), kExitBadOptionsOrStart);
  EXPECT_FALSE(system.sectionOpened);
  EXPECT_EQ(system.debug, (Texts{kStarted, kStarted}));
}

// A request is opened once, its path cleared, then `pending`; the client's end gives 0.
TEST(Kickoff, OpensARequestAndEndsWithTheClient) {
  FakeKickoff system;
  common::writeField(system.request.path, u"C:\\docs\\readme.txt");
  system.request.pending = 1;
  system.waits = [](int wait) { return wait < 3 ? WaitResult::kTimedOut : WaitResult::kEnded; };
  EXPECT_EQ(run(system), kExitOk);
  EXPECT_EQ(system.opened, Texts{u"C:\\docs\\readme.txt"});
  EXPECT_EQ(system.request.pending, 0);
  EXPECT_EQ(common::readField(system.request.path), u"");
  EXPECT_EQ(system.debug, (Texts{kStarted, u"[kickoff]C:\\docs\\readme.txt", kShown, u"[kickoff]sign4"}));
  EXPECT_EQ(system.section.maps, 4);  // the check and three polls
  EXPECT_EQ(system.section.unmaps, 4);
}

// A start the shell refuses ends kickoff with 87 and leaves the request raised.
TEST(Kickoff, RefusedStartEndsWith87) {
  FakeKickoff system;
  common::writeField(system.request.path, u"C:\\missing.exe");
  system.request.pending = 1;
  system.refused = {u"C:\\missing.exe"};
  system.waits = [](int) { return WaitResult::kTimedOut; };
  EXPECT_EQ(run(system), kExitBadOptionsOrStart);
  EXPECT_EQ(system.request.pending, 1);
  EXPECT_EQ(system.debug.back(), u"[kickoff]sign2");
  EXPECT_FALSE(system.section.mapped);
  EXPECT_TRUE(system.section.closed);
}

// A client that cannot be watched, or has ended: no poll, exit 0.
TEST(Kickoff, FailedWaitEndsAtOnce) {
  FakeKickoff system;
  system.request.pending = 1;
  system.waits = [](int) { return WaitResult::kFailed; };
  EXPECT_EQ(run(system), kExitOk);
  EXPECT_TRUE(system.opened.empty());
  EXPECT_EQ(system.debug.back(), u"[kickoff]sign4");
}

// No section from the client, or one that cannot be mapped: their own codes.
TEST(Kickoff, MissingOrUnmappableSection) {
  FakeKickoff missing;
  missing.createdNew = true;
  EXPECT_EQ(run(missing), kExitNoSection);
  FakeKickoff unopenable;
  unopenable.sectionExists = false;
  EXPECT_EQ(run(unopenable), kExitNoSection);
}

// A path with no terminator is read within its 260 units; the debug text is cut at 1023 units.
TEST(Kickoff, UnterminatedPathStaysInItsField) {
  FakeKickoff system;
  for (char16_t& c : system.request.path) c = u'p';
  system.request.pending = 1;
  system.waits = [](int wait) { return wait == 0 ? WaitResult::kTimedOut : WaitResult::kEnded; };
  EXPECT_EQ(run(system), kExitOk);
  EXPECT_EQ(system.opened, Texts{std::u16string(260, u'p')});
  EXPECT_EQ(common::readField(system.request.path), u"");  // the whole field is cleared
}

}  // namespace
}  // namespace kickoff
