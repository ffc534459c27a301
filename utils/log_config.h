// The logger configuration text: sections "[key]" with "name = value" lines.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "utils/log_levels.h"

namespace logq {

// One section's settings; what a section does not name keeps these defaults.
struct LoggerSettings {
  std::string name;
  std::string path = "./log/";
  std::int32_t level = LOG_DEBUG;
  bool display = true;
  bool outfile = true;
  bool monthdir = false;
  std::uint32_t limitsize = 100;
  bool enable = true;
  bool fileline = true;
  std::int64_t reserve = 0;
};

// Sections by key in byte-wise order. Warnings (duplicate sections, settings
// before the first section) go to `warn` as complete lines.
std::map<std::string, LoggerSettings> parseConfigText(std::string_view text,
                                                      const std::function<void(const std::string&)>& warn);

// The byte sum that tells whether a text was applied already.
std::uint32_t configChecksum(std::string_view text);

}  // namespace logq
