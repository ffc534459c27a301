#include "launcher/launch_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace launcher {
namespace {

// Prefixes in any case; values as written; the later option wins; others ignored.
TEST(LaunchOptions, Parsing) {
  const std::vector<std::u16string> tokens{u"C:\\App\\Bin\\tavaro.exe", u"--LANG=EN", u"--loaderpath=C:\\setup.exe",
                                           u"--StartReson=update", u"--lang=zh_CN", u"--other=1"};
  const LaunchOptions options = parseLaunchOptions(tokens);
  EXPECT_EQ(options.loaderPath, u"C:\\setup.exe");
  EXPECT_EQ(options.startReason, u"update");
  EXPECT_EQ(options.language, u"zh_CN");
  EXPECT_EQ(parseLaunchOptions(std::vector<std::u16string>{u"--LANG=EN"}).language, u"EN");
  EXPECT_EQ(parseLaunchOptions(std::vector<std::u16string>{u"tavaro.exe"}).loaderPath, u"");
}

TEST(LaunchOptions, Version) {
  EXPECT_EQ(versionOf("tavaro"), 14);
  EXPECT_EQ(versionOf("Tavaro"), -1);
  EXPECT_EQ(versionOf("tavaro "), -1);
  EXPECT_EQ(versionOf(""), -1);
  EXPECT_EQ(versionOf(nullptr), -1);
}

}  // namespace
}  // namespace launcher
