// Asking for cache lines before a thread uses them. A log record crosses
// between the producer's core and the writer's on every trip, and records
// lie 8 KB apart, where the processor's own prefetching does not follow: a
// producer's first write to a reused record, and the writer's first read of a
// queued one, otherwise wait for the other core.
#pragma once

#include <cstddef>

#if defined(__i386__) || defined(__x86_64__)
#define LOGQ_X86_PREFETCHW 1
#endif

namespace logq {

inline constexpr std::size_t kCacheLine = 64;

#ifdef LOGQ_X86_PREFETCHW
// CPUID's PREFETCHW bit, asked once. Until static initialisation reaches it,
// it reads false and writers get the read prefetch.
bool processorHasPrefetchW();
inline const bool kHasPrefetchW = processorHasPrefetchW();
#endif

// For writing: PREFETCHW where the processor has it, so that the lines arrive
// owned (a read prefetch brings them shared, and the first write still waits
// for the other core to let go of them). In assembly: the compiler emits
// PREFETCHW only when the whole build targets processors that have it.
inline void prefetchForWriting(const void* start, std::size_t bytes) {
  const char* bytesAt = static_cast<const char*>(start);
#ifdef LOGQ_X86_PREFETCHW
  if (kHasPrefetchW) {
    for (std::size_t at = 0; at < bytes; at += kCacheLine) asm volatile("prefetchw %0" : : "m"(bytesAt[at]));
    return;
  }
#endif
  for (std::size_t at = 0; at < bytes; at += kCacheLine) __builtin_prefetch(bytesAt + at, 1);
}

inline void prefetchForReading(const void* start, std::size_t bytes) {
  const char* bytesAt = static_cast<const char*>(start);
  for (std::size_t at = 0; at < bytes; at += kCacheLine) __builtin_prefetch(bytesAt + at, 0);
}

}  // namespace logq
