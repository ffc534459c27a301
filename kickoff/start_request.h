// The 522-byte record the client shares with kickoff: one path to open.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kickoff {

struct StartRequest {
  std::uint8_t pending;   // raised by the client once `path` is written; lowered after a successful start
  std::uint8_t reserved;
  char16_t path[260];     // the program or document to open
};

inline constexpr std::size_t kStartRequestSize = 522;

static_assert(sizeof(StartRequest) == kStartRequestSize);
static_assert(offsetof(StartRequest, pending) == 0);
static_assert(offsetof(StartRequest, reserved) == 1);
static_assert(offsetof(StartRequest, path) == 2);

}  // namespace kickoff
