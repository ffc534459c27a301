#include "tests/e2e/installer_win.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "tests/e2e/process_win.h"

namespace e2e {
namespace {

std::wstring setupLogPath() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"tavaro-setup.log";
}

}  // namespace

std::wstring registryValue(HKEY root, const std::wstring& key, const wchar_t* name) {
  wchar_t text[1024] = {};
  DWORD size = sizeof text;
  DWORD type = 0;
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, text, &size) !=
      ERROR_SUCCESS) {
    return L"<none>";
  }
  if (type != REG_DWORD) return text;
  DWORD number = 0;
  std::memcpy(&number, text, sizeof number);
  return std::to_wstring(number);
}

std::wstring defaultInstallFolder() {
  wchar_t programs[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programs);
  return std::wstring(programs) + L"\\Tavaro";
}

SetupLog::SetupLog() : start_(readFile(setupLogPath()).size()) {}

std::string SetupLog::text() const { return readFile(setupLogPath()).substr(start_); }

}  // namespace e2e
