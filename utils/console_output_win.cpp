#include <windows.h>

#include <cstdio>

#include "utils/console_output.h"

namespace logq {
namespace {

class WindowsConsole final : public ConsoleOutput {
 public:
  void writePlain(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stdout); }

  bool writeColoured(std::string_view text, std::uint16_t attribute) override {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (out == nullptr || out == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(out, &info)) return false;
    SetConsoleTextAttribute(out, attribute);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    SetConsoleTextAttribute(out, info.wAttributes);
    return true;
  }
};

}  // namespace

ConsoleOutput& standardConsole() {
  static WindowsConsole console;
  return console;
}

}  // namespace logq
