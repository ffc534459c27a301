// The toolkit's log manager: the record's two forms, the 2048-byte cut, the
// debugger echo, the main logger's name, "<name>-<index>.log" that rolls by
// size only, and the start lines with the tag "logger".
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "utils/tests/log_fakes.h"
#include "utils/tests/temp_folder.h"
#include "veneer/core/toolkit_log.h"
#include "veneer/log/log_manager.h"

namespace veneer {
namespace {

using logq::testing::FakeClock;
using logq::testing::FakeConsole;
using logq::testing::kMarch2At0905;

constexpr std::int64_t kDay = 86400000;

class ToolkitLogManagerTest : public ::testing::Test {
 protected:
  ToolkitLogEnvironment environment(std::string modulePath) {
    return ToolkitLogEnvironment{logq::LogEnvironment{&clock, &console, 4242, std::move(modulePath)},
                                 [] { return 77u; }, [](const void*) { return std::string("update.exe"); },
                                 [this](std::string_view text) {
                                   std::lock_guard lock(mutex);
                                   echoed.emplace_back(text);
                                 }};
  }

  // Starts a manager as the updater does: level 3, in the test's folder, no console.
  VRef<LogManager> startManager(std::string modulePath = "C:\\Program Files\\App\\update.exe") {
    VRef<LogManager> manager = VRef<LogManager>::Adopt(new LogManager(environment(std::move(modulePath))));
    manager->Logger().setPath(0, folder.loggerPath().c_str());
    manager->Logger().setDisplay(0, false);
    manager->SetLoggerLevel(0, 3);
    clock.setManual(true);
    EXPECT_TRUE(manager->Start());
    clock.advancePoll();
    return manager;
  }

  void stop(LogManager& manager) {
    clock.setManual(false);
    manager.Stop();
  }

  std::vector<std::string> echoes() {
    std::lock_guard lock(mutex);
    return echoed;
  }

