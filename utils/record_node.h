// A record as the manager allocates it: the link that chains it into the
// writer's queue, then the record callers see. The record keeps its fixed
// layout; only the manager knows the link is there, and every record it
// hands out (makeRecord) is part of a node. The link sits on the cache line
// of the record's header, which the producer writes and the writer reads
// anyway: after the 8 KB record it cost each of them another cache miss.
#pragma once

#include <cstddef>
#include <type_traits>

#include "utils/cache_prefetch.h"
#include "utils/log_record.h"

namespace logq {

struct RecordNode {
  RecordNode* next;  // the node pushed before this one; set by the producer that queues it
  LogRecord record;
};
static_assert(std::is_standard_layout_v<RecordNode>);

// Not zero-filled: the header is written next.
inline LogRecord* newRecord() { return &(new RecordNode)->record; }

// The node of a record from newRecord.
inline RecordNode* nodeOf(LogRecord* record) {
  return reinterpret_cast<RecordNode*>(reinterpret_cast<char*>(record) - offsetof(RecordNode, record));
}

inline void deleteRecord(LogRecord* record) { delete nodeOf(record); }

// The first lines of a node: its link, the record's header and the start of
// its text, where a typical message ends.
constexpr std::size_t kNodeHeadBytes = 256;

inline void prefetchNodeForWriting(LogRecord* record) { prefetchForWriting(nodeOf(record), kNodeHeadBytes); }
inline void prefetchNodeForReading(LogRecord* record) { prefetchForReading(nodeOf(record), kNodeHeadBytes); }

}  // namespace logq
