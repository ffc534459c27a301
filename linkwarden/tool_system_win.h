// The tool's operating-system side on Windows: the named section, the watch
// on the client process and the hidden window.
#pragma once

#include <windows.h>

#include "linkwarden/client_rights_win.h"
#include "linkwarden/tool_system.h"
#include "utils/log_format.h"

namespace linkwarden {

class WinToolSystem final : public ToolSystem {
 public:
  // The client's rights go to `clientRights` once its process is opened.
  WinToolSystem(HINSTANCE instance, logq::ILogManager& logs, ClientRights& clientRights);

  common::SectionOpening openSection(std::u16string_view name) override;
  ClientWatch watchClient(std::uint32_t pid) override;
  std::unique_ptr<SessionGuard> startSessionGuard(const std::atomic<bool>& environmentClean) override;

 private:
  HINSTANCE instance_;
  ClientRights& clientRights_;
  logq::SourceLog log_;
};

// The hidden window's thread (session_guard_win.cpp).
std::unique_ptr<SessionGuard> startHiddenWindow(HINSTANCE instance, const std::atomic<bool>& environmentClean,
                                                logq::SourceLog& log);

}  // namespace linkwarden
