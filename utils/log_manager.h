// The logger: a registry of up to LOGGER_MAX named loggers, a queue of records
// filled by callers on any thread, and one writer thread that prints them to
// the console and appends them to rolling log files.
//
// Threads: every operation may be called from any thread. `queueLock_` guards
// the queue, `poolLock_` the pool of free records; each producer thread also
// keeps a few free records of its own (see makeRecord). While the writer runs, attribute changes travel
// through the queue so that they take effect in order with the records around
// them; enabling a logger and lowering its level act at once. The writer alone
// touches the file fields of the entries.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "utils/console_output.h"
#include "utils/ilog_manager.h"
#include "utils/log_clock.h"
#include "utils/log_files.h"
#include "utils/log_flavour.h"
#include "utils/log_levels.h"
#include "utils/record_node.h"
#include "utils/wake_signal.h"

namespace logq {

// What the manager takes from the process it runs in.
struct LogEnvironment {
  Clock* clock = nullptr;
  ConsoleOutput* console = nullptr;
  std::uint32_t pid = 0;
  std::string modulePath;
  LogFiles* files = nullptr;  // null: the platform's (systemLogFiles)

  static LogEnvironment current();
};

struct LoggerEntry {
  std::string key;
  std::string name;
  std::string path = "./log/";
  std::atomic<std::int32_t> level{LOG_DEBUG};
  std::atomic<bool> display{true};
  std::atomic<bool> outfile{true};
  std::atomic<bool> monthdir{false};
  std::atomic<std::uint32_t> limitsize{100};
  std::atomic<bool> enable{false};
  std::atomic<bool> fileline{true};
  std::atomic<std::int64_t> reserve{0};
  // The writer thread's own.
  std::int64_t fileCreateTime = 0;
  std::uint32_t fileIndex = 0;
  std::uint64_t writtenBytes = 0;
  std::FILE* file = nullptr;
  // The file's stream buffer, kept from one file to the next. Handed over
  // explicitly: glibc's setvbuf ignores the size asked for with no buffer of
  // its own and leaves a 4 KB one, a write system call every 30 records.
  std::unique_ptr<char[]> fileBuffer;
  bool failing = false;  // a write or flush failed and none has worked since
  std::vector<std::pair<std::int64_t, std::string>> history;
};

// Runs the virtual `run` on a thread of its own.
class ThreadHelper {
 public:
  virtual ~ThreadHelper();
  virtual void run() = 0;

  bool start();
  void wait();

 private:
  std::thread thread_;
};

class LogManager final : public ThreadHelper, public ILogManager {
 public:
  explicit LogManager(LogEnvironment environment = LogEnvironment::current());
  ~LogManager() override;
  LogManager(const LogManager&) = delete;
  LogManager& operator=(const LogManager&) = delete;

  bool loadConfigFile(const char* path) override;
  bool loadConfigText(const char* text) override;
  int addLogger(const char* key) override;
  bool start() override;
  bool stop() override;
  int lookupLogger(const char* key) override;
  bool acceptsLevel(int id, int level) override;
  bool submitRecord(LogRecord* record, const char* file, int line) override;
  bool setEnabled(int id, bool enabled) override;
  bool setName(int id, const char* name) override;
  bool setPath(int id, const char* path) override;
  bool setLevel(int id, int level) override;
  bool setFileLine(int id, bool on) override;
  bool setDisplay(int id, bool on) override;
  bool setOutFile(int id, bool on) override;
  bool setLimitSize(int id, std::uint32_t megabytes) override;
  bool setMonthDir(int id, bool on) override;
  bool setReserve(int id, std::int64_t seconds) override;
  bool setReloadInterval(int seconds) override;
  bool reloadConfig() override;
  bool isEnabled(int id) override;
  std::uint64_t totalWriteCount() override;
  std::uint64_t totalWriteBytes() override;
  std::uint64_t totalPushed() override;
  std::uint64_t totalPopped() override;
  std::uint32_t activeLoggerCount() override;
  LogRecord* makeRecord(int id, int level) override;
  void freeRecord(LogRecord* record) override;
  // Deletes the free records the calling thread keeps (they go when it ends anyway).
  static void releaseThreadRecords();

  // Installs a flavour (not owned; null for none) before the writer starts.
  void setFlavour(LogFlavour* flavour) { flavour_ = flavour; }
  // Queues a record whose text is complete as it stands (a flavour's own
  // form): no call site and no line end are added. Drops it and returns
  // false where submitRecord would.
  bool submitFormatted(LogRecord* record);
  Clock& clock() const { return *env_.clock; }

  // The writer thread's body.
  void run() override;

  // Prints `text` in the colour of `level` (see log_writer.cpp).
  void writeConsole(std::string_view text, int level);

