// The logger's configuration text, parsed and applied to a manager that is not started.
#include <string>

#include "fuzz/fuzz_input.h"
#include "utils/log_config.h"
#include "utils/log_manager.h"

namespace {

class QuietConsole final : public logq::ConsoleOutput {
 public:
  void writePlain(std::string_view) override {}
  bool writeColoured(std::string_view, std::uint16_t) override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto sections = logq::parseConfigText(text, [](const std::string&) {});
  for (const auto& [key, settings] : sections) FUZZ_CHECK(settings.level >= logq::LOG_TRACE && settings.level <= logq::LOG_FATAL);
  static QuietConsole console;
  logq::LogManager manager(logq::LogEnvironment{&logq::systemClock(), &console, 1, "fuzz"});
  manager.loadConfigText(text.c_str());
  FUZZ_CHECK(manager.activeLoggerCount() <= static_cast<std::uint32_t>(logq::LOGGER_MAX));
  return 0;
}
