// The writer's files: names, roll-over by day and by size, old-file deletion.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "utils/log_format.h"
#include "utils/log_manager.h"
#include "utils/tests/log_fakes.h"
#include "utils/tests/temp_folder.h"

namespace logq {
namespace {

using testing::FakeClock;
using testing::FakeConsole;
using testing::kMarch2At0905;

constexpr std::int64_t kDay = 86400000;

// The platform's files, except that a full disk can be switched on: then
// every file opened is /dev/full.
class DiskFiles final : public LogFiles {
 public:
  bool full = false;
  LogFileOpening openForAppend(const std::string& folder, const std::string& name) override {
    if (full) return LogFileOpening{std::fopen("/dev/full", "ab"), {}};
    return systemLogFiles().openForAppend(folder, name);
  }
};

LogEnvironment withFiles(LogEnvironment environment, LogFiles& files) {
  environment.files = &files;
  return environment;
}

class LogWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    manager.setPath(kMainLoggerId, folder.loggerPath().c_str());
    manager.setDisplay(kMainLoggerId, false);
    manager.setLevel(kMainLoggerId, LOG_ERROR);
    clock.setManual(true);
    ASSERT_TRUE(manager.start());
    clock.advancePoll();
  }
  void TearDown() override { clock.setManual(false); }

  void log(const char* text) { logFormat(manager, kMainLoggerId, LOG_ERROR, "main", 42, "%s", text); }

  testing::TempFolder folder;
  FakeClock clock{kMarch2At0905};
  FakeConsole console;
  DiskFiles files;
  LogManager manager{withFiles(testing::fakeEnvironment(clock, console), files)};
};

// The first record opens index 000 named after program, logger, minute and
// pid, and the file holds exactly the records.
TEST_F(LogWriterTest, FileNameAndContent) {
  log("disk full");
  clock.advancePoll();
  const std::string name = "app_Main_202403020905_004242_000.log";
  EXPECT_EQ(folder.files(), std::set<std::string>{name});
  const std::string text = folder.read(name);
  EXPECT_EQ(text.rfind("2024-03-02 09:05:03.007 LOG_ALARM -----------------  logq thread started!", 0), 0u);
  EXPECT_NE(text.find("level=4 display=false log_writer:"), std::string::npos);
  EXPECT_TRUE(text.ends_with("\r\n2024-03-02 09:05:03.007 LOG_ERROR disk full main:42\r\n"));
}

// Under load the pool keeps the records of the last batch for the producers
// to reuse; the next idle poll brings it back to kPoolMax.
TEST_F(LogWriterTest, PoolHoldsABurstUntilAnIdlePoll) {
  for (int i = 0; i < 500; ++i) log("burst");
  clock.advancePoll();
  EXPECT_GE(manager.poolSize(), 500u);
  clock.advancePoll();
  EXPECT_EQ(manager.poolSize(), LogManager::kPoolMax);
}

// Records logged by several threads at once all arrive, each thread's in the
// order it logged them.
TEST_F(LogWriterTest, ConcurrentProducersLoseNothingAndKeepTheirOrder) {
  constexpr int kThreads = 4;
  constexpr int kEach = 2000;
  std::vector<std::thread> producers;
  for (int t = 0; t < kThreads; ++t) {
    producers.emplace_back([this, t] {
      for (int i = 0; i < kEach; ++i) logFormat(manager, kMainLoggerId, LOG_ERROR, "main", 42, "thread %d record %d", t, i);
    });
  }
  for (std::thread& p : producers) p.join();
  clock.advancePoll();
  ASSERT_EQ(folder.files().size(), 1u);
  std::istringstream lines(folder.read(*folder.files().begin()));
  int next[kThreads] = {};
  for (std::string line; std::getline(lines, line);) {
    int t = -1, i = -1;
    const std::size_t at = line.find("thread ");
    if (at == std::string::npos || std::sscanf(line.c_str() + at, "thread %d record %d", &t, &i) != 2) continue;
    ASSERT_TRUE(t >= 0 && t < kThreads) << line;
    EXPECT_EQ(i, next[t]) << line;
    next[t] = i + 1;
  }
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next[t], kEach) << "thread " << t;
}

