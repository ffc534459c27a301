// The free records a producer thread keeps (see LogManager::makeRecord).
// Records are plain blocks, alike for every manager, so one list serves
// whichever manager the thread logs to; the records are deleted when the
// thread ends.
#pragma once

#include <vector>

#include "utils/log_record.h"
#include "utils/record_node.h"

namespace logq {

// The calling thread's list, made on first use.
std::vector<LogRecord*>& threadRecords();

}  // namespace logq
