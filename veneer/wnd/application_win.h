// The toolkit's application object on Win32: the render factory, the module,
// the class name of the host windows, the class registry, the resource
// providers with the skins and styles, the translations and the log
// manager, and the message loop.
#pragma once

#include <windows.h>

#include <pugixml.hpp>

#include <string>
#include <string_view>

#include "veneer/core/ui_context.h"
#include "veneer/log/log_manager.h"
#include "veneer/wnd/object_factory.h"

namespace veneer {

class VApplication {
 public:
  // Takes a reference to `renderFactory`, which becomes the toolkit's; its
  // image decoder decodes the resources. `registry` is filled by `registrar`.
  VApplication(IRenderFactory* renderFactory, HINSTANCE instance, std::wstring hostClassName,
               void (*registrar)(VObjectFactoryMgr&));
  ~VApplication();
  VApplication(const VApplication&) = delete;
  VApplication& operator=(const VApplication&) = delete;

  HINSTANCE Instance() const { return instance_; }
  const std::wstring& HostClassName() const { return hostClassName_; }
  VObjectFactoryMgr& Factories() { return registry_; }
  VUiContext& Ui() { return ui_; }

  // Installs the log manager (a reference of its own): the toolkit's warnings
  // go to its main logger from then on, or to the debugger output where it
  // does not take them.
  void SetLogManager(ILogManager* manager);
  ILogManager* GetLogManager() const { return logManager_.get(); }
  // Writes through the log manager's main logger; the debugger output when
  // there is none or it does not take the record.
  void Log(int level, const char* tag, const char* text, const char* file, int line, const char* function);

  // Adds a provider; with a definitions id the skins and styles are loaded from it.
  bool AddResProvider(IResProvider* provider, std::u16string_view uidefId = {});
  void SetTranslator(IVTranslatorMgr* translator) { ui_.SetTranslations(translator); }
  IVTranslatorMgr& GetTranslator() { return ui_.Translations(); }
  bool LoadXmlDocument(pugi::xml_document& document, std::u16string_view resourceId) {
    return LoadXmlResource(ui_.Providers(), document, resourceId);
  }

  // Runs the message loop until the quit message; destroys `mainWindow` if it still exists.
  int Run(HWND mainWindow);

 private:
  VRef<IRenderFactory> renderFactory_;
  HINSTANCE instance_;
  std::wstring hostClassName_;
  VObjectFactoryMgr registry_;
  VUiContext ui_;
  VRef<ILogManager> logManager_;
};

}  // namespace veneer
