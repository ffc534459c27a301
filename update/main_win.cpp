// The updater's entry: options, the toolkit's set-up, the check for enough
// options, then the window and its message loop.
#include <windows.h>
#include <ole2.h>

#include <string>

#include "common/wide_win.h"
#include "update/language.h"
#include "update/main_view_win.h"
#include "update/ui_resources.h"
#include "update/update_args.h"
#include "update/updater_instance_win.h"
#include "veneer/log/log_manager.h"
#include "veneer/render/gdi_render_target_win.h"
#include "veneer/res/res_provider_pe_win.h"
#include "veneer/wnd/application_win.h"

namespace {

constexpr int kSetupFailed = -1;
// Another updater replaces the same installer: its window was brought forward.
constexpr int kAlreadyUpdating = 3;
constexpr char kImageDecoderName[] = "imgdecoder-gdip";
// "加载资源失败" (loading the resources failed) in code page 936.
constexpr char kResourcesFailedGbk[] = "\xBC\xD3\xD4\xD8\xD7\xCA\xD4\xB4\xCA\xA7\xB0\xDC";

class OleSession {
 public:
  OleSession() : result_(OleInitialize(nullptr)) {}
  ~OleSession() {
    if (SUCCEEDED(result_)) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  bool ok() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

int startupShowCommand() {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWNORMAL;
}

int runUpdater(HINSTANCE instance) {
  using namespace veneer;
  OleSession ole;
  if (!ole.ok()) return kSetupFailed;

  const std::vector<std::u16string> tokens = common::commandLineTokens();
  const update::UpdateArgs args = update::ParseUpdateArgs(tokens, [](std::u16string_view token) {
    OutputDebugStringW(common::toWide(token).c_str());
  });

  VRef<IRenderFactory> renderFactory = VRef<IRenderFactory>::Adopt(new VRenderFactory_GDI);
  VRef<IImageDecoder> decoder = VRef<IImageDecoder>::Adopt(CreateImageDecoder(kImageDecoderName));
  if (!decoder) return kSetupFailed;
  renderFactory->SetImgDecoderFactory(decoder.get());
  VRef<IVTranslatorMgr> translations = VRef<IVTranslatorMgr>::Adopt(new VTranslatorMgr);

  VApplication app(renderFactory.get(), instance, L"UpdWnd", &VObjectDefaultRegister);
  app.Factories().RegisterWindow(VProgress2::kClassName, TplVObjectFactory<VProgress2>());

  VRef<LogManager> logManager = VRef<LogManager>::Adopt(new LogManager);
  if (logManager->Start()) {
    logManager->SetLoggerLevel(0, 3);
    app.SetLogManager(logManager.get());
  }

  VRef<VResProviderPE> provider = VRef<VResProviderPE>::Adopt(new VResProviderPE(decoder.get()));
  if (!provider->Attach(ProviderSource{instance, {}})) {
    app.Log(6, "", kResourcesFailedGbk, "update/update", 120, "wWinMain");
    return kSetupFailed;
  }
  app.AddResProvider(provider.get(), update::kUiDefinitionsId);
  app.SetTranslator(translations.get());
  update::InstallLanguage(app.Ui(), update::LanguageResourceId(args));

  if (tokens.size() < update::kRequiredTokens) {
    const std::wstring text = common::toWide(app.GetTranslator().Translate(u"{lose args}", u"rt.msg"));
    const std::wstring caption = common::toWide(app.GetTranslator().Translate(u"{error}", u"rt.msg"));
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR);
    return kSetupFailed;
  }

  const update::UpdaterInstance updater(args.rppath);
  if (!updater.first()) {
    const bool found = updater.bringFirstForward();
    app.Log(3, "", found ? "another updater replaces the same installer: its window is brought forward"
                         : "another updater replaces the same installer; its window was not found",
            "update/update", __LINE__, "runUpdater");
    logManager->Stop();
    return kAlreadyUpdating;
  }

  update::MainView view(app);
  if (!view.CreateFromLayout(update::kMainLayoutId)) return kSetupFailed;
  updater.markWindow(view.Handle());
  view.SetArgs(&args);
  view.Centre();
  SendMessageW(view.Handle(), WM_INITDIALOG, 0, 0);
  view.Show(startupShowCommand());
  app.Run(view.Handle());
  logManager->Stop();  // what was logged is on disk before the process ends
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return runUpdater(instance); }
