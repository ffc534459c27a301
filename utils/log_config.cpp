#include "utils/log_config.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "utils/log_manager.h"

namespace logq {
namespace {

std::string lowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool flagValue(const std::string& value) { return value != "false" && value != "0"; }

std::uint64_t leadingDigits(const std::string& value) {
  std::uint64_t n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') break;
    n = n * 10 + static_cast<std::uint64_t>(c - '0');
    if (n > 0xFFFFFFFFull) return 0xFFFFFFFFull;
  }
  return n;
}

void applySetting(LoggerSettings& entry, const std::string& name, const std::string& rawValue) {
  if (name == "path") {
    entry.path = rawValue;
    return;
  }
  if (name == "name") {
    entry.name = rawValue;
    return;
  }
  const std::string value = lowerAscii(rawValue);
  if (name == "level") {
    static const std::pair<const char*, std::int32_t> kLevels[] = {
        {"trace", LOG_TRACE}, {"all", LOG_TRACE},   {"debug", LOG_DEBUG}, {"info", LOG_INFO},  {"warn", LOG_WARN},
        {"warning", LOG_WARN}, {"error", LOG_ERROR}, {"alarm", LOG_ALARM}, {"fatal", LOG_FATAL}};
    for (const auto& [text, level] : kLevels) {
      if (value == text) entry.level = level;
    }
  } else if (name == "display") {
    entry.display = flagValue(value);
  } else if (name == "outfile") {
    entry.outfile = flagValue(value);
  } else if (name == "monthdir") {
    entry.monthdir = flagValue(value);
  } else if (name == "limitsize") {
    entry.limitsize = static_cast<std::uint32_t>(leadingDigits(value));
  } else if (name == "fileline") {
    entry.fileline = flagValue(value);
  } else if (name == "enable") {
    entry.enable = flagValue(value);
  } else if (name == "reserve") {
    entry.reserve = static_cast<std::int64_t>(leadingDigits(value));
  }
}

}  // namespace

std::uint32_t configChecksum(std::string_view text) {
  std::uint32_t sum = 0;
  for (char c : text) sum += static_cast<unsigned char>(c);
  return sum;
}

std::map<std::string, LoggerSettings> parseConfigText(std::string_view text,
                                                      const std::function<void(const std::string&)>& warn) {
  std::map<std::string, LoggerSettings> sections;
  std::string current;
  int lineNumber = 0;
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(begin, end - begin);
    ++lineNumber;
    begin = end + 1;

    const std::size_t equals = line.find('=');
    const std::string_view rawKey = line.substr(0, equals);
    if (rawKey.empty()) continue;
    const std::string key = trimText(rawKey);
    const std::string value = equals == std::string_view::npos ? std::string() : trimText(line.substr(equals + 1));
    if (key.empty() || key[0] == '#') continue;

    if (key[0] == '[') {
      current = trimText(key, "[]");
      if (lowerAscii(current) == "main") current = "Main";
      auto [it, fresh] = sections.try_emplace(current);
      if (fresh) {
        it->second.name = current;
      } else {
        char message[1200];
        std::snprintf(message, sizeof message, "logq configure warning: duplicate logger key:[%s] at line: %d \r\n",
                      current.c_str(), lineNumber);
        warn(message);
      }
      continue;
    }
    auto it = sections.find(current);
    if (it == sections.end()) {
      std::string message(64 + current.size() + key.size() + value.size() + 64, '\0');
      const int n = std::snprintf(message.data(), message.size(),
                                  "logq configure warning: not found current logger name:[%s] at line:%d, key=%s, "
                                  "value=%s \r\n",
                                  current.c_str(), lineNumber, key.c_str(), value.c_str());
      message.resize(static_cast<std::size_t>(std::max(n, 0)));
      warn(message);
      continue;
    }
    applySetting(it->second, lowerAscii(key), value);
  }
  return sections;
}

namespace {

// Reads the whole file; false when it cannot be opened. The text ends at its first zero byte.
bool readConfigFile(const std::string& path, std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char piece[512];
  std::size_t n = 0;
  do {
    n = std::fread(piece, 1, sizeof piece, file);
    text.append(piece, n);
  } while (n == sizeof piece);
  std::fclose(file);
  text.resize(std::strlen(text.c_str()));
  return true;
}

}  // namespace

bool LogManager::applyConfig(std::string_view text, bool onlyExisting) {
  const std::uint32_t sum = configChecksum(text);
  if (sum == checksum_) return true;
  checksum_ = sum;
  const auto sections = parseConfigText(text, [this](const std::string& line) { env_.console->writePlain(line); });
  for (const auto& [key, s] : sections) {
    int id = lookupLogger(key.c_str());
    if (id == kNoLogger) {
      if (onlyExisting) continue;
      id = addLogger(key.c_str());
      if (id == kNoLogger) continue;
    }
    setEnabled(id, s.enable);
    setName(id, s.name.c_str());
    setPath(id, s.path.c_str());
    setLevel(id, s.level);
    setFileLine(id, s.fileline);
    setDisplay(id, s.display);
    setOutFile(id, s.outfile);
    setLimitSize(id, s.limitsize);
    setMonthDir(id, s.monthdir);
    setReserve(id, s.reserve);
  }
  return true;
}

bool LogManager::readConfigOrComplain(const std::string& path, std::string& text) {
  if (readConfigFile(path, text)) return true;
  const std::string bar = " !!! !!! !!! !!!\r\n";
  std::string message(path.size() + 100, '\0');
  const int n = std::snprintf(message.data(), message.size(),
                              " !!! !!! logq load config file error. filename=%s  !!! !!! \r\n", path.c_str());
  message.resize(static_cast<std::size_t>(std::max(n, 0)));
  env_.console->writePlain(bar + message + bar);
  return false;
}

bool LogManager::loadConfigFile(const char* path) {
  if (path == nullptr) return false;
  if (!configFile_.empty()) {
    const std::string bar = " !!! !!! !!! !!!\r\n";
    std::string message(configFile_.size() + std::strlen(path) + 160, '\0');
    const int n = std::snprintf(message.data(), message.size(),
                                " !!! !!! logq configure error: too many calls to Config. the old config file=%s,  "
                                "the new config file=%s !!! !!! \r\n",
                                configFile_.c_str(), path);
    message.resize(static_cast<std::size_t>(std::max(n, 0)));
    env_.console->writePlain(bar + message + bar);
    return false;
  }
  configFile_ = path;
  std::string text;
  if (!readConfigOrComplain(configFile_, text)) return false;
  return applyConfig(text, false);
}

bool LogManager::loadConfigText(const char* text) {
  if (text == nullptr) return false;
  return applyConfig(text, false);
}

bool LogManager::reloadConfig() {
  if (configFile_.empty()) return false;
  std::string text;
  if (!readConfigOrComplain(configFile_, text)) return false;
  return applyConfig(text, true);
}

}  // namespace logq
