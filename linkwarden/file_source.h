// Whole-file reads of the client's files (the route list).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace linkwarden {

enum class ReadResult {
  kRead,
  kMissing,   // does not exist, is locked or cannot be opened
  kTooLarge,  // larger than the limit: not read at all
  kFailed,    // opened but not read
};

class FileSource {
 public:
  virtual ~FileSource() = default;
  // Reads the whole file, opened for reading without sharing and only if it
  // exists. `bytes` holds exactly what was read, even when the file was
  // shorter than its size said; `size` is the size the file reported.
  virtual ReadResult readAll(std::u16string_view path, std::uint64_t limit, std::string& bytes,
                             std::uint64_t& size) = 0;
};

}  // namespace linkwarden