  bool running() const { return running_.load(std::memory_order_acquire); }
  std::size_t queueLength() const { return queueLength_.load(std::memory_order_relaxed); }
  std::size_t poolSize() const { return poolSize_.load(std::memory_order_relaxed); }
  const std::string& processName() const { return processName_; }
  const std::string& pid() const { return pid_; }
  // Read-only view of an entry (0 <= id < LOGGER_MAX) for diagnostics and tests.
  const LoggerEntry& logger(int id) const { return loggers_[id]; }

  // Upper bound of pooled free records.
  static constexpr std::size_t kPoolMax = 200;
  // Free records a producer thread keeps, and how many it takes from the pool at once.
  static constexpr std::size_t kThreadRecordsMax = 32;
  static constexpr std::size_t kThreadRefill = 16;
  // Queue length above which producers are slowed down.
  static constexpr std::size_t kThrottleThreshold = 20000;
  // Queue length at which a producer wakes the writer before its 100 ms poll
  // ends, so that under load records recycle through the pool instead of
  // piling up (a queued record is 8 KB).
  static constexpr std::size_t kWakeMark = 128;

 private:
  bool validId(int id) const { return id >= 0 && id <= lastId_.load(std::memory_order_acquire); }
  bool queueChange(int id, ChangeKind kind, std::int32_t value, std::string_view text);
  bool applyChange(int id, std::int32_t kind, std::int32_t value, std::string_view text);
  void pushRecord(LogRecord* record, bool countPushed);
  // Takes every queued record, oldest first, into `batch` (emptied first).
  void takeQueue(std::vector<LogRecord*>& batch);
  void returnToPool(std::vector<LogRecord*>& records);
  const LocalTime& localTimeOf(std::int64_t seconds, int slot);
  void throttle(std::size_t queued);
  void logStartup();
  // Handles one record; a record that is done with goes to `done`.
  // What a batch adds to the counters, added once per batch.
  struct BatchCounts {
    std::uint64_t popped = 0, written = 0, bytes = 0;
  };
  void handleRecord(LogRecord* record, std::int32_t* flushCounters, std::vector<LogRecord*>& done,
                    BatchCounts& counts);
  void flushBurst(std::int32_t* flushCounters);
  bool openLogger(const LogRecord& record);
  void closeLogger(int id);
  void closeFile(LoggerEntry& entry);
  void fileFailed(LoggerEntry& entry);
  bool applyConfig(std::string_view text, bool onlyExisting);
  bool readConfigOrComplain(const std::string& path, std::string& text);

  // Drops `record` unless its logger is in use, enabled and at its level, and the writer runs.
  bool acceptsForQueue(LogRecord* record);

  LogEnvironment env_;
  LogFlavour* flavour_ = nullptr;
  std::atomic<bool> running_{false};
  std::unique_ptr<WakeSignal> started_;  // new for each start: a late signal of a failed one is not taken
  std::atomic<std::int32_t> reloadInterval_{0};
  std::uint32_t checksum_ = 0;
  std::string pid_;
  std::string processName_;
  std::string configFile_;

  std::mutex registryLock_;  // ids_ and the creation of loggers
  std::map<std::string, int> ids_;
  std::atomic<int> lastId_{0};
  LoggerEntry loggers_[LOGGER_MAX];

  // What every push changes, on a cache line of its own.
  alignas(64) std::atomic<RecordNode*> queueHead_{nullptr};  // the newest record; the writer takes them all
  std::atomic<std::size_t> queueLength_{0};  // at least what the queue holds
  std::atomic<std::uint64_t> pushed_{0};
  alignas(64) std::mutex poolLock_;
  std::vector<LogRecord*> pool_;
  std::atomic<std::size_t> poolSize_{0};  // mirrors the pool's size, read without the lock

  std::mutex consoleLock_;

  WakeSignal wake_;
  std::atomic<bool> wakePending_{false};
  struct CachedLocalTime {
    std::int64_t seconds = -1;
    LocalTime local;
  };
  CachedLocalTime writerTimes_[2];  // the writer's: record times, file opening times

  std::atomic<std::uint64_t> writeCount_{0};
  std::atomic<std::uint64_t> writeBytes_{0};
  std::atomic<std::uint64_t> popped_{0};
};

// How long a producer sleeps when `queued` records wait, given a random draw
// from 0 to 99: nothing up to the threshold, then in proportion to the excess.
int throttleMillis(std::size_t queued, std::uint32_t draw);

// Appends the call site, " <base name>:<line>", as far as it fits.
void appendCallSite(LogRecord& record, const char* file, int line);

// Trims a UTF-8 byte-order mark, then every leading and trailing character of
// "\r\n\t " and of `extra`.
std::string trimText(std::string_view text, std::string_view extra = {});

}  // namespace logq
