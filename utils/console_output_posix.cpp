#include <unistd.h>

#include <cstdio>

#include "utils/console_output.h"

namespace logq {
namespace {

// Console attributes (blue 1, green 2, red 4) as ANSI colours.
const char* ansiColour(std::uint16_t attribute) {
  switch (attribute & 7) {
    case 1: return "\x1b[34m";
    case 2: return "\x1b[32m";
    case 3: return "\x1b[36m";
    case 4: return "\x1b[31m";
    case 5: return "\x1b[35m";
    case 6: return "\x1b[33m";
    default: return "\x1b[0m";
  }
}

class PosixConsole final : public ConsoleOutput {
 public:
  void writePlain(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stdout); }

  bool writeColoured(std::string_view text, std::uint16_t attribute) override {
    if (!isatty(STDOUT_FILENO)) return false;
    std::fputs(ansiColour(attribute), stdout);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputs("\x1b[0m", stdout);
    return true;
  }
};

}  // namespace

ConsoleOutput& standardConsole() {
  static PosixConsole console;
  return console;
}

}  // namespace logq
