#include "launcher/crash_dump_win.h"

#include <dbghelp.h>

#include <string>

#include "common/unique_handle_win.h"

namespace launcher {

LONG WINAPI writeCrashDump(EXCEPTION_POINTERS* exception) {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dump(path, n);
  dump.resize(dump.find_last_of(L'\\') + 1);
  dump += L"dump.dmp";

  common::UniqueFile file(
      CreateFileW(dump.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) {
    MINIDUMP_EXCEPTION_INFORMATION info{};
    info.ThreadId = GetCurrentThreadId();
    info.ExceptionPointers = exception;
    info.ClientPointers = TRUE;  // the pointers belong to the dumped process: this one
    MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file.get(), MiniDumpNormal, &info, nullptr,
                      nullptr);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace launcher
