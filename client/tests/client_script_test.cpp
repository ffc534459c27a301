#include "client/client_script.h"

#include <gtest/gtest.h>

#include "common/fixed_field.h"

namespace client {
namespace {

std::optional<ScriptError> parse(std::vector<std::u16string> tokens, std::vector<Step>& steps) {
  return parseScript(tokens, steps);
}

// Steps take their fixed number of arguments; unknown words, missing
// arguments and non-numbers are refused with the offending token.
TEST(ClientScript, ParsesAndRefuses) {
  std::vector<Step> steps;
  EXPECT_FALSE(parse({u"driver-install", u"svc", u"C:\\d.sys", u"raise", u"sleep", u"10"}, steps));
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[0].args, (std::vector<std::u16string>{u"svc", u"C:\\d.sys"}));
  EXPECT_EQ(steps[1].kind, Step::Kind::kRaise);

  steps.clear();
  EXPECT_EQ(parse({u"raise", u"jump"}, steps)->token, 1u);
  EXPECT_EQ(parse({u"driver-install", u"svc"}, steps)->message, "missing arguments");
  EXPECT_EQ(parse({u"sleep", u"ten"}, steps)->message, "not a number");
}

// Request steps fill their section's fields and never a pending byte.
TEST(ClientScript, FillsRequestFields) {
  linkwarden::CommandBlock block{};
  std::vector<Step> steps;
  ASSERT_FALSE(parse({u"driver-install", u"svc", u"C:\\d.sys", u"dns-apply", u"7", u"10.0.0.1", u"10.0.0.2",
                      u"route-pattern", u"192.168.1.1", u"12", u"30", u"route-add", u"C:\\r.txt"},
                     steps));
  unsigned filled = 0;
  for (const Step& step : steps) filled |= fillRequest(step, block).value();
  EXPECT_EQ(filled, kFilledDriver | kFilledDns | kFilledRoute);
  EXPECT_EQ(block.driver.pending + block.dns.pending + block.route.pending, 0);
  EXPECT_EQ(block.driver.install, 1);
  EXPECT_EQ(common::readField(block.driver.imagePath), u"C:\\d.sys");
  EXPECT_EQ(block.dns.interfaceIndex, 7u);
  EXPECT_EQ(common::readField(block.dns.secondaryServer), u"10.0.0.2");
  EXPECT_EQ(block.route.templateRow.dwForwardNextHop, 0x0101A8C0u);
  EXPECT_EQ(block.route.templateRow.dwForwardMetric1, 30u);

  const Step tooLong{Step::Kind::kDriverRemove, {std::u16string(64, u'x')}};
  EXPECT_FALSE(fillRequest(tooLong, block));
}

TEST(ClientScript, ParsesDottedAddresses) {
  EXPECT_EQ(parseIpv4(u"10.0.0.1"), 0x0100000Au);
  EXPECT_FALSE(parseIpv4(u"10.0.0"));
  EXPECT_FALSE(parseIpv4(u"10.0.0.256"));
  EXPECT_FALSE(parseIpv4(u"10.0.0.1 "));
  EXPECT_FALSE(parseIpv4(u""));
}

}  // namespace
}  // namespace client
