// How the download goes on after a break or a refusal: which answers are
// tried again, how long to wait before the next attempt, and the headers
// that say so (Content-Range, Retry-After). Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace update {

// Attempts in a row that bring no byte before the download gives up.
inline constexpr int kAttempts = 5;
// A server's Retry-After is honoured up to this long.
inline constexpr std::uint32_t kLongestRetryAfterMs = 60'000;
// No byte for this long is a break.
inline constexpr std::uint32_t kStallMs = 30'000;

// Whether an answer with `status` is worth another attempt: 408, 429 and the
// server errors; any other 4xx (and anything else outside 2xx) is final.
bool RetriableStatus(int status);

// The wait after the `failures`-th attempt in a row that failed (1, 2, 4, 8 s
// for 1..4) plus up to a quarter more, spread by `jitter` (any number).
std::uint32_t BackoffMs(int failures, std::uint32_t jitter);

// "bytes FIRST-LAST/TOTAL" (RFC 9110); nothing for any other form, "*" included.
struct ContentRange {
  std::uint64_t first = 0;
  std::uint64_t last = 0;
  std::uint64_t total = 0;
};
std::optional<ContentRange> ParseContentRange(std::u16string_view text);

// Retry-After as delay-seconds, in milliseconds and at most
// kLongestRetryAfterMs; nothing for a date or anything else.
std::optional<std::uint32_t> ParseRetryAfterMs(std::u16string_view text);

}  // namespace update
