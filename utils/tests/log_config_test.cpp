// The configuration text: parsing, warnings, and how it reaches the registry.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "utils/log_config.h"
#include "utils/log_manager.h"
#include "utils/tests/log_fakes.h"
#include "utils/tests/temp_folder.h"

namespace logq {
namespace {

using testing::FakeClock;
using testing::FakeConsole;
using testing::kMarch2At0905;

std::string warningsOf(std::string_view text) {
  std::string warnings;
  parseConfigText(text, [&](const std::string& line) { warnings += line; });
  return warnings;
}

// Settings are read by lower-cased name; values are lower-cased except path and name.
TEST(LogConfigParse, SettingsAndDefaults) {
  const auto sections = parseConfigText(
      "[net]\nLEVEL = Warning\npath= Logs/Net \nname = NetLog\ndisplay=0\noutfile=FALSE\nmonthdir=yes\n"
      "limitsize=12mb\nfileline=false\nenable=1\nreserve=3600s\nunknown=1\n[other]\nlevel=loud\n",
      [](const std::string&) {});
  ASSERT_EQ(sections.size(), 2u);
  const LoggerSettings& net = sections.at("net");
  EXPECT_EQ(net.level, LOG_WARN);
  EXPECT_EQ(net.path, "Logs/Net");
  EXPECT_EQ(net.name, "NetLog");
  EXPECT_FALSE(net.display);
  EXPECT_FALSE(net.outfile);
  EXPECT_TRUE(net.monthdir);
  EXPECT_EQ(net.limitsize, 12u);
  EXPECT_FALSE(net.fileline);
  EXPECT_TRUE(net.enable);
  EXPECT_EQ(net.reserve, 3600);
  const LoggerSettings& other = sections.at("other");
  EXPECT_EQ(other.level, LOG_DEBUG);  // an unknown level leaves the default
  EXPECT_EQ(other.name, "other");
  EXPECT_EQ(other.path, "./log/");
}

// "main" in any case, with blanks inside the brackets, is the main logger; a
// repeated section warns and its settings still apply to the same key.
TEST(LogConfigParse, MainKeyAndDuplicates) {
  std::string warnings;
  const auto sections = parseConfigText("[ mAIn ]\nlevel=error\n[Main]\ndisplay=false\n",
                                        [&](const std::string& line) { warnings += line; });
  ASSERT_EQ(sections.size(), 1u);
  EXPECT_EQ(sections.at("Main").level, LOG_ERROR);
  EXPECT_FALSE(sections.at("Main").display);
  EXPECT_EQ(warnings, "logq configure warning: duplicate logger key:[Main] at line: 3 \r\n");
}

// Settings before the first section warn once each; CR LF counts as two line
// ends; a byte-order mark and comments are skipped.
TEST(LogConfigParse, WarningsAndLineNumbers) {
  EXPECT_EQ(warningsOf("\xEF\xBB\xBF# comment\r\nlevel=info\r\n[a]\r\nlevel=info\r\n[a]\r\n"),
            "logq configure warning: not found current logger name:[] at line:3, key=level, value=info \r\n"
            "logq configure warning: duplicate logger key:[a] at line: 9 \r\n");
  const auto sections = parseConfigText("\xEF\xBB\xBF[a]\nlevel=fatal", [](const std::string&) {});
  EXPECT_EQ(sections.at("a").level, LOG_FATAL);
}

class LogConfigTest : public ::testing::Test {
 protected:
  FakeClock clock{kMarch2At0905};
  FakeConsole console;
  LogManager manager{testing::fakeEnvironment(clock, console)};
};

// Applying creates loggers and resets what a section does not name; a text
// with the same byte sum is not applied again, and neither is an empty one.
TEST_F(LogConfigTest, ApplyAndChecksum) {
  EXPECT_TRUE(manager.loadConfigText("[net]\nlevel=error\nlimitsize=0\n"));
  const int net = manager.lookupLogger("net");
  ASSERT_EQ(net, 1);
  EXPECT_EQ(manager.logger(net).level.load(), LOG_ERROR);
  EXPECT_EQ(manager.logger(net).limitsize.load(), 4294967295u);
  EXPECT_EQ(manager.logger(net).path, "./log/");

  // Same bytes in another order: same sum, not applied.
  EXPECT_EQ(configChecksum("[net]\nlevel=error\n"), configChecksum("[ten]\nlevel=error\n"));
  manager.loadConfigText("[net]\nlevel=error\n");
  manager.loadConfigText("[ten]\nlevel=error\n");
  EXPECT_EQ(manager.lookupLogger("ten"), kNoLogger);
  EXPECT_TRUE(manager.loadConfigText(""));
}

// Only one configuration file; reloading re-reads it for existing loggers only.
TEST_F(LogConfigTest, FileLoadAndReload) {
  testing::TempFolder folder;
  const std::string path = (folder.path() / "log.ini").string();
  std::ofstream(path, std::ios::binary) << "[net]\r\nlevel=warn\r\n";
  EXPECT_TRUE(manager.loadConfigFile(path.c_str()));
  EXPECT_FALSE(manager.loadConfigFile("other.ini"));
  EXPECT_NE(console.plain().find("too many calls to Config. the old config file=" + path +
                                 ",  the new config file=other.ini !!! !!! \r\n"),
            std::string::npos);

  std::ofstream(path, std::ios::binary) << "[net]\nlevel=fatal\n[fresh]\nlevel=fatal\n";
  EXPECT_TRUE(manager.reloadConfig());
  EXPECT_EQ(manager.logger(manager.lookupLogger("net")).level.load(), LOG_FATAL);
  EXPECT_EQ(manager.lookupLogger("fresh"), kNoLogger);

  std::filesystem::remove(path);
  EXPECT_FALSE(manager.reloadConfig());
  EXPECT_NE(console.plain().find(" !!! !!! logq load config file error. filename=" + path), std::string::npos);
}

// A missing file is remembered all the same, so a second load is refused.
TEST_F(LogConfigTest, MissingFileIsRemembered) {
  EXPECT_FALSE(manager.reloadConfig());
  EXPECT_FALSE(manager.loadConfigFile("/nonexistent/log.ini"));
  EXPECT_FALSE(manager.loadConfigFile("/nonexistent/other.ini"));
  EXPECT_NE(console.plain().find("too many calls"), std::string::npos);
}

}  // namespace
}  // namespace logq

