#include "tests/e2e/debug_listener_win.h"

#include <cstring>

namespace e2e {

DebugListener::DebugListener() {
  bufferReady_.reset(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY"));
  dataReady_.reset(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY"));
  buffer_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER"));
  if (!bufferReady_ || !dataReady_ || !buffer_) return;
  view_.reset(MapViewOfFile(buffer_.get(), FILE_MAP_READ, 0, 0, 4096));
  if (!view_) return;
  thread_ = std::thread([this] { run(); });
}

DebugListener::~DebugListener() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void DebugListener::run() {
  SetEvent(bufferReady_.get());
  while (!stop_) {
    if (WaitForSingleObject(dataReady_.get(), 50) != WAIT_OBJECT_0) continue;
    const auto* bytes = static_cast<const char*>(view_.get());
    DWORD pid = 0;
    std::memcpy(&pid, bytes, sizeof pid);
    const char* text = bytes + sizeof pid;
    const std::string message(text, strnlen(text, 4096 - sizeof pid));
    {
      std::lock_guard lock(mutex_);
      texts_.emplace_back(pid, message);
    }
    SetEvent(bufferReady_.get());
  }
}

std::vector<std::string> DebugListener::textsOf(DWORD pid) {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const auto& [from, text] : texts_) {
    if (from == pid) out.push_back(text);
  }
  return out;
}

}  // namespace e2e
