#include "veneer/wnd/application_win.h"

#include "veneer/core/toolkit_log.h"

namespace veneer {

VApplication::VApplication(IRenderFactory* renderFactory, HINSTANCE instance, std::wstring hostClassName,
                           void (*registrar)(VObjectFactoryMgr&))
    : renderFactory_(VRef<IRenderFactory>::Share(renderFactory)),
      instance_(instance),
      hostClassName_(std::move(hostClassName)),
      ui_(renderFactory != nullptr ? renderFactory->GetImgDecoderFactory() : nullptr, nullptr) {
  SetRenderFactory(renderFactory);
  if (registrar != nullptr) registrar(registry_);
}

VApplication::~VApplication() {
  SetToolkitLogSink({});
  SetRenderFactory(nullptr);
}

void VApplication::SetLogManager(ILogManager* manager) {
  logManager_ = VRef<ILogManager>::Share(manager);
  if (!manager) {
    SetToolkitLogSink({});
    return;
  }
  // The sink keeps its own reference: a warning may come from any thread.
  SetToolkitLogSink([keep = VRef<ILogManager>::Share(manager)](std::string_view tag, int level, std::string_view text,
                                                               const LogSite& site) {
    const std::string tagText(tag);
    const std::string message(text);
    return keep->PushLog(0, level, tagText.c_str(), message.c_str(), site.file, site.line, site.function.c_str(),
                         reinterpret_cast<const void*>(&SetToolkitLogSink));
  });
}

void VApplication::Log(int level, const char* tag, const char* text, const char* file, int line,
                       const char* function) {
  if (logManager_ && logManager_->PushLog(0, level, tag, text, file, line, function,
                                          reinterpret_cast<const void*>(&SetToolkitLogSink))) {
    return;
  }
  DebuggerOutput(text);
}

bool VApplication::AddResProvider(IResProvider* provider, std::u16string_view uidefId) {
  return ui_.AddProvider(provider, uidefId);
}

int VApplication::Run(HWND mainWindow) {
  MSG message{};
  BOOL got = 0;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0 && got != -1) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (mainWindow != nullptr && IsWindow(mainWindow)) DestroyWindow(mainWindow);
  return got == 0 ? static_cast<int>(message.wParam) : -1;
}

}  // namespace veneer
