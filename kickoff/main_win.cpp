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
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", widePath.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
  }
  void debugOutput(std::u16string_view text) override { OutputDebugStringW(common::toWide(text).c_str()); }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  WinKickoffSystem system;
  return kickoff::runKickoff(common::commandLineTokens(), system);
}
