// Helpers for fuzz targets: carving typed values out of the fuzzer's bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool empty() const { return at_ >= size_; }
  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint32_t number() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | byte();
    return value;
  }
  // Up to `max` bytes, as they come.
  std::string bytes(std::size_t max) {
    const std::size_t n = std::min(max, size_ - std::min(at_, size_));
    std::string out(reinterpret_cast<const char*>(data_ + at_), n);
    at_ += n;
    return out;
  }
  // The rest, as UTF-16 units (two bytes each).
  std::u16string units(std::size_t max) {
    std::u16string out;
    while (out.size() < max && at_ + 1 < size_) {
      out += static_cast<char16_t>(data_[at_] | data_[at_ + 1] << 8);
      at_ += 2;
    }
    return out;
  }
  // Tokens split at zero units.
  std::vector<std::u16string> tokens() {
    std::vector<std::u16string> out(1);
    for (char16_t c : units(4096)) {
      if (c == 0) {
        out.emplace_back();
      } else {
        out.back() += c;
      }
    }
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// Stops the run with a crash the fuzzer reports, when an invariant does not hold.
#define FUZZ_CHECK(condition) \
  do {                        \
    if (!(condition)) __builtin_trap(); \
  } while (0)

}  // namespace fuzz
