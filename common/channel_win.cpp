#include "common/channel_win.h"

#include <string>

#include "common/security_win.h"
#include "common/unique_handle_win.h"
#include "common/wide_win.h"

namespace common {
namespace {

class WinSection final : public SharedSection {
 public:
  explicit WinSection(UniqueHandle mapping) : mapping_(std::move(mapping)) {}

  void* mapView(std::size_t bytes, std::uint32_t& error) override {
    void* view = MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, bytes);
    if (view == nullptr) {
      error = GetLastError();
      return nullptr;
    }
    view_.reset(view);
    return view;
  }

  void unmapView() override { view_.reset(); }

 private:
  UniqueHandle mapping_;
  UniqueView view_;  // unmapped before the mapping closes (members end in reverse order)
};

class WinProcessWatch final : public ProcessWatch {
 public:
  explicit WinProcessWatch(UniqueHandle process) : process_(std::move(process)) {}

  WaitResult waitForExit(int millis) override {
    if (!process_) return WaitResult::kFailed;
    const DWORD timeout = millis < 0 ? INFINITE : static_cast<DWORD>(millis);
    switch (WaitForSingleObject(process_.get(), timeout)) {
      case WAIT_OBJECT_0: return WaitResult::kEnded;
      case WAIT_TIMEOUT: return WaitResult::kTimedOut;
      default: return WaitResult::kFailed;
    }
  }

 private:
  UniqueHandle process_;
};

}  // namespace

SectionOpening openNamedSection(std::u16string_view name, DWORD requestedSize) {
  const std::wstring wideName = toWide(name);
  UniqueHandle mapping(
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, requestedSize, wideName.c_str()));
  const DWORD error = GetLastError();
  if (!mapping) return SectionOpening{nullptr, error, false, {}};
  const bool createdNew = error != ERROR_ALREADY_EXISTS;
  std::uint32_t ownerError = 0;
  std::u16string owner = objectOwner(mapping.get(), ownerError);
  return SectionOpening{std::make_unique<WinSection>(std::move(mapping)), error, createdNew, std::move(owner)};
}

std::unique_ptr<ProcessWatch> watchProcess(std::uint32_t pid, std::uint32_t& error) {
  UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (!process) error = GetLastError();
  return std::make_unique<WinProcessWatch>(std::move(process));
}

std::unique_ptr<ProcessWatch> watchOpenedProcess(UniqueHandle process) {
  return std::make_unique<WinProcessWatch>(std::move(process));
}

}  // namespace common
