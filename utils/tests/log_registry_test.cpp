// The logger registry: ids, the record pool, the throttle and the setters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "utils/log_format.h"
#include "utils/log_manager.h"
#include "utils/tests/log_fakes.h"

namespace logq {
namespace {

using testing::FakeClock;
using testing::FakeConsole;
using testing::kMarch2At0905;

class LogRegistryTest : public ::testing::Test {
 protected:
  void TearDown() override { clock.setManual(false); }

  // Starts the writer and parks it in its poll sleep, so that queued changes
  // wait until the test lets it run one burst.
  void startParked() {
    manager.setOutFile(kMainLoggerId, false);
    clock.setManual(true);
    ASSERT_TRUE(manager.start());
    clock.advancePoll();
  }

  FakeClock clock{kMarch2At0905};
  FakeConsole console;
  LogManager manager{testing::fakeEnvironment(clock, console)};
};

// Before start nothing is accepted, and a submitted record is taken back into the pool.
TEST_F(LogRegistryTest, NothingAcceptedBeforeStart) {
  for (int level = LOG_TRACE; level <= LOG_FATAL; ++level) EXPECT_FALSE(manager.acceptsLevel(kMainLoggerId, level));
  LogRecord* record = manager.makeRecord(kMainLoggerId, LOG_FATAL);
  EXPECT_FALSE(manager.submitRecord(record, "f", 1));
  EXPECT_EQ(manager.makeRecord(kMainLoggerId, LOG_INFO), record);  // kept for reuse
  manager.freeRecord(record);
  EXPECT_EQ(manager.totalPushed(), 0u);
}

// Keys are trimmed, found again, and the registry holds at most 20 loggers:
// the 20th distinct key (ids 1 to 19 used) is refused with a console line.
TEST_F(LogRegistryTest, AddLoggerUpToTheLimit) {
  EXPECT_EQ(manager.addLogger(nullptr), kNoLogger);
  EXPECT_EQ(manager.addLogger("Main"), kMainLoggerId);
  EXPECT_EQ(manager.addLogger(" \tnet\r\n"), 1);
  EXPECT_EQ(manager.addLogger("net"), 1);
  EXPECT_EQ(manager.lookupLogger("net"), 1);
  EXPECT_EQ(manager.lookupLogger(" net"), kNoLogger);  // looked up exactly as passed
  for (int i = 2; i < LOGGER_MAX; ++i) EXPECT_EQ(manager.addLogger(("k" + std::to_string(i)).c_str()), i);
  EXPECT_EQ(manager.addLogger("one too many"), kNoLogger);
  EXPECT_NE(console.all().find("logq: CreateLogger can not create|writeover, because loggerid need < LOGGER_MAX! \r\n"),
            std::string::npos);
  EXPECT_EQ(manager.activeLoggerCount(), static_cast<std::uint32_t>(LOGGER_MAX));
  EXPECT_TRUE(manager.logger(5).enable.load());
  EXPECT_EQ(manager.logger(5).name, "k5");
}

// Freed records are reused most-recent first, and the pool never holds more than 200.
TEST_F(LogRegistryTest, PoolReusesAndIsBounded) {
  LogManager::releaseThreadRecords();  // earlier tests of this thread left some
  std::vector<LogRecord*> records;
  for (int i = 0; i < 250; ++i) records.push_back(manager.makeRecord(kMainLoggerId, LOG_INFO));
  // The thread keeps the first it frees, the pool the next 200, the rest are deleted.
  for (LogRecord* r : records) manager.freeRecord(r);
  EXPECT_EQ(manager.poolSize(), LogManager::kPoolMax);
  const std::size_t kept = LogManager::kThreadRecordsMax;
  LogRecord* again = manager.makeRecord(kMainLoggerId, LOG_INFO);
  EXPECT_EQ(again, records[kept - 1]);
  EXPECT_EQ(again->kind, kMessage);
  EXPECT_EQ(again->loggerId, kMainLoggerId);
  // Once the thread's own are used up it takes a few from the pool at a time, newest first.
  std::vector<LogRecord*> taken;
  for (std::size_t i = 1; i < kept; ++i) taken.push_back(manager.makeRecord(kMainLoggerId, LOG_INFO));
  taken.push_back(manager.makeRecord(kMainLoggerId, LOG_INFO));
  EXPECT_EQ(taken.back(), records[kept + LogManager::kPoolMax - 1]);
  EXPECT_EQ(manager.poolSize(), LogManager::kPoolMax - LogManager::kThreadRefill);
  manager.freeRecord(again);
  for (LogRecord* r : taken) manager.freeRecord(r);
}

// The throttle slows producers in proportion to the excess over 20000 and never refuses.
TEST(LogThrottle, DelayGrowsWithTheQueue) {
  EXPECT_EQ(throttleMillis(20000, 0), 0);
  EXPECT_EQ(throttleMillis(30000, 49), 25);  // rate 50: sleeps when the draw is below 50
  EXPECT_EQ(throttleMillis(30000, 50), 0);
  EXPECT_EQ(throttleMillis(40000, 99), 50);  // rate 100: always rate / 2
  EXPECT_EQ(throttleMillis(219999, 0), 499);
  EXPECT_EQ(throttleMillis(220000, 0), 1000);
  EXPECT_EQ(throttleMillis(5000000, 0), 1000);
}

// Without a running writer every setter acts at once, with its own checks.
TEST_F(LogRegistryTest, SettersApplyAtOnceBeforeStart) {
  EXPECT_TRUE(manager.setPath(kMainLoggerId, "logs"));
  EXPECT_EQ(manager.logger(kMainLoggerId).path, "logs/");
  EXPECT_TRUE(manager.setPath(kMainLoggerId, "logs\\"));
  EXPECT_EQ(manager.logger(kMainLoggerId).path, "logs\\");
  EXPECT_FALSE(manager.setName(kMainLoggerId, ""));
  EXPECT_FALSE(manager.setName(3, "x"));  // id beyond lastId
  EXPECT_TRUE(manager.setLimitSize(kMainLoggerId, 0));
  EXPECT_EQ(manager.logger(kMainLoggerId).limitsize.load(), 4294967295u);
  EXPECT_TRUE(manager.setReserve(kMainLoggerId, -5));
  EXPECT_EQ(manager.logger(kMainLoggerId).reserve.load(), 0);
  EXPECT_TRUE(manager.setLevel(kMainLoggerId, LOG_ERROR));
  EXPECT_EQ(manager.logger(kMainLoggerId).level.load(), LOG_ERROR);
  EXPECT_FALSE(manager.setName(kMainLoggerId, std::string(8192, 'n').c_str()));
}

// While the writer runs, lowering the level acts at once; raising it waits for
// the writer, and a record already queued below the new level is dropped by the writer.
TEST_F(LogRegistryTest, QueuedLevelRaiseDropsQueuedRecord) {
  startParked();
  EXPECT_TRUE(manager.setLevel(kMainLoggerId, LOG_TRACE));
  EXPECT_EQ(manager.logger(kMainLoggerId).level.load(), LOG_TRACE);

  EXPECT_TRUE(manager.setLevel(kMainLoggerId, LOG_WARN));
  EXPECT_EQ(manager.logger(kMainLoggerId).level.load(), LOG_TRACE);
  EXPECT_TRUE(manager.acceptsLevel(kMainLoggerId, LOG_INFO));
  EXPECT_TRUE(logFormat(manager, kMainLoggerId, LOG_INFO, "f", 1, "late info"));

  const auto written = manager.totalWriteCount();
  const auto popped = manager.totalPopped();
  clock.advancePoll();
  EXPECT_EQ(manager.logger(kMainLoggerId).level.load(), LOG_WARN);
  EXPECT_EQ(manager.totalPopped(), popped + 1);
  EXPECT_EQ(manager.totalWriteCount(), written);
  EXPECT_EQ(console.all().find("late info"), std::string::npos);
}

// Disabling goes through the queue, enabling acts at once.
TEST_F(LogRegistryTest, EnableActsAtOnceDisableIsQueued) {
  const int id = manager.addLogger("net");
  startParked();
  EXPECT_TRUE(manager.setEnabled(id, false));
  EXPECT_TRUE(manager.isEnabled(id));
  clock.advancePoll();
  EXPECT_FALSE(manager.isEnabled(id));
  EXPECT_FALSE(manager.acceptsLevel(id, LOG_FATAL));
  EXPECT_TRUE(manager.setEnabled(id, true));
  EXPECT_TRUE(manager.isEnabled(id));
  EXPECT_FALSE(manager.isEnabled(7));
}

// The writer announces itself and every enabled logger, and the counters add up.
TEST_F(LogRegistryTest, StartupRecordsAndCounters) {
  manager.addLogger("net");
  manager.setOutFile(kMainLoggerId, false);
  ASSERT_TRUE(manager.start());
  EXPECT_FALSE(manager.start());
  logFormat(manager, kMainLoggerId, LOG_ERROR, "f", 1, "one");
  ASSERT_TRUE(manager.stop());
  EXPECT_FALSE(manager.stop());
  const std::string text = console.all();
  EXPECT_NE(text.find("LOG_ALARM -----------------  logq thread started!   ----------------------------"),
            std::string::npos);
  EXPECT_NE(text.find("logger id=0 key=Main name=Main path=./log/ level=1 display=true"), std::string::npos);
  EXPECT_NE(text.find("logger id=1 key=net name=net path=./log/ level=1 display=true"), std::string::npos);
  EXPECT_NE(text.find("logq already start \r\n"), std::string::npos);
  EXPECT_NE(text.find("logq stopping \r\n"), std::string::npos);
  EXPECT_EQ(manager.totalPushed(), 4u);  // three start-up records and one message
  EXPECT_EQ(manager.totalPopped(), 4u);
  EXPECT_EQ(manager.totalWriteCount(), 4u);
  EXPECT_EQ(manager.poolSize(), 0u);  // stop empties the pool
  EXPECT_FALSE(manager.acceptsLevel(kMainLoggerId, LOG_FATAL));
}

}  // namespace
}  // namespace logq