// After midnight the next record opens a new file with index 000 and the new date.
TEST_F(LogWriterTest, RollsOverByDay) {
  manager.setLimitSize(kMainLoggerId, 1);
  log("first");
  clock.setMillis(kMarch2At0905 + kDay);
  log("second");
  clock.advancePoll();
  EXPECT_EQ(folder.files(), (std::set<std::string>{"app_Main_202403020905_004242_000.log",
                                                    "app_Main_202403030905_004242_000.log"}));
}

// With a 1 MB limit the file rolls at the first record after it passed
// 1048576 bytes; the next file has index 001 and the current minute.
TEST_F(LogWriterTest, RollsOverBySize) {
  manager.setLimitSize(kMainLoggerId, 1);
  const std::string chunk(4000, 'z');
  std::size_t written = 0;
  while (written <= 1048576) {
    log(chunk.c_str());
    written += 34 + 4000 + 8 + 2;  // header, text, " main:42", CR LF
  }
  clock.advancePoll();
  EXPECT_EQ(folder.files().size(), 1u);
  clock.setMillis(kMarch2At0905 + 60000);
  log("next");
  clock.advancePoll();
  EXPECT_EQ(folder.files(), (std::set<std::string>{"app_Main_202403020905_004242_000.log",
                                                    "app_Main_202403020906_004242_001.log"}));
  EXPECT_GT(std::filesystem::file_size(folder.path() / "app_Main_202403020905_004242_000.log"), 1048576u);
}

// A limit of 4096 MB does not wrap around to 0 and roll before every record.
TEST_F(LogWriterTest, LargeLimitDoesNotWrap) {
  manager.setLimitSize(kMainLoggerId, 4096);
  log("a");
  clock.setMillis(kMarch2At0905 + 60000);
  log("b");
  clock.advancePoll();
  EXPECT_EQ(folder.files(), std::set<std::string>{"app_Main_202403020905_004242_000.log"});
}

// With reserve set, the ninth opening deletes the files opened more than
// `reserve` seconds earlier.
TEST_F(LogWriterTest, ReserveDeletesOldFilesOnTheNinthOpening) {
  manager.setReserve(kMainLoggerId, 3600);
  clock.advancePoll();
  for (int day = 0; day < 8; ++day) {
    clock.setMillis(kMarch2At0905 + day * kDay);
    log("x");
    clock.advancePoll();
  }
  EXPECT_EQ(folder.files().size(), 8u);
  clock.setMillis(kMarch2At0905 + 7 * kDay + 1000);  // the eighth file is one second old
  manager.setName(kMainLoggerId, "Other");  // closes the file: the next record opens the ninth
  log("y");
  clock.advancePoll();
  EXPECT_EQ(folder.files(), (std::set<std::string>{"app_Main_202403090905_004242_000.log",
                                                    "app_Other_202403090905_004242_000.log"}));
}

// A queued attribute change closes the file, so the next record opens one
// under the new settings; month folders are created with their parents.
TEST_F(LogWriterTest, QueuedChangeReopensUnderNewSettings) {
  log("before");
  manager.setMonthDir(kMainLoggerId, true);
  manager.setPath(kMainLoggerId, (folder.loggerPath() + "deep/er").c_str());
  log("after");
  clock.advancePoll();
  EXPECT_EQ(folder.read("app_Main_202403020905_004242_000.log").find("after"), std::string::npos);
  EXPECT_EQ(folder.files("deep/er/2024_03"), std::set<std::string>{"app_Main_202403020905_004242_000.log"});
}

// A full disk (the day's file is /dev/full): the failed bursts are lost, the
// console hears of it once, and once the disk takes writes again the next
// record opens the file anew and lands in it.
TEST_F(LogWriterTest, FullDiskLosesOnlyTheFailedBurstsAndResumes) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a Unix /dev/full";
#endif
  clock.setMillis(kMarch2At0905 + kDay);
  const std::string name = "app_Main_202403030905_004242_000.log";
  files.full = true;
  for (const char* burst : {"lost one", "lost two", "lost three"}) {
    log(burst);
    clock.advancePoll();
  }
  files.full = false;
  log("after");
  clock.advancePoll();
  const std::string alarm = "logq: writing the log file failed";
  const std::string shown = console.all();
  EXPECT_NE(shown.find(alarm), std::string::npos);
  EXPECT_EQ(shown.find(alarm), shown.rfind(alarm));
  EXPECT_TRUE(folder.read(name).ends_with("LOG_ERROR after main:42\r\n")) << folder.read(name);
  EXPECT_EQ(folder.read(name).find("lost"), std::string::npos);
  EXPECT_TRUE(manager.logger(kMainLoggerId).outfile.load());
}

