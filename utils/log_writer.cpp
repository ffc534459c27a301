// The writer thread: the one consumer of the record queue.
#include <cstdio>
#include <cstring>
#include <memory>

#include "utils/log_format.h"
#include "utils/log_manager.h"

namespace logq {
namespace {

constexpr char kSource[] = "utils/log_writer";
constexpr int kPollMillis = 100;
// How many records ahead of the one being written the writer asks for.
constexpr std::size_t kPrefetchAhead = 2;
// A file's stream buffer: a burst reaches the disk in writes of this size.
constexpr std::size_t kFileBufferBytes = 64 * 1024;

// Console character attributes by level (blue 1, green 2, red 4).
std::uint16_t levelColour(int level) {
  switch (level) {
    case LOG_INFO: return 3;
    case LOG_WARN: return 6;
    case LOG_ERROR: return 4;
    case LOG_ALARM: return 2;
    default: return 5;  // LOG_FATAL
  }
}


}  // namespace

void LogManager::writeConsole(std::string_view text, int level) {
  if (level < LOG_INFO || level > LOG_FATAL) {
    env_.console->writePlain(text);
    return;
  }
  std::lock_guard lock(consoleLock_);
  env_.console->writeColoured(text, levelColour(level));
}

void LogManager::logStartup() {
  if (flavour_ != nullptr) {
    // The flavour's own record form, same texts.
    flavour_->startupLine("-----------------  logq thread started!   ----------------------------", kSource, __LINE__);
    const int last = lastId_.load(std::memory_order_acquire);
    for (int id = 0; id <= last; ++id) {
      const LoggerEntry& entry = loggers_[id];
      if (!entry.enable.load()) continue;
      const std::string line = "logger id=" + std::to_string(id) + " key=" + entry.key + " name=" + entry.name +
                               " path=" + entry.path + " level=" + std::to_string(entry.level.load()) +
                               " display=" + (entry.display.load() ? "true" : "false");
      flavour_->startupLine(line, kSource, __LINE__);
    }
    return;
  }
  if (acceptsLevel(kMainLoggerId, LOG_ALARM)) {
    LogRecord* record = makeRecord(kMainLoggerId, LOG_ALARM);
    appendText(*record, "-----------------  logq thread started!   ----------------------------");
    submitRecord(record, kSource, __LINE__);
  }
  const int last = lastId_.load(std::memory_order_acquire);
  for (int id = 0; id <= last; ++id) {
    const LoggerEntry& entry = loggers_[id];
    if (!entry.enable.load() || !acceptsLevel(kMainLoggerId, LOG_ALARM)) continue;
    LogRecord* record = makeRecord(kMainLoggerId, LOG_ALARM);
    appendText(*record, "logger id=");
    appendNumber(*record, id);
    appendText(*record, " key=");
    appendText(*record, entry.key);
    appendText(*record, " name=");
    appendText(*record, entry.name);
    appendText(*record, " path=");
    appendText(*record, entry.path);
    appendText(*record, " level=");
    appendNumber(*record, entry.level.load());
    appendText(*record, " display=");
    appendText(*record, entry.display.load() ? "true" : "false");
    submitRecord(record, kSource, __LINE__);
  }
}

void LogManager::run() {
  running_.store(true, std::memory_order_release);
  logStartup();
  started_->raise();

  std::int32_t flushCounters[LOGGER_MAX] = {};
  std::int64_t lastReload = env_.clock->nowMillis() / 1000;
  std::vector<LogRecord*> batch;
  std::vector<LogRecord*> done;
  for (;;) {
    // Until the queue is empty: the records come oldest first, a batch at a time.
    bool handled = false;
    for (takeQueue(batch); !batch.empty(); takeQueue(batch)) {
      BatchCounts counts;
      for (std::size_t i = 0; i < batch.size(); ++i) {
        if (i + kPrefetchAhead < batch.size()) prefetchNodeForReading(batch[i + kPrefetchAhead]);
        handleRecord(batch[i], flushCounters, done, counts);
      }
      popped_.fetch_add(counts.popped, std::memory_order_relaxed);
      writeCount_.fetch_add(counts.written, std::memory_order_relaxed);
      writeBytes_.fetch_add(counts.bytes, std::memory_order_relaxed);
      returnToPool(done);
      handled = true;
    }
    if (!handled) returnToPool(done);  // an idle poll: the pool shrinks back to kPoolMax
    flushBurst(flushCounters);
    env_.clock->pollSleep(kPollMillis, wake_);
    wakePending_.store(false);
    if (!running() && queueLength() == 0) break;
    const std::int64_t now = env_.clock->nowMillis() / 1000;
    const std::int32_t interval = reloadInterval_.load();
    if (interval != 0 && now - lastReload > static_cast<std::int64_t>(interval)) {
      reloadConfig();
      lastReload = now;
    }
  }

  const int last = lastId_.load(std::memory_order_acquire);
  for (int id = 0; id <= last; ++id) {
    if (!loggers_[id].enable.load()) continue;
    loggers_[id].enable = false;
    closeLogger(id);
  }
}

void LogManager::handleRecord(LogRecord* record, std::int32_t* flushCounters, std::vector<LogRecord*>& done,
                              BatchCounts& counts) {
  done.push_back(record);
  const int id = record->loggerId;
  if (!validId(id)) return;
  LoggerEntry& entry = loggers_[id];
  if (record->kind != kMessage) {
    applyChange(id, record->kind, record->changeValue,
                std::string_view(record->content, static_cast<std::size_t>(std::max(record->length, 0))));
    closeFile(entry);
    return;
  }
  ++counts.popped;
  if (!entry.enable.load() || record->level < entry.level.load()) return;
  const std::size_t length = static_cast<std::size_t>(record->length);
  if (entry.display.load()) writeConsole(std::string_view(record->content, length), record->level);
  if (flavour_ != nullptr) flavour_->echo(std::string_view(record->content, length));
  if (entry.outfile.load()) {
    if (!openLogger(*record)) return;
    if (entry.file != nullptr && length != 0) {
      if (std::fwrite(record->content, 1, length, entry.file) < length) fileFailed(entry);
    }
    entry.writtenBytes += length;
    ++flushCounters[id];
  }
  ++counts.written;
  counts.bytes += length;
}

void LogManager::flushBurst(std::int32_t* flushCounters) {
  const int last = lastId_.load(std::memory_order_acquire);
  for (int id = 0; id <= last; ++id) {
    LoggerEntry& entry = loggers_[id];
    if (entry.enable.load()) {
      if (flushCounters[id] > 0) {
        if (entry.file != nullptr) {
          if (std::fflush(entry.file) == 0) {
            entry.failing = false;
          } else {
            fileFailed(entry);
          }
        }
        flushCounters[id] = 0;
      }
    } else {
      closeFile(entry);
    }
  }
}

bool LogManager::openLogger(const LogRecord& record) {
  const int id = record.loggerId;
  if (!validId(id)) {
    writeConsole("logq: openLogger can not open, invalide logger id! \r\n", LOG_FATAL);
    return false;
  }
  LoggerEntry& entry = loggers_[id];
  if (!entry.enable.load() || !entry.outfile.load() || record.level < entry.level.load()) return false;

  const LocalTime& now = localTimeOf(record.time, 0);
  const LocalTime& opened = localTimeOf(entry.fileCreateTime, 1);
  const bool sameDay = now.year == opened.year && now.dayOfYear == opened.dayOfYear;
  const bool dayRoll = flavour_ == nullptr || flavour_->dayRoll();
  // The limit is computed in 64 bits: a 32-bit product wraps for 4096 MB and
  // more and would roll the file before every record.
  const std::uint64_t limit = static_cast<std::uint64_t>(entry.limitsize.load()) * 1048576u;
  if (!sameDay && dayRoll) {
    entry.fileIndex = 0;
    closeFile(entry);
  } else if (entry.writtenBytes > limit) {
    // Without the day roll, a file that outlived its day starts the count again.
    entry.fileIndex = sameDay ? entry.fileIndex + 1 : 0;
    closeFile(entry);
  }
  if (entry.file != nullptr) return true;

  entry.fileCreateTime = record.time;
  entry.writtenBytes = 0;
  char folderPart[500] = "";
  const bool monthFolder = flavour_ == nullptr ? entry.monthdir.load() : flavour_->monthFolder();
  if (monthFolder) std::snprintf(folderPart, sizeof folderPart, "%04d_%02d/", now.year, now.month);
  const std::string folder = entry.path + folderPart;

  char name[500];
  if (flavour_ != nullptr) {
    std::snprintf(name, sizeof name, "%s", flavour_->fileName(entry.name, entry.fileIndex).c_str());
  } else {
    std::snprintf(name, sizeof name, "%s_%s_%04d%02d%02d%02d%02d_%s_%03u.log", processName_.c_str(),
                  entry.name.c_str(), now.year, now.month, now.day, now.hour, now.minute, pid_.c_str(),
                  entry.fileIndex);
  }
  const std::string fullPath = folder + name;
  const LogFileOpening opening = env_.files->openForAppend(folder, name);
  if (!opening.link.empty()) {
    // The records still reach the console; no file is written through the link.
    writeConsole("logq: " + opening.link + " is a link or leads elsewhere: the log file " + fullPath +
                     " is not written \r\n",
                 LOG_FATAL);
    entry.outfile = false;
    return false;
  }
  entry.file = opening.file;
  if (entry.file != nullptr) {
    if (!entry.fileBuffer) entry.fileBuffer = std::make_unique_for_overwrite<char[]>(kFileBufferBytes);
    std::setvbuf(entry.file, entry.fileBuffer.get(), _IOFBF, kFileBufferBytes);
  }
  if (entry.file == nullptr) {
    writeConsole("!!!!!!!!!!!!!!!!!!!!!!!!!! \r\n", LOG_FATAL);
    char message[1100];
    std::snprintf(message, sizeof message, "logq: can not open log file %s. \r\n", fullPath.c_str());
    writeConsole(message, LOG_FATAL);
    writeConsole("!!!!!!!!!!!!!!!!!!!!!!!!!! \r\n", LOG_FATAL);
    entry.outfile = false;
    return false;
  }

  const std::int64_t reserve = entry.reserve.load();
  if (reserve > 0) {
    const std::int64_t nowSeconds = env_.clock->nowMillis() / 1000;
    if (entry.history.size() > 7) {
      while (!entry.history.empty() && entry.history.front().first < nowSeconds - reserve) {
        std::remove(entry.history.front().second.c_str());
        entry.history.erase(entry.history.begin());
      }
    }
    entry.history.emplace_back(nowSeconds, fullPath);
  }
  return true;
}

// Local time of `seconds`, converted once per distinct second in each of two slots.
const LocalTime& LogManager::localTimeOf(std::int64_t seconds, int slot) {
  CachedLocalTime& cached = writerTimes_[slot];
  if (cached.seconds != seconds) {
    cached.local = LocalTime{};
    env_.clock->toLocal(seconds, cached.local);
    cached.seconds = seconds;
  }
  return cached.local;
}

void LogManager::closeLogger(int id) {
  if (!validId(id)) {
    writeConsole("logq: closeLogger can not close, invalide logger id! \r\n", LOG_FATAL);
    return;
  }
  closeFile(loggers_[id]);
}

// A full disk or a lost volume: the records of the burst that failed are
// gone. The file is closed and opened again by the naming rules at the next
// record, so writing resumes as soon as the disk takes it; the console hears
// of it once per spell of failures, not once per record.
void LogManager::fileFailed(LoggerEntry& entry) {
  closeFile(entry);
  if (entry.failing) return;
  entry.failing = true;
  writeConsole("logq: writing the log file failed; records are lost until it can be written again \r\n", LOG_ALARM);
}

void LogManager::closeFile(LoggerEntry& entry) {
  if (entry.file == nullptr) return;
  std::fclose(entry.file);
  entry.file = nullptr;
}

}  // namespace logq
