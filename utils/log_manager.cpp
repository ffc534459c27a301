#include "utils/log_manager.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>

#include "utils/log_format.h"
#include "utils/process_identity.h"
#include "utils/thread_records.h"

namespace logq {

const char* levelTag(std::int32_t level) {
  static const char* const kTags[] = {"LOG_TRACE", "LOG_DEBUG", "LOG_INFO ", "LOG_WARN ",
                                      "LOG_ERROR", "LOG_ALARM", "LOG_FATAL"};
  return (level >= LOG_TRACE && level <= LOG_FATAL) ? kTags[level] : "LOG_UNKWN";
}

LogEnvironment LogEnvironment::current() {
  return LogEnvironment{&systemClock(), &standardConsole(), currentProcessId(), currentModulePath()};
}

std::string trimText(std::string_view text, std::string_view extra) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  auto trimmed = [&](char c) { return std::strchr("\r\n\t ", c) != nullptr || extra.find(c) != std::string_view::npos; };
  while (!text.empty() && trimmed(text.front())) text.remove_prefix(1);
  while (!text.empty() && trimmed(text.back())) text.remove_suffix(1);
  return std::string(text);
}

ThreadHelper::~ThreadHelper() {
  // The owner stops the thread before this runs; a thread that never ended
  // (a writer that did not start in time and was never stopped) is let go.
  if (thread_.joinable()) thread_.detach();
}

