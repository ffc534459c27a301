#include "stagehand/desktop_user_win.h"

#include <shlobj.h>
#include <userenv.h>

#include "common/security_win.h"
#include "common/wide_win.h"

namespace stagehand {
namespace {

TokenFacts readToken(HANDLE token) {
  TokenFacts facts;
  common::TokenUsers users;
  std::uint32_t error = 0;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (token == nullptr || !common::tokenUsers(token, users, error) ||
      !GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)) {
    return facts;
  }
  facts.known = true;
  facts.elevated = elevation.TokenIsElevated != 0;
  facts.user = users.user;
  return facts;
}

// A primary token of the desktop shell's process, able to start a program and
// to name that user's folders; empty when there is no shell window (no
// desktop, another shell) or its process cannot be opened.
common::UniqueHandle shellPrimaryToken() {
  const HWND shell = GetShellWindow();
  DWORD pid = 0;
  if (shell == nullptr || GetWindowThreadProcessId(shell, &pid) == 0 || pid == 0) return {};
  const common::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return {};
  std::uint32_t error = 0;
  return common::duplicateProcessToken(process.get(),
                                       TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_IMPERSONATE |
                                           TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID,
                                       TokenPrimary, error);
}

// An environment block that DestroyEnvironmentBlock or FreeEnvironmentStringsW releases.
class EnvironmentBlock {
 public:
  EnvironmentBlock() = default;
  EnvironmentBlock(const EnvironmentBlock&) = delete;
  EnvironmentBlock& operator=(const EnvironmentBlock&) = delete;
  ~EnvironmentBlock() {
    if (fromProfile_) DestroyEnvironmentBlock(block_);
    else if (block_ != nullptr) FreeEnvironmentStringsW(static_cast<wchar_t*>(block_));
  }
  // The account's own variables, as it gets them when it signs in.
  bool loadProfile(HANDLE token) {
    fromProfile_ = CreateEnvironmentBlock(&block_, token, FALSE) != FALSE;
    return fromProfile_;
  }
  // This process's variables: the installer's account is the program's.
  bool loadOwn() {
    block_ = GetEnvironmentStringsW();
    return block_ != nullptr;
  }
  void* get() const { return block_; }

 private:
  void* block_ = nullptr;
  bool fromProfile_ = false;
};

}  // namespace

DesktopUser::DesktopUser() {
  common::UniqueHandle own;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, own.put())) {
    facts_.installer = readToken(own.get());
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    TOKEN_ELEVATION_TYPE type{};
    if (GetTokenInformation(own.get(), TokenElevationType, &type, sizeof type, &size) &&
        type == TokenElevationTypeFull &&
        GetTokenInformation(own.get(), TokenLinkedToken, &linked, sizeof linked, &size)) {
      limitedTwin_.reset(linked.LinkedToken);
      facts_.limitedTokenLinked = !readToken(limitedTwin_.get()).elevated;
    }
  }
  shellToken_ = shellPrimaryToken();
  facts_.shell = readToken(shellToken_.get());
}

std::u16string DesktopUser::start(std::wstring commandLine, const std::wstring& folder) const {
  const StartPlan plan = planDesktopStart(facts_);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  BOOL ok = FALSE;
  switch (plan.route) {
    case StartRoute::kNotStarted:
      return plan.why;
    case StartRoute::kDirect:
      ok = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &started);
      break;
    case StartRoute::kAsShellUser:
    case StartRoute::kLimitedTwin: {
      // CreateProcessWithTokenW gives a program started without a block the
      // profile's variables; the installer's own account passes its own.
      EnvironmentBlock environment;
      const HANDLE token = plan.route == StartRoute::kAsShellUser ? shellToken_.get() : limitedTwin_.get();
      if (!(plan.desktopEnvironment ? environment.loadProfile(token) : environment.loadOwn())) {
        return u"not started: the environment for it could not be made (error " +
               common::fromWide(std::to_wstring(GetLastError())) + u")";
      }
      ok = CreateProcessWithTokenW(token, 0, nullptr, commandLine.data(), CREATE_UNICODE_ENVIRONMENT, environment.get(),
                                   folder.c_str(), &startup, &started);
      break;
    }
  }
  if (!ok) {
    return u"not started (error " + common::fromWide(std::to_wstring(GetLastError())) + u"); it would have been " +
           plan.why;
  }
  common::UniqueHandle thread(started.hThread);
  common::UniqueHandle process(started.hProcess);
  return plan.why;
}

std::u16string DesktopUser::folder(int csidl) const {
  wchar_t path[MAX_PATH] = {};
  const HANDLE token = perUserIsShellAccount(facts_) ? shellToken_.get() : nullptr;
  if (FAILED(SHGetFolderPathW(nullptr, csidl, token, SHGFP_TYPE_CURRENT, path))) return {};
  return common::fromWide(path);
}

std::u16string DesktopUser::perUserAccount() const {
  return perUserIsShellAccount(facts_) ? facts_.shell.user : facts_.installer.user;
}

}  // namespace stagehand
