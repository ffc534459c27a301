// What the recording stand-ins of system libraries share: every call appends
// one line "Function field=value ..." to the file named by STANDIN_RECORD,
// and answers come from the "key=value" lines of the file named by
// STANDIN_SCRIPT. Test code: nothing of it ships.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace standin {

inline std::wstring environment(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  return GetEnvironmentVariableW(name, value, MAX_PATH) == 0 ? std::wstring() : std::wstring(value);
}

// Appends one formatted line to the record (the file is opened per call, so
// the lines of several processes interleave whole).
inline void record(const char* format, ...) {
  const std::wstring path = environment(L"STANDIN_RECORD");
  if (path.empty()) return;
  char line[2048];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  if (std::FILE* file = _wfopen(path.c_str(), L"ab")) {
    std::fprintf(file, "%s\n", line);
    std::fclose(file);
  }
}

// The value of `key` in the script; `fallback` when the script has none.
inline std::string answer(const std::string& key, const std::string& fallback = {}) {
  const std::wstring path = environment(L"STANDIN_SCRIPT");
  std::FILE* file = path.empty() ? nullptr : _wfopen(path.c_str(), L"rb");
  if (file == nullptr) return fallback;
  std::string found = fallback;
  char line[1024];
  while (std::fgets(line, sizeof line, file) != nullptr) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (text.rfind(key + "=", 0) == 0) {
      found = text.substr(key.size() + 1);
      break;
    }
  }
  std::fclose(file);
  return found;
}

inline DWORD numberAnswer(const std::string& key, DWORD fallback) {
  const std::string text = answer(key);
  return text.empty() ? fallback : static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 0));
}

// "a.b.c.d" of an address in network order.
inline std::string dotted(DWORD networkOrder) {
  const auto* b = reinterpret_cast<const unsigned char*>(&networkOrder);
  return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." + std::to_string(b[3]);
}

}  // namespace standin
