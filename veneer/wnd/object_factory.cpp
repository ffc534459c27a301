#include "veneer/wnd/object_factory.h"

#include <cstdio>

#include "veneer/core/toolkit_log.h"
#include "veneer/skin/skin.h"
#include "veneer/wnd/controls.h"

namespace veneer {
namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

template <class Window>
VObjectFactoryMgr::WindowFactory factoryOf() {
  return [](HostContext& host) { return std::unique_ptr<VWindow>(new Window(host)); };
}

}  // namespace

bool IsLayoutClassName(std::string_view name) {
  const std::string n = lower(name);
  return n == "veneerlayout" || n == "linearlayout" || n == "gridlayout";
}

std::unique_ptr<VWindow> VObjectFactoryMgr::PlainWindow(HostContext& host) {
  return std::unique_ptr<VWindow>(new VWindow(host));
}

void VObjectFactoryMgr::RegisterWindow(std::string_view name, WindowFactory factory) {
  windows_[lower(name)] = std::move(factory);
}

bool VObjectFactoryMgr::IsRegistered(std::string_view name, ObjectKind kind) const {
  switch (kind) {
    case ObjectKind::kWindow: return windows_.count(lower(name)) != 0;
    case ObjectKind::kSkin: {
      const std::string n = lower(name);
      return n == "imglist" || n == "imgframe" || n == "imgframe2" || n == "button" || n == "gradation" ||
             n == "scrollbar" || n == "colorrect" || n == "shape" || n == "group";
    }
    case ObjectKind::kLayout: return IsLayoutClassName(name);
    case ObjectKind::kInterpolator: return false;
  }
  return false;
}

std::unique_ptr<VWindow> VObjectFactoryMgr::CreateWindowObject(std::string_view name, HostContext& host) const {
  auto it = windows_.find(lower(name));
  if (it == windows_.end()) {
    ToolkitWarning(NoObjectWarning(name, static_cast<int>(ObjectKind::kWindow)));
    return nullptr;
  }
  return it->second(host);
}

void VObjectDefaultRegister(VObjectFactoryMgr& registry) {
  registry.RegisterWindow("window", &VObjectFactoryMgr::PlainWindow);
  registry.RegisterWindow("caption", factoryOf<VCaption>());
  registry.RegisterWindow("text", factoryOf<VStatic>());
  registry.RegisterWindow("img", factoryOf<VImageWnd>());
  registry.RegisterWindow("button", factoryOf<VButton>());
  registry.RegisterWindow("imgbtn", factoryOf<VImageButton>());
  registry.RegisterWindow("tabctrl", factoryOf<VTabCtrl>());
  registry.RegisterWindow("page", factoryOf<VTabPage>());
  registry.RegisterWindow("progress", factoryOf<VProgress>());
  // Registered by the standard registrar; the system's layouts use none of them.
  for (const char* name : {"div", "hr", "check", "icon", "radio", "link", "group", "animateimg", "scrollview",
                           "realwnd", "toggle", "activex", "flash", "pane", "splitwnd", "splitcol", "splitrow",
                           "sliderbar", "treectrl", "scrollbar", "header", "listctrl", "listbox", "richedit", "edit",
                           "hotkey", "combobox", "calendar", "spin", "spinButton", "listview", "comboview",
                           "mclistview", "tileview", "treeview", "menubar", "calendarex", "dateTimePicker", "hbox",
                           "vbox"}) {
    registry.RegisterWindow(name, &VObjectFactoryMgr::PlainWindow);
  }
}

}  // namespace veneer
