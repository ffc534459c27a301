// Helpers for the scenario tests that start our programs under Wine.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/process_start_win.h"
#include "common/unique_handle_win.h"

namespace e2e {

// Long enough for anything under Wine on a busy machine; a test that waits
// this long has failed.
inline constexpr DWORD kGenerous = 30000;

// This process's id as command-line text.
inline std::wstring ownPid() { return std::to_wstring(GetCurrentProcessId()); }

// Points the recorder stand-in (RECORD_ARGS_FILE) at a fresh file for one
// test; children started afterwards inherit it.
class RecorderFile {
 public:
  RecorderFile();
  ~RecorderFile();
  RecorderFile(const RecorderFile&) = delete;
  RecorderFile& operator=(const RecorderFile&) = delete;
  std::string text() const;

 private:
  std::wstring path_;
};

// A Linux path (as CMake knows our programs) as Wine sees it: on drive Z:.
std::wstring windowsPath(const char* unixPath);

using Process = common::StartedProcess;

// Starts `program` with `arguments` (the program's quoted path is token 0),
// in `workingFolder` when one is given.
inline Process start(const std::wstring& program, const std::wstring& arguments,
                     const std::wstring& workingFolder = {}) {
  return common::startProcess(program, arguments, workingFolder);
}

// The exit code, or nothing when the process has not ended within `millis`.
std::optional<DWORD> waitExit(HANDLE process, DWORD millis);

// A fresh path in the temporary folder, unique to this process and call.
std::wstring tempPath(const std::wstring& stem);
std::string readFile(const std::wstring& path);
inline bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Makes `link` a Unix symbolic link to `target` (both Windows paths). Wine
// reports such a link as a reparse point, as Windows does a junction, and
// has no CreateSymbolicLinkW of its own; false when it could not be made.
bool makeUnixLink(const std::wstring& target, const std::wstring& link);
// Removes such a link (no Win32 call of Wine removes it: they act on its target).
bool removeUnixLink(const std::wstring& link);

// Ends every process this one started, directly or through others (orphans
// started after it included), that is still running, and names each
// ("netsh.exe 1234"). Wine hands every process it starts the Unix stderr of
// its parent, so one left running holds the test runner's output open until
// its time-out, long after the test ended.
std::vector<std::string> endDescendants();

// Visible or hidden top-level windows that belong to process `pid`.
std::vector<HWND> topLevelWindowsOf(DWORD pid);

// The first visible top-level window of class `className` that process `pid`
// shows within `millis`; null when none does.
HWND waitForVisibleWindow(DWORD pid, const std::wstring& className, DWORD millis = kGenerous);

}  // namespace e2e