  logq::testing::TempFolder folder;
  FakeClock clock{kMarch2At0905};
  FakeConsole console;
  std::mutex mutex;
  std::vector<std::string> echoed;
};

TEST_F(ToolkitLogManagerTest, LongAndShortRecordForms) {
  LogManager manager(environment("C:\\x\\update.exe"));
  int marker = 0;
  EXPECT_EQ(manager.FormatRecord(3, kMarch2At0905 / 1000, 7, "veneer", "lookup failed", "D:\\src\\veneer\\vwnd.cpp", 247,
                                 "FindChildByName2", &marker, true),
            "pid=4242 tid=77 2024-03-02 09:05:03.007 WARN  update.exe veneer \"lookup failed\" FindChildByName2 "
            "(vwnd.cpp):247\r\n");
  // No source file, or fileline off: the short form. No address: an empty module name.
  const std::string shortForm = "pid=4242 tid=77 2024-03-02 09:05:03.007 INFO  update.exe  \"hello\"\r\n";
  EXPECT_EQ(manager.FormatRecord(2, kMarch2At0905 / 1000, 7, "", "hello", nullptr, 0, "f", &marker, true), shortForm);
  EXPECT_EQ(manager.FormatRecord(2, kMarch2At0905 / 1000, 7, "", "hello", "a.cpp", 1, "f", &marker, false), shortForm);
  EXPECT_EQ(manager.FormatRecord(6, kMarch2At0905 / 1000, 7, "t", "m", nullptr, 0, nullptr, nullptr, true),
            "pid=4242 tid=77 2024-03-02 09:05:03.007 FATAL  t \"m\"\r\n");
}

TEST_F(ToolkitLogManagerTest, LongMessageIsCutTo2048BytesEndingTheLine) {
  LogManager manager(environment("update.exe"));
  const std::string message(5000, 'm');
  const std::string text =
      manager.FormatRecord(3, kMarch2At0905 / 1000, 7, "veneer", message.c_str(), "a.cpp", 1, "f", nullptr, true);
  ASSERT_EQ(text.size(), 2048u);
  EXPECT_TRUE(text.ends_with("mmm\r\n"));
  EXPECT_EQ(text.find('\0'), std::string::npos);
}

TEST_F(ToolkitLogManagerTest, MainLoggerIsNamedAfterTheProgram) {
  EXPECT_EQ(LogManager(environment("C:\\Program Files\\App\\update.exe")).Logger().logger(0).name, "update");
  EXPECT_EQ(LogManager(environment("")).Logger().logger(0).name, "MainLog");
}

// A run writes update-0.log: the start lines first, then every accepted
// record; each written record also goes to the debugger output.
TEST_F(ToolkitLogManagerTest, RunWritesStartLinesAndRecordsAndEchoesThem) {
  VRef<LogManager> manager = startManager();
  EXPECT_FALSE(manager->PushLog(0, 2, "veneer", "below the level", "a.cpp", 1, "f", nullptr));
  EXPECT_FALSE(manager->PushLog(5, 3, "veneer", "no such logger", "a.cpp", 1, "f", nullptr));
  int marker = 0;
  EXPECT_TRUE(manager->PushLog(0, 3, "veneer", "prog_header missing", "vwindow.cpp", 250, "FindChildByName2", &marker));
  clock.advancePoll();
  stop(*manager);

  EXPECT_EQ(folder.files(), std::set<std::string>{"update-0.log"});
  const std::string text = folder.read("update-0.log");
  EXPECT_EQ(text.rfind("pid=4242 tid=77 2024-03-02 09:05:03.007 ALARM update.exe logger \"-----------------  logq "
                       "thread started!   ----------------------------\" run (log_writer):",
                       0),
            0u);
  EXPECT_NE(text.find("logger \"logger id=0 key=Main name=update path=" + folder.loggerPath() +
                      " level=3 display=false\" run (log_writer):"),
            std::string::npos);
  EXPECT_TRUE(text.ends_with("WARN  update.exe veneer \"prog_header missing\" FindChildByName2 (vwindow.cpp):250\r\n"));
  EXPECT_EQ(text.find("below the level"), std::string::npos);
  const std::vector<std::string> echo = echoes();
  ASSERT_EQ(echo.size(), 3u);  // two start lines and the warning
  EXPECT_TRUE(text.ends_with(echo.back()));
}

// Without the day roll, a run on another day appends to the same update-0.log.
TEST_F(ToolkitLogManagerTest, RunsOnDifferentDaysAppendToTheSameFile) {
  {
    VRef<LogManager> manager = startManager();
    manager->PushLog(0, 3, "veneer", "first run", nullptr, 0, nullptr, nullptr);
    clock.advancePoll();
    stop(*manager);
  }
  clock.setMillis(kMarch2At0905 + kDay);
  {
    VRef<LogManager> manager = startManager();
    manager->PushLog(0, 3, "veneer", "second run", nullptr, 0, nullptr, nullptr);
    clock.advancePoll();
    stop(*manager);
  }
  EXPECT_EQ(folder.files(), std::set<std::string>{"update-0.log"});
  const std::string text = folder.read("update-0.log");
  EXPECT_LT(text.find("first run"), text.find("2024-03-03"));
  EXPECT_NE(text.find("second run"), std::string::npos);
}

// Within a day the size limit moves on to the next index.
TEST_F(ToolkitLogManagerTest, SizeLimitMovesToTheNextIndex) {
  VRef<LogManager> manager = startManager();
  manager->Logger().setLimitSize(0, 1);
  const std::string chunk(1500, 'z');
  for (int i = 0; i < 800; ++i) manager->PushLog(0, 3, "veneer", chunk.c_str(), nullptr, 0, nullptr, nullptr);
  clock.advancePoll();
  stop(*manager);
  EXPECT_EQ(folder.files(), (std::set<std::string>{"update-0.log", "update-1.log"}));
}

// The toolkit's warnings reach the installed sink with their call site; a
// record the sink does not take goes to the debugger output instead.
TEST_F(ToolkitLogManagerTest, ToolkitWarningsCarryTheirCallSite) {
  std::vector<std::string> seen;
  SetToolkitLogSink([&](std::string_view tag, int level, std::string_view text, const LogSite& site) {
    seen.push_back(std::string(tag) + "|" + std::to_string(level) + "|" + std::string(text) + "|" + site.function);
    return false;
  });
  ToolkitWarning("careful");
  SetToolkitLogSink({});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0].starts_with("veneer|3|careful|")) << seen[0];
  EXPECT_TRUE(seen[0].ends_with("|TestBody")) << seen[0];
}

}  // namespace
}  // namespace veneer
