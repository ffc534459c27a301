#include "utils/thread_records.h"

namespace logq {
namespace {

struct ThreadRecords {
  std::vector<LogRecord*> free;
  ~ThreadRecords() {
    for (LogRecord* r : free) deleteRecord(r);
  }
};

}  // namespace

std::vector<LogRecord*>& threadRecords() {
  thread_local ThreadRecords records;
  return records.free;
}

}  // namespace logq
