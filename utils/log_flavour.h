// What a flavour of the logger may change without touching its registry,
// queue or writer: how log files are named and rolled, where else every
// record's text goes, and the form of the writer's start-up lines. The tool's
// own logger has no flavour; the toolkit's log manager installs one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace logq {

class LogFlavour {
 public:
  virtual ~LogFlavour() = default;

  // The output-file builder: the month-folder and day-roll switches and the
  // file name from the logger's name and the file index.
  virtual bool monthFolder() const = 0;
  virtual bool dayRoll() const = 0;
  virtual std::string fileName(const std::string& loggerName, std::uint32_t index) const = 0;

  // Called by the writer thread with the text of every record it writes.
  virtual void echo(std::string_view text) = 0;

  // Queues one of the writer's start-up lines (level 5, on the main logger)
  // in the flavour's own record form; `line` is the writer's source line.
  virtual void startupLine(std::string_view text, const char* sourceFile, int line) = 0;
};

}  // namespace logq
