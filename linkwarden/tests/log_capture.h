// A started logger whose records land in a fake console, for handler tests.
#pragma once

#include <string>
#include <vector>

#include "utils/log_manager.h"
#include "utils/tests/log_fakes.h"

namespace linkwarden::testing {

class LogCapture {
 public:
  LogCapture() {
    logs.setOutFile(logq::kMainLoggerId, false);
    logs.setLevel(logq::kMainLoggerId, logq::LOG_WARN);
    logs.start();
  }

  // Each record as "<tag> <text> <source>:", without time stamps and line numbers.
  std::vector<std::string> records() {
    logs.stop();
    std::vector<std::string> out;
    const std::string text = console.all();
    std::size_t at = 0;
    while (at < text.size()) {
      std::size_t end = text.find("\r\n", at);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(at, end - at);
      at = end + 2;
      if (line.size() < 24 || line.find("LOG_ALARM") != std::string::npos) continue;  // the logger's own
      line = line.substr(24);
      if (const std::size_t colon = line.rfind(':'); colon != std::string::npos) line.resize(colon + 1);
      out.push_back(line);
    }
    return out;
  }

  logq::testing::FakeClock clock{logq::testing::kMarch2At0905};
  logq::testing::FakeConsole console;
  logq::LogManager logs{logq::testing::fakeEnvironment(clock, console)};
};

}  // namespace linkwarden::testing