// A file that cannot be opened turns the logger's file output off, with three console lines.
TEST(LogWriterFailure, UnopenableFileTurnsOutfileOff) {
  FakeClock clock{kMarch2At0905};
  FakeConsole console;
  testing::TempFolder folder;
  LogManager manager{testing::fakeEnvironment(clock, console)};
  std::ofstream(folder.path() / "blocker") << "a file where the folder should be";
  manager.setPath(kMainLoggerId, (folder.loggerPath() + "blocker/sub").c_str());
  manager.setLevel(kMainLoggerId, LOG_ERROR);
  ASSERT_TRUE(manager.start());
  logFormat(manager, kMainLoggerId, LOG_ERROR, "f", 1, "lost to the file, kept on the console");
  manager.stop();
  EXPECT_NE(console.all().find("!!!!!!!!!!!!!!!!!!!!!!!!!! \r\nlogq: can not open log file "), std::string::npos);
  EXPECT_NE(console.all().find("kept on the console"), std::string::npos);
  EXPECT_FALSE(manager.logger(kMainLoggerId).outfile.load());
}

// A link on the log's way (the folder, a month folder or the file itself)
// could lead an elevated program's writes anywhere: nothing is created or
// written through it, one console line says so, and the records still
// reach the console.
TEST(LogWriterFailure, LinkOnTheWayGetsNoFile) {
#ifdef _WIN32
  GTEST_SKIP() << "needs Unix symbolic links; the Windows side is a scenario under Wine";
#endif
  for (const std::string linked : {"log", "log/2024_03", "log/2024_03/app_Main_202403020905_004242_000.log"}) {
    SCOPED_TRACE(linked);
    FakeClock clock{kMarch2At0905};
    FakeConsole console;
    testing::TempFolder folder;
    std::filesystem::create_directories(folder.path() / "elsewhere");
    std::filesystem::create_directories(folder.path() / "log/2024_03");
    std::filesystem::remove_all(folder.path() / linked);
    std::filesystem::create_symlink(folder.path() / "elsewhere", folder.path() / linked);
    LogManager manager{testing::fakeEnvironment(clock, console)};
    manager.setPath(kMainLoggerId, (folder.loggerPath() + "log/").c_str());
    manager.setMonthDir(kMainLoggerId, true);
    manager.setLevel(kMainLoggerId, LOG_ERROR);
    ASSERT_TRUE(manager.start());
    logFormat(manager, kMainLoggerId, LOG_ERROR, "f", 1, "kept on the console");
    logFormat(manager, kMainLoggerId, LOG_ERROR, "f", 2, "and this one too");
    manager.stop();
    EXPECT_TRUE(folder.files("elsewhere").empty());
    const std::string shown = console.all();
    const std::string refused = folder.loggerPath() + linked + (linked.ends_with(".log") ? "" : "/") +
                                " is a link or leads elsewhere: the log file ";
    EXPECT_NE(shown.find(refused), std::string::npos) << shown;
    EXPECT_EQ(shown.find(refused), shown.rfind(refused));
    EXPECT_NE(shown.find("and this one too"), std::string::npos);
    EXPECT_FALSE(manager.logger(kMainLoggerId).outfile.load());
  }
}

// Stopping wakes the writer: a program's exit does not wait for the rest of its poll.
TEST(LogWriterStop, WakesTheWriterOutOfItsPoll) {
  FakeClock clock{kMarch2At0905};
  FakeConsole console;
  testing::TempFolder folder;
  LogManager manager{testing::fakeEnvironment(clock, console)};
  manager.setPath(kMainLoggerId, folder.loggerPath().c_str());
  clock.setPollsWaitForWake();
  ASSERT_TRUE(manager.start());
  EXPECT_TRUE(manager.stop());
  EXPECT_TRUE(clock.lastPollWoken());
}

}  // namespace
}  // namespace logq
