// Where the logger's console texts go. The manager decides which texts are
// coloured; the adapter knows whether standard output is a console.
#pragma once

#include <cstdint>
#include <string_view>

namespace logq {

class ConsoleOutput {
 public:
  virtual ~ConsoleOutput() = default;
  // Standard output, unchanged.
  virtual void writePlain(std::string_view text) = 0;
  // In the console text attribute `attribute`, restoring the previous one
  // afterwards. Prints nothing and returns false when standard output is not a console.
  virtual bool writeColoured(std::string_view text, std::uint16_t attribute) = 0;
};

// The process's standard output.
ConsoleOutput& standardConsole();

}  // namespace logq