namespace logq {
namespace {

// The writer re-reads the file once more than `reloadInterval` seconds have passed.
TEST(LogConfigReload, WriterReloadsPeriodically) {
  FakeClock clock{kMarch2At0905};
  FakeConsole console;
  LogManager manager{testing::fakeEnvironment(clock, console)};
  testing::TempFolder folder;
  const std::string path = (folder.path() / "log.ini").string();
  std::ofstream(path, std::ios::binary) << "[Main]\nlevel=info\noutfile=0\n";
  ASSERT_TRUE(manager.loadConfigFile(path.c_str()));
  manager.setReloadInterval(10);
  clock.setManual(true);
  ASSERT_TRUE(manager.start());
  clock.advancePoll();

  std::ofstream(path, std::ios::binary) << "[Main]\nlevel=error\noutfile=0\n";
  clock.setMillis(kMarch2At0905 + 10000);  // not more than 10 s yet
  clock.advancePoll();
  clock.advancePoll();
  EXPECT_EQ(manager.logger(kMainLoggerId).level.load(), LOG_INFO);

  clock.setMillis(kMarch2At0905 + 11000);
  clock.advancePoll();  // the reload queues the level change
  clock.advancePoll();  // the writer applies it
  EXPECT_EQ(manager.logger(kMainLoggerId).level.load(), LOG_ERROR);
  clock.setManual(false);
}

}  // namespace
}  // namespace logq
