// kickoff.exe: opens the paths its client names, through the shell.
#include <windows.h>
#include <shellapi.h>

#include "common/channel_win.h"
#include "common/wide_win.h"
#include "kickoff/kickoff.h"

namespace {

// The size asked for when kickoff itself would create the section; a client
// creates it first, and then its own size stands.
constexpr DWORD kRequestedSectionSize = 270;

class WinKickoffSystem final : public kickoff::KickoffSystem {
 public:
  common::SectionOpening openSection(std::u16string_view name) override {
    return common::openNamedSection(name, kRequestedSectionSize);
  }
  std::unique_ptr<common::ProcessWatch> watchClient(std::uint32_t pid) override {
    std::uint32_t error = 0;
    return common::watchProcess(pid, error);
  }
  bool open(std::u16string_view path) override {
    const std::wstring widePath = common::toWide(path);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // No error box: nobody may see one from this hidden helper, and it would
    // hold the helper until dismissed; a refused start ends it with 87 instead.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = widePath.c_str();
    info.nShow = SW_SHOW;
    return ShellExecuteExW(&info) != FALSE;
  }
  void debugOutput(std::u16string_view text) override { OutputDebugStringW(common::toWide(text).c_str()); }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  WinKickoffSystem system;
  return kickoff::runKickoff(common::commandLineTokens(), system);
}
