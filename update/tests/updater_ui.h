// The updater's embedded resources served by the folder provider, and its
// window tree built from "LAYOUT:main_view", for tests of the window logic.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "update/progress2.h"
#include "veneer/core/toolkit_log.h"
#include "veneer/core/ui_context.h"
#include "veneer/tests/resource_folder.h"
#include "veneer/wnd/layout_document.h"
#include "veneer/xml/xml_names.h"

namespace update::testing {

inline std::string readResource(const std::string& name) {
  std::ifstream in(std::string(UPDATER_RES_DIR) + "/" + name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

class UpdaterUi {
 public:
  // `editLayout` may change the layout text before it is built.
  explicit UpdaterUi(const std::function<void(std::string&)>& editLayout = {}) {
    folder_.write("uires.idx",
                  "<resource><uidef><file name=\"xml_init\" path=\"uidef.xml\"/></uidef>"
                  "<layout><file name=\"main_view\" path=\"main_view.xml\"/></layout>"
                  "<imgs><file name=\"update_an_png\" path=\"an.png\"/><file name=\"update_liang_png\" path=\"liang.png\"/>"
                  "<file name=\"update_bk_png\" path=\"bk.png\"/><file name=\"update_btn_png\" path=\"btn.png\"/></imgs>"
                  "<imgs100><file name=\"image_btn_close_png\" path=\"c100.png\"/></imgs100>"
                  "<imgs125><file name=\"image_btn_close_png\" path=\"c125.png\"/></imgs125>"
                  "<imgs150><file name=\"image_btn_close_png\" path=\"c150.png\"/></imgs150>"
                  "<imgs200><file name=\"image_btn_close_png\" path=\"c200.png\"/></imgs200></resource>");
    folder_.write("uidef.xml", readResource("uidef.xml"));
    std::string layout = readResource("main_view.xml");
    if (editLayout) editLayout(layout);
    folder_.write("main_view.xml", layout);
    folder_.write("an.png", readResource("images/update_an.png"));
    folder_.write("liang.png", readResource("images/update_liang.png"));
    folder_.write("bk.png", readResource("images/update_bk.png"));
    folder_.write("btn.png", readResource("images/update_btn.png"));
    for (const char* scale : {"100", "125", "150", "200"}) {
      folder_.write(std::string("c") + scale + ".png", readResource(std::string("images/image_btn_close_") + scale + ".png"));
    }
    provider_ = veneer::VRef<veneer::IResProvider>::Adopt(folder_.attach(decoder_.get()));
    ui_.AddProvider(provider_.get(), u"uidef:xml_init");
    host.ui = &ui_;
    host.measureText = [](std::u16string_view text, const veneer::FontDescription&, int) {
      return veneer::LayoutSize{static_cast<int>(text.size()) * 7, 14};
    };
    veneer::VObjectDefaultRegister(registry_);
    registry_.RegisterWindow("progress2", [](veneer::HostContext& h) -> std::unique_ptr<veneer::VWindow> {
      return std::make_unique<veneer::VProgress2>(h);
    });
    veneer::SetToolkitLogSink([this](std::string_view, int, std::string_view text, const veneer::LogSite&) {
      warnings.emplace_back(text);
      return true;
    });
    pugi::xml_document document;
    veneer::LoadXmlResource(ui_.Providers(), document, u"LAYOUT:main_view");
    model = veneer::BuildHost(veneer::xml::child(document, "veneer"), host, registry_);
    const veneer::LayoutSize size = model->InitialSize(host);
    model->root->Move(veneer::WindowRect{0, 0, size.width, size.height});
  }
  ~UpdaterUi() { veneer::SetToolkitLogSink({}); }

  veneer::VWindow& root() { return *model->root; }

  veneer::HostContext host;
  std::unique_ptr<veneer::VHostModel> model;
  std::vector<std::string> warnings;

 private:
  veneer::testing::ResourceFolder folder_{"updater-ui"};
  veneer::VRef<veneer::IImageDecoder> decoder_ =
      veneer::VRef<veneer::IImageDecoder>::Adopt(veneer::CreateImageDecoder("imgdecoder-stb"));
  veneer::VUiContext ui_{decoder_.get(), nullptr};
  veneer::VRef<veneer::IResProvider> provider_;
  veneer::VObjectFactoryMgr registry_;
};

}  // namespace update::testing
