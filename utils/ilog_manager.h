// The logger's interface. The slot order of the operations is part of the
// contract: keep it.
#pragma once

#include <cstdint>

#include "utils/log_record.h"

namespace logq {

class ILogManager {
 public:
  virtual ~ILogManager() = default;

  virtual bool loadConfigFile(const char* path) = 0;                           // 1
  virtual bool loadConfigText(const char* text) = 0;                           // 2
  virtual int addLogger(const char* key) = 0;                                  // 3
  virtual bool start() = 0;                                                    // 4
  virtual bool stop() = 0;                                                     // 5
  virtual int lookupLogger(const char* key) = 0;                               // 6
  virtual bool acceptsLevel(int id, int level) = 0;                            // 7
  virtual bool submitRecord(LogRecord* record, const char* file, int line) = 0;  // 8
  virtual bool setEnabled(int id, bool enabled) = 0;                           // 9
  virtual bool setName(int id, const char* name) = 0;                          // 10
  virtual bool setPath(int id, const char* path) = 0;                          // 11
  virtual bool setLevel(int id, int level) = 0;                                // 12
  virtual bool setFileLine(int id, bool on) = 0;                               // 13
  virtual bool setDisplay(int id, bool on) = 0;                                // 14
  virtual bool setOutFile(int id, bool on) = 0;                                // 15
  virtual bool setLimitSize(int id, std::uint32_t megabytes) = 0;              // 16
  virtual bool setMonthDir(int id, bool on) = 0;                               // 17
  virtual bool setReserve(int id, std::int64_t seconds) = 0;                   // 18
  virtual bool setReloadInterval(int seconds) = 0;                             // 19
  virtual bool reloadConfig() = 0;                                             // 20
  virtual bool isEnabled(int id) = 0;                                          // 21
  virtual std::uint64_t totalWriteCount() = 0;                                 // 22
  virtual std::uint64_t totalWriteBytes() = 0;                                 // 23
  virtual std::uint64_t totalPushed() = 0;                                     // 24
  virtual std::uint64_t totalPopped() = 0;                                     // 25
  virtual std::uint32_t activeLoggerCount() = 0;                               // 26
  virtual LogRecord* makeRecord(int id, int level) = 0;                        // 27
  virtual void freeRecord(LogRecord* record) = 0;                              // 28
};

// The process's one manager, created on first use.
ILogManager& instance();

}  // namespace logq
