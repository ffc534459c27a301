// The worker's messages to the window: each one sent with SendMessageW, so
// the worker waits until the window has handled it. A window that is gone
// loses the message and the worker goes on.
#pragma once

#include <windows.h>

#include <string>

#include "update/update_ports.h"
#include "update/update_worker.h"
#include "veneer/i18n/translator.h"

namespace update {

class WindowSink final : public UpdateSink {
 public:
  explicit WindowSink(HWND window) : window_(window) {}
  void downloadProgress(std::uint32_t total, std::uint32_t received) override {
    SendMessageW(window_, UM_DOWNLOAD_PROGRESS, total, static_cast<LPARAM>(received));
  }
  void installStep(int wParam, int lParam) override {
    SendMessageW(window_, UM_INSTALL_STEP, static_cast<WPARAM>(static_cast<std::uint32_t>(wParam)),
                 static_cast<LPARAM>(static_cast<std::uint32_t>(lParam)));
  }
  void updateError(std::u16string_view text) override {
    const std::wstring terminated(text.begin(), text.end());
    SendMessageW(window_, UM_UPDATE_ERROR, 0, reinterpret_cast<LPARAM>(terminated.c_str()));
  }

 private:
  HWND window_;
};

// Starts the worker on a thread of its own (handle not kept). The worker
// holds copies of what it reads, so the window and the entry function may
// end while it runs.
bool StartUpdateWorker(HWND window, const UpdateArgs& args, veneer::IVTranslatorMgr& translations);

}  // namespace update
