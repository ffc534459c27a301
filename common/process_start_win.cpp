#include "common/process_start_win.h"

namespace common {

StartedProcess startProcess(const std::wstring& program, const std::wstring& arguments,
                            const std::wstring& workingFolder) {
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;  // CreateProcessW may write to it
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  StartedProcess process;
  if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
    UniqueHandle thread(info.hThread);
    process.handle.reset(info.hProcess);
    process.pid = info.dwProcessId;
  }
  return process;
}

}  // namespace common
