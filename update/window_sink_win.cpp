#include "update/window_sink_win.h"

#include <memory>
#include <string>

#include "common/no_throw.h"
#include "common/unique_handle_win.h"
#include "update/http_session_win.h"
#include "common/publisher_check_win.h"
#include "update/update_files_win.h"
#include "veneer/core/toolkit_log.h"
#include "veneer/i18n/translator.h"

namespace update {
namespace {

struct WorkerStart {
  HWND window;
  UpdateArgs args;
  veneer::VRef<veneer::IVTranslatorMgr> translations;
};

DWORD WINAPI updateWorkerThread(void* parameter) {
  std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
  int result = 1;
  // Nothing may unwind into the system's thread start.
  common::callWithoutThrowing(
      [&] {
        WinInetSession http;
        Win32UpdateFiles files;
        WindowSink sink(start->window);
        common::WinSignatureCheck signatures;
        veneer::IVTranslatorMgr& translations = *start->translations;
        // Updaters that lost the same server at the same moment spread their attempts.
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        const auto jitter = static_cast<std::uint32_t>(now.QuadPart ^ (now.QuadPart >> 32) ^ GetCurrentProcessId());
        result = RunUpdateWorker(
            start->args,
            WorkerPorts{http, files, sink, signatures,
                        [&translations](std::u16string_view key) { return translations.Translate(key, u"rt.msg"); },
                        [](std::uint32_t ms) { Sleep(ms); }, jitter});
      },
      [](const char* what) { veneer::ToolkitWarning(std::string("update worker could not start: ") + what); });
  return static_cast<DWORD>(result);
}

}  // namespace

bool StartUpdateWorker(HWND window, const UpdateArgs& args, veneer::IVTranslatorMgr& translations) {
  auto start = std::make_unique<WorkerStart>(
      WorkerStart{window, args, veneer::VRef<veneer::IVTranslatorMgr>::Share(&translations)});
  common::UniqueHandle thread(CreateThread(nullptr, 0, &updateWorkerThread, start.get(), 0, nullptr));
  if (!thread) return false;
  start.release();  // the thread owns it now
  return true;
}

}  // namespace update