bool ThreadHelper::start() {
  try {
    thread_ = std::thread([this] { run(); });
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void ThreadHelper::wait() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

LogManager::LogManager(LogEnvironment environment)
    : env_(std::move(environment)),
      pid_(formatPid(env_.pid)),
      processName_(processNameFromPath(env_.modulePath)) {
  if (env_.files == nullptr) env_.files = &systemLogFiles();
  ids_.emplace("Main", kMainLoggerId);
  loggers_[kMainLoggerId].key = "Main";
  loggers_[kMainLoggerId].name = "Main";
  loggers_[kMainLoggerId].enable = true;
}

LogManager::~LogManager() {
  if (running()) stop();
  wait();
  for (RecordNode* n = queueHead_.exchange(nullptr); n != nullptr;) {  // records that no writer took
    RecordNode* next = n->next;
    delete n;
    n = next;
  }
  for (LogRecord* r : pool_) deleteRecord(r);
  for (LoggerEntry& entry : loggers_) closeFile(entry);
}

ILogManager& instance() {
  static LogManager manager;
  return manager;
}

int LogManager::addLogger(const char* key) {
  if (key == nullptr) return kNoLogger;
  const std::string trimmed = trimText(key);
  std::lock_guard lock(registryLock_);
  if (auto it = ids_.find(trimmed); it != ids_.end() && it->second != kNoLogger) return it->second;
  const int next = lastId_.load() + 1;
  if (next >= LOGGER_MAX) {
    writeConsole("logq: CreateLogger can not create|writeover, because loggerid need < LOGGER_MAX! \r\n", LOG_FATAL);
    return kNoLogger;
  }
  LoggerEntry& entry = loggers_[next];
  entry.key = trimmed;
  entry.name = trimmed;
  entry.enable = true;
  ids_[trimmed] = next;
  lastId_.store(next, std::memory_order_release);
  return next;
}

int LogManager::lookupLogger(const char* key) {
  if (key == nullptr) return kNoLogger;
  std::lock_guard lock(registryLock_);
  auto it = ids_.find(key);
  return it == ids_.end() ? kNoLogger : it->second;
}

bool LogManager::start() {
  if (running()) {
    writeConsole("logq already start \r\n", LOG_FATAL);
    return false;
  }
  wait();  // a writer of an earlier start has ended; collect it
  started_ = std::make_unique<WakeSignal>();
  if (!ThreadHelper::start()) {
    std::fputs("logq: create logq thread error! \r\n", stdout);
    return false;
  }
  return started_->waitFor(3000);
}

bool LogManager::stop() {
  if (!running()) return false;
  writeConsole("logq stopping \r\n", LOG_FATAL);
  running_.store(false, std::memory_order_release);
  wake_.raise();  // the writer drains and ends now, not when its 100 ms poll runs out
  wait();
  std::lock_guard lock(poolLock_);
  for (LogRecord* r : pool_) deleteRecord(r);
  pool_.clear();
  poolSize_ = 0;
  return true;
}

bool LogManager::acceptsLevel(int id, int level) {
  if (!validId(id) || !running()) return false;
  const LoggerEntry& entry = loggers_[id];
  if (!entry.enable.load(std::memory_order_relaxed) || level < entry.level.load(std::memory_order_relaxed)) {
    return false;
  }
  const std::size_t queued = queueLength();
  if (queued > kThrottleThreshold) throttle(queued);
  return true;
}

int throttleMillis(std::size_t queued, std::uint32_t draw) {
  if (queued <= LogManager::kThrottleThreshold) return 0;
  // The percentage by which the queue exceeds the threshold, in 32-bit unsigned arithmetic.
  const std::uint32_t rate =
      (static_cast<std::uint32_t>(queued) * 100u - static_cast<std::uint32_t>(LogManager::kThrottleThreshold) * 100u) /
      static_cast<std::uint32_t>(LogManager::kThrottleThreshold);
  if (rate >= 1000) return 1000;
  if (rate >= 100) return static_cast<int>(rate / 2);
  return draw < rate ? static_cast<int>(rate / 2) : 0;
}

// Slows a producer down; the message itself is always accepted.
void LogManager::throttle(std::size_t queued) {
  thread_local std::minstd_rand random(std::random_device{}());
  const int millis = throttleMillis(queued, static_cast<std::uint32_t>(random() % 100));
  if (millis > 0) env_.clock->sleepMillis(millis);
}

void LogManager::releaseThreadRecords() {
  std::vector<LogRecord*>& own = threadRecords();
  for (LogRecord* r : own) deleteRecord(r);
  own.clear();
}

LogRecord* LogManager::makeRecord(int id, int level) {
  // Most records come from the thread's own; an empty one is refilled from
  // the pool a few at a time, under one lock.
  std::vector<LogRecord*>& own = threadRecords();
  if (own.empty() && poolSize() != 0) {
    std::lock_guard lock(poolLock_);
    const std::size_t taken = std::min(kThreadRefill, pool_.size());
    own.insert(own.end(), pool_.end() - static_cast<std::ptrdiff_t>(taken), pool_.end());
    pool_.resize(pool_.size() - taken);
    poolSize_ = pool_.size();
  }
  LogRecord* record = nullptr;
  if (!own.empty()) {
    record = own.back();
    own.pop_back();
    if (!own.empty()) prefetchNodeForWriting(own.back());  // the next call's record
  } else {
    record = newRecord();
  }
  record->loggerId = id;
  record->level = level;
  record->kind = kMessage;
  record->changeValue = 0;
  record->length = 0;

  const std::int64_t millis = env_.clock->nowMillis();
  record->time = millis / 1000;
  record->millis = static_cast<std::uint32_t>(millis - record->time * 1000);

  // The date and time up to the second change once a second: each thread
  // keeps the last one it formatted, which spares a local-time conversion per record.
  struct HeaderCache {
    const Clock* clock = nullptr;
    std::int64_t seconds = -1;
    char text[32];
    int length = 0;
  };
  thread_local HeaderCache cache;
  if (cache.clock != env_.clock || cache.seconds != record->time) {
    LocalTime local;
    if (!env_.clock->toLocal(record->time, local)) return record;
    const int n = std::snprintf(cache.text, sizeof cache.text, "%d-%02d-%02d %02d:%02d:%02d.", local.year,
                                local.month, local.day, local.hour, local.minute, local.second);
    if (n <= 0 || n >= static_cast<int>(sizeof cache.text)) {
      cache.clock = nullptr;
      return record;
    }
    cache.clock = env_.clock;
    cache.seconds = record->time;
    cache.length = n;
  }
  // "%03u %s " after the cached part: milliseconds, the nine-character tag, a blank.
  char* out = record->content;
  std::memcpy(out, cache.text, static_cast<std::size_t>(cache.length));
  out += cache.length;
  const std::uint32_t ms = record->millis % 1000;
  *out++ = static_cast<char>('0' + ms / 100);
  *out++ = static_cast<char>('0' + ms / 10 % 10);
  *out++ = static_cast<char>('0' + ms % 10);
  *out++ = ' ';
  std::memcpy(out, levelTag(level), 9);
  out += 9;
  *out++ = ' ';
  *out = '\0';
  record->length = static_cast<std::int32_t>(out - record->content);
  return record;
}

// Appends " <base name of file>:<line>" within the space left, keeping the
// text terminated (what snprintf(" %s:%d") would write, without its cost).
void appendCallSite(LogRecord& record, const char* file, int line) {
  const char* base = baseNameOf(file);
  char digits[12];
  char* d = digits + sizeof digits;
  unsigned magnitude = line < 0 ? 0u - static_cast<unsigned>(line) : static_cast<unsigned>(line);
  do {
    *--d = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (line < 0) *--d = '-';

  char* out = record.content + record.length;
  char* const last = record.content + kContentSize - 1;  // room for the terminating zero
  auto put = [&](char c) {
    if (out < last) *out++ = c;
  };
  put(' ');
  for (const char* p = base; *p != '\0' && out < last; ++p) put(*p);
  put(':');
  for (const char* p = d; p != digits + sizeof digits; ++p) put(*p);
  *out = '\0';
  record.length = static_cast<std::int32_t>(out - record.content);
}

bool LogManager::acceptsForQueue(LogRecord* record) {
  if (record == nullptr) return false;
  const int id = record->loggerId;
  if (!validId(id) || !running() || !loggers_[id].enable.load(std::memory_order_relaxed) ||
      record->level < loggers_[id].level.load(std::memory_order_relaxed)) {
    freeRecord(record);
    return false;
  }
  return true;
}

bool LogManager::submitFormatted(LogRecord* record) {
  if (!acceptsForQueue(record)) return false;
  record->length = std::clamp(record->length, 0, kContentSize);
  pushRecord(record, true);
  return true;
}

bool LogManager::submitRecord(LogRecord* record, const char* file, int line) {
  if (!acceptsForQueue(record)) return false;
  const int id = record->loggerId;
  std::int32_t& length = record->length;
  length = std::clamp(length, 0, kContentSize);
  if (loggers_[id].fileline.load(std::memory_order_relaxed) && file != nullptr && length < kContentSize) {
    appendCallSite(*record, file, line);
  }
  if (length < 3) length = 3;
  if (length + 3 <= kContentSize) length += 3;
  record->content[length - 1] = '\0';
  record->content[length - 2] = '\n';
  record->content[length - 3] = '\r';
  length -= 1;
  pushRecord(record, true);
  return true;
}

// Producers push onto a lock-free stack, newest first, and never wait for
// one another or for the writer: one compare-and-swap on the head (where a
// lock and a vector shared with the writer made each push meet the writer's
// cache lines and, now and then, its lock). The length is counted before the record is pushed, so
// that it never drops below what the queue holds.
void LogManager::pushRecord(LogRecord* record, bool countPushed) {
  const std::size_t queued = queueLength_.fetch_add(1, std::memory_order_relaxed) + 1;
  if (countPushed) pushed_.fetch_add(1, std::memory_order_relaxed);
  RecordNode* node = nodeOf(record);
  node->next = queueHead_.load(std::memory_order_relaxed);
  while (!queueHead_.compare_exchange_weak(node->next, node, std::memory_order_release, std::memory_order_relaxed)) {
  }
  // Read before it is exchanged: under a flood it stays raised, and a read
  // leaves its cache line shared where an exchange would take it over.
  if (queued >= kWakeMark && !wakePending_.load(std::memory_order_relaxed) && !wakePending_.exchange(true)) {
    wake_.raise();
  }
}

// The whole stack at once, turned back into the order it was pushed in.
void LogManager::takeQueue(std::vector<LogRecord*>& batch) {
  batch.clear();
  for (RecordNode* n = queueHead_.exchange(nullptr, std::memory_order_acquire); n != nullptr; n = n->next) {
    batch.push_back(&n->record);
  }
  std::reverse(batch.begin(), batch.end());
  queueLength_.fetch_sub(batch.size(), std::memory_order_relaxed);
}

void LogManager::returnToPool(std::vector<LogRecord*>& records) {
  // Under load the pool keeps as many records as the writer has just
  // handled: the producers need that many again before the next batch, and
  // reuse them instead of allocating (and faulting in) fresh ones. A batch of
  // fewer, and every idle poll, brings it back to kPoolMax. The records kept
  // were the queue's a moment ago: the peak memory does not grow.
  const std::size_t limit = std::max(kPoolMax, records.size());
  if (records.empty() && poolSize() <= limit) return;
  {
    std::lock_guard lock(poolLock_);
    std::size_t kept = 0;
    while (kept < records.size() && pool_.size() < limit) pool_.push_back(records[kept++]);
    records.erase(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(kept));
    while (pool_.size() > limit) {
      records.push_back(pool_.back());
      pool_.pop_back();
    }
    poolSize_ = pool_.size();
  }
  for (LogRecord* r : records) deleteRecord(r);  // outside the lock
  records.clear();
}

void LogManager::freeRecord(LogRecord* record) {
  if (record == nullptr) return;
  std::vector<LogRecord*>& own = threadRecords();
  if (own.size() < kThreadRecordsMax) {
    own.push_back(record);
    return;
  }
  if (poolSize() >= kPoolMax) {
    deleteRecord(record);
    return;
  }
  std::lock_guard lock(poolLock_);
  pool_.push_back(record);
  poolSize_ = pool_.size();
}

bool LogManager::setEnabled(int id, bool enabled) {
  if (!validId(id)) return false;
  if (enabled) {
    loggers_[id].enable = true;
    return true;
  }
  return queueChange(id, kChangeEnabled, 0, {});
}

bool LogManager::setName(int id, const char* name) {
  if (!validId(id) || name == nullptr || *name == '\0') return false;
  return queueChange(id, kChangeName, 0, name);
}

bool LogManager::setPath(int id, const char* path) {
  if (!validId(id) || path == nullptr || *path == '\0') return false;
  std::string text(path);
  if (text.back() != '\\' && text.back() != '/') text += '/';
  return queueChange(id, kChangePath, 0, text);
}

bool LogManager::setLevel(int id, int level) {
  if (!validId(id)) return false;
  if (level <= loggers_[id].level.load()) {
    loggers_[id].level = level;
    return true;
  }
  return queueChange(id, kChangeLevel, level, {});
}

bool LogManager::setFileLine(int id, bool on) { return queueChange(id, kChangeFileLine, on ? 1 : 0, {}); }
bool LogManager::setDisplay(int id, bool on) { return queueChange(id, kChangeDisplay, on ? 1 : 0, {}); }
bool LogManager::setOutFile(int id, bool on) { return queueChange(id, kChangeOutFile, on ? 1 : 0, {}); }
bool LogManager::setMonthDir(int id, bool on) { return queueChange(id, kChangeMonthDir, on ? 1 : 0, {}); }

bool LogManager::setLimitSize(int id, std::uint32_t megabytes) {
  // 0 means "no practical limit"; the value travels as the record's 32-bit number.
  const std::uint32_t limit = megabytes == 0 ? 4294967295u : megabytes;
  return queueChange(id, kChangeLimitSize, static_cast<std::int32_t>(limit), {});
}

bool LogManager::setReserve(int id, std::int64_t seconds) {
  return queueChange(id, kChangeReserve, static_cast<std::int32_t>(static_cast<std::uint32_t>(seconds)), {});
}

bool LogManager::setReloadInterval(int seconds) {
  reloadInterval_ = seconds;
  return true;
}

bool LogManager::queueChange(int id, ChangeKind kind, std::int32_t value, std::string_view text) {
  if (!validId(id) || text.size() >= static_cast<std::size_t>(kContentSize)) return false;
  if (!running()) return applyChange(id, kind, value, text);
  LogRecord* record = makeRecord(id, LOG_DEBUG);
  record->kind = kind;
  record->changeValue = value;
  if (!text.empty()) std::memcpy(record->content, text.data(), text.size());
  record->content[text.size()] = '\0';
  record->length = static_cast<std::int32_t>(text.size());
  pushRecord(record, false);
  return true;
}

bool LogManager::applyChange(int id, std::int32_t kind, std::int32_t value, std::string_view text) {
  if (!validId(id)) return false;
  LoggerEntry& entry = loggers_[id];
  switch (kind) {
    case kChangeEnabled: entry.enable = value != 0; break;
    case kChangeName: entry.name = text; break;
    case kChangePath: entry.path = text; break;
    case kChangeLevel: entry.level = value; break;
    case kChangeFileLine: entry.fileline = value != 0; break;
    case kChangeDisplay: entry.display = value != 0; break;
    case kChangeOutFile: entry.outfile = value != 0; break;
    case kChangeLimitSize: entry.limitsize = static_cast<std::uint32_t>(value); break;
    case kChangeMonthDir: entry.monthdir = value != 0; break;
    case kChangeReserve: entry.reserve = value >= 0 ? value : 0; break;
    default: break;
  }
  return true;
}

bool LogManager::isEnabled(int id) { return validId(id) && loggers_[id].enable.load(); }
std::uint64_t LogManager::totalWriteCount() { return writeCount_.load(); }
std::uint64_t LogManager::totalWriteBytes() { return writeBytes_.load(); }
std::uint64_t LogManager::totalPushed() { return pushed_.load(); }
std::uint64_t LogManager::totalPopped() { return popped_.load(); }

std::uint32_t LogManager::activeLoggerCount() {
  std::uint32_t count = 0;
  const int last = lastId_.load(std::memory_order_acquire);
  for (int id = 0; id <= last; ++id) {
    if (loggers_[id].enable.load()) ++count;
  }
  return count;
}

}  // namespace logq
