#include "common/channel_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace common {
namespace {

ChannelOptions parse(std::vector<std::u16string> tokens) { return parseChannelOptions(tokens); }

// Both options in any letter case; the last "--watch=" wins; the program path is examined too.
TEST(ChannelOptions, CaseAndLastOneWins) {
  const ChannelOptions o = parse({u"lw.exe", u"--FILEMAPPING-NAME=Sec", u"--watch=12", u"--Watch=34x"});
  EXPECT_EQ(o.sectionName, u"Sec");
  EXPECT_EQ(o.clientPid, 34u);
  EXPECT_TRUE(o.valid());
  EXPECT_EQ(parse({u"--watch=5", u"--filemapping-name=A"}).clientPid, 5u);
}

// Each way of leaving out an option makes the start invalid; 31 units is the longest name.
TEST(ChannelOptions, RequiredAndBounded) {
  EXPECT_FALSE(parse({u"lw.exe", u"--filemapping-name=Sec"}).valid());
  EXPECT_FALSE(parse({u"lw.exe", u"--filemapping-name=Sec", u"--watch=0"}).valid());
  EXPECT_FALSE(parse({u"lw.exe", u"--filemapping-name=Sec", u"--watch=abc"}).valid());
  EXPECT_FALSE(parse({u"lw.exe", u"--filemapping-name=", u"--watch=9"}).valid());
  EXPECT_FALSE(parse({u"lw.exe", u"--watch=9"}).valid());
  EXPECT_TRUE(parse({u"--filemapping-name=" + std::u16string(31, u'a'), u"--watch=9"}).valid());
  EXPECT_FALSE(parse({u"--filemapping-name=" + std::u16string(32, u'a'), u"--watch=9"}).valid());
}

}  // namespace
}  // namespace common
