// The host window on Win32: a top-level window built from a layout
// document, painted with GDI, that feeds mouse input to its window tree.
#pragma once

#include <windows.h>

#include <pugixml.hpp>

#include <functional>
#include <memory>
#include <string>

#include "veneer/core/ui_context.h"
#include "veneer/wnd/layout_document.h"

namespace veneer {

inline constexpr UINT kScaleMessage = 2024;  // wParam: the new scale in percent

class VHostWnd {
 public:
  VHostWnd(VUiContext& ui, const VObjectFactoryMgr& registry);
  ~VHostWnd();
  VHostWnd(const VHostWnd&) = delete;
  VHostWnd& operator=(const VHostWnd&) = delete;

  // Builds the tree from the `VENEER` element and creates the window at (x, y).
  bool Create(pugi::xml_node veneerElement, int x, int y, int showCommand);
  HWND Handle() const { return window_; }
  VWindow* Root() const { return model_ ? model_->root.get() : nullptr; }
  HostContext& Context() { return host_; }

  // Receives EventCmd (id and name of the window clicked).
  std::function<void(int id, std::u16string_view name)> onCommand;

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void paint();
  void layout();
  int fontHeight() const;

  VUiContext& ui_;
  const VObjectFactoryMgr& registry_;
  HostContext host_;
  std::unique_ptr<VHostModel> model_;
  HWND window_ = nullptr;
  VWindow* pressed_ = nullptr;
  std::wstring fontFace_;
};

}  // namespace veneer
