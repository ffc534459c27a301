// stagehand.dll: the installer's plug-in. Its option values stay in the
// library between calls, so the host keeps it loaded from InitInstall to
// StartProgram.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "common/no_throw.h"
#include "common/option_text.h"
#include "common/system_version_win.h"
#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "stagehand/folder_programs_win.h"
#include "stagehand/desktop_user_win.h"
#include "stagehand/installer_options.h"
#include "stagehand/plugin_stack.h"
#include "stagehand/remove_tree_win.h"

namespace {

using stagehand::StackEntry;

void* globalAllocate(std::size_t bytes) { return GlobalAlloc(GPTR, bytes); }
void globalRelease(void* block) { GlobalFree(block); }

// Plug-in state, kept while the library is loaded.
stagehand::PluginContext context{0, nullptr, nullptr, {&globalAllocate, &globalRelease}};
stagehand::InstallerOptions options;

void store(int stringSize, wchar_t* variables, StackEntry** stackTop) {
  context.stringSize = stringSize;
  context.variables = reinterpret_cast<char16_t*>(variables);
  context.stackTop = stackTop;
}

// The desktop user's data folder, also when an administrator's account runs the installer.
std::u16string dataFolder() { return stagehand::dataFolderPath(stagehand::DesktopUser().folder(CSIDL_APPDATA)); }

// No exception may unwind into the installer host, which is C code: the export
// fails the way the host sees every failure (nothing more is pushed, nothing
// started) and says why in the debugger output.
template <class Body>
void hostCall(const char* exportName, Body&& body) noexcept {
  common::callWithoutThrowing(body, [exportName](const char* what) {
    OutputDebugStringA((std::string("[stagehand] ") + exportName + " stopped by " + what + "\n").c_str());
  });
}

// FOLDER SECONDS, in the order the script names them.
struct FolderArguments {
  std::wstring folder;
  DWORD seconds = 0;
};
FolderArguments popFolderArguments() {
  std::u16string folder, seconds;
  context.pop(folder);
  context.pop(seconds);
  return {common::toWide(folder), common::leadingDecimal(seconds)};
}

}  // namespace

extern "C" {

void InitInstall(HWND, int stringSize, wchar_t* variables, StackEntry** stackTop, void*) {
  hostCall("InitInstall", [&] {
    store(stringSize, variables, stackTop);
    const std::u16string data = dataFolder();
    context.push(data);
    const RTL_OSVERSIONINFOEXW version = common::trueSystemVersion();
    context.pushNumber(static_cast<int>(version.dwMajorVersion));
    context.pushNumber(static_cast<int>(version.dwMinorVersion));

    // A second call in the same load keeps what an earlier one set.
    options = stagehand::parseInstallerOptions(common::commandLineTokens(), std::move(options));
    if (options.delayMs > 0) Sleep(static_cast<DWORD>(options.delayMs));
    if (options.clearFirst) stagehand::removeTree(common::toWide(data));
  });
}

// StartProgram: starts the launcher from the installation folder ($R0, or
// the argument on the stack) and pushes the log line that says how.
void StartProgram(HWND, int stringSize, wchar_t* variables, StackEntry** stackTop, void*) {
  hostCall("StartProgram", [&] {
    store(stringSize, variables, stackTop);
    if (options.installOnly) {
      context.push(u"not started: --install-only");
      return;
    }
    std::u16string installFolder;
    if (const char16_t* folder = context.variable(stagehand::kInstallFolderVariable)) {
      installFolder.assign(folder, std::char_traits<char16_t>::length(folder));
    }
    context.pop(installFolder);

    wchar_t installer[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, installer, MAX_PATH);
    std::wstring commandLine = common::toWide(
        stagehand::launcherCommandLine(installFolder, common::fromWide(installer), options.runArg));
    // Never with the installer's elevation: as the desktop user, with that user's normal rights.
    context.push(stagehand::DesktopUser().start(commandLine, common::toWide(installFolder)));
  });
}

// The installer's own calls around replacing and removing an installation.
// Arguments come off the stack in the order the script names them.

// WaitForFolder FOLDER SECONDS: pushes the program or file that still keeps
// FOLDER from being replaced after waiting, or "" when nothing does.
void WaitForFolder(HWND, int stringSize, wchar_t* variables, StackEntry** stackTop, void*) {
  hostCall("WaitForFolder", [&] {
    store(stringSize, variables, stackTop);
    const FolderArguments arguments = popFolderArguments();
    const std::wstring inTheWay = stagehand::waitUntilReplaceable(arguments.folder, arguments.seconds);
    context.push(common::fromWide(inTheWay));
  });
}

// EndFolderPrograms FOLDER SECONDS: asks the programs running from FOLDER to
// close, ends those left after SECONDS, and pushes how many it had to end.
void EndFolderPrograms(HWND, int stringSize, wchar_t* variables, StackEntry** stackTop, void*) {
  hostCall("EndFolderPrograms", [&] {
    store(stringSize, variables, stackTop);
    const FolderArguments arguments = popFolderArguments();
    context.pushNumber(stagehand::endFolderPrograms(arguments.folder, arguments.seconds));
  });
}

// RemoveDataFolder: removes the user's data folder, its links as links.
void RemoveDataFolder(HWND, int stringSize, wchar_t* variables, StackEntry** stackTop, void*) {
  hostCall("RemoveDataFolder", [&] {
    store(stringSize, variables, stackTop);
    stagehand::removeTree(common::toWide(dataFolder()));
  });
}

// PerUserAccount: pushes the desktop user's start-menu programs folder, then
// that account's SID (its keys are below HKEY_USERS\<SID>), where a per-user
// installation of that user lies.
void PerUserAccount(HWND, int stringSize, wchar_t* variables, StackEntry** stackTop, void*) {
  hostCall("PerUserAccount", [&] {
    store(stringSize, variables, stackTop);
    const stagehand::DesktopUser user;
    context.push(user.folder(CSIDL_PROGRAMS));
    context.push(user.perUserAccount());
  });
}

// InitView and ShowView (an alias in the .def file) accept the call and do nothing else.
void InitView(HWND, int stringSize, wchar_t* variables, StackEntry** stackTop, void*) {
  store(stringSize, variables, stackTop);
}

}  // extern "C"
