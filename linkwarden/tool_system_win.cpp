#include "linkwarden/tool_system_win.h"

#include <string>

#include "common/unique_handle_win.h"
#include "common/wide_win.h"

namespace linkwarden {
namespace {

// The size asked for when the tool itself would create the section. A client
// always creates it first (at least 1496 bytes), and then this size is ignored.
constexpr DWORD kRequestedSectionSize = 270;

class WinSection final : public Section {
 public:
  explicit WinSection(common::UniqueHandle mapping) : mapping_(std::move(mapping)) {}

  CommandBlock* mapView(std::uint32_t& error) override {
    void* view = MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, kCommandBlockSize);
    if (view == nullptr) {
      error = GetLastError();
      return nullptr;
    }
    view_.reset(view);
    return static_cast<CommandBlock*>(view);
  }

  void unmapView() override { view_.reset(); }

 private:
  common::UniqueHandle mapping_;
  common::UniqueView view_;  // unmapped before the mapping closes (members end in reverse order)
};

class WinClientWatch final : public ClientWatch {
 public:
  explicit WinClientWatch(common::UniqueHandle process) : process_(std::move(process)) {}

  WaitResult waitForExit(int millis) override {
    if (!process_) return WaitResult::kFailed;
    switch (WaitForSingleObject(process_.get(), static_cast<DWORD>(millis))) {
      case WAIT_OBJECT_0: return WaitResult::kEnded;
      case WAIT_TIMEOUT: return WaitResult::kTimedOut;
      default: return WaitResult::kFailed;
    }
  }

 private:
  common::UniqueHandle process_;
};

}  // namespace

WinToolSystem::WinToolSystem(HINSTANCE instance, logq::ILogManager& logs)
    : instance_(instance), log_(logs, logq::kMainLoggerId, "linkwarden/linkwarden") {}

SectionOpening WinToolSystem::openSection(std::u16string_view name) {
  const std::wstring wideName = common::toWide(name);
  common::UniqueHandle mapping(
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kRequestedSectionSize, wideName.c_str()));
  const DWORD error = GetLastError();
  if (!mapping) return SectionOpening{nullptr, error, false};
  const bool createdNew = error != ERROR_ALREADY_EXISTS;
  return SectionOpening{std::make_unique<WinSection>(std::move(mapping)), error, createdNew};
}

std::unique_ptr<ClientWatch> WinToolSystem::watchClient(std::uint32_t pid) {
  common::UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (!process) {
    log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: cannot open client process %u (error %lu)", pid,
               GetLastError());
  }
  return std::make_unique<WinClientWatch>(std::move(process));
}

std::unique_ptr<SessionGuard> WinToolSystem::startSessionGuard(const std::atomic<bool>& environmentClean) {
  return startHiddenWindow(instance_, environmentClean, log_);
}

}  // namespace linkwarden
