#include "utils/thread_records.h"

#include <windows.h>

namespace logq {
namespace {

// Not a thread_local object: MinGW runs such an object's destructor after the
// ending thread's TLS block is gone (it freed garbage). Fiber-local storage
// calls back while the thread still has its data.
void WINAPI releaseRecords(void* data) {
  auto* records = static_cast<std::vector<LogRecord*>*>(data);
  if (records == nullptr) return;
  for (LogRecord* r : *records) deleteRecord(r);
  delete records;
}

DWORD recordsSlot() {
  static const DWORD slot = FlsAlloc(&releaseRecords);
  return slot;
}

}  // namespace

std::vector<LogRecord*>& threadRecords() {
  const DWORD slot = recordsSlot();
  if (slot == FLS_OUT_OF_INDEXES) {
    // No slot to be had: the thread's list outlives it (a few records at most).
    thread_local std::vector<LogRecord*>* unowned = new std::vector<LogRecord*>;
    return *unowned;
  }
  auto* records = static_cast<std::vector<LogRecord*>*>(FlsGetValue(slot));
  if (records == nullptr) {
    records = new std::vector<LogRecord*>;
    FlsSetValue(slot, records);
  }
  return *records;
}

}  // namespace logq
