// The class registry: window (and other) classes by lower-cased name.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "veneer/wnd/vwindow.h"

namespace veneer {

enum class ObjectKind { kWindow = 0, kSkin = 1, kLayout = 2, kInterpolator = 3 };

class VObjectFactoryMgr {
 public:
  using WindowFactory = std::function<std::unique_ptr<VWindow>(HostContext&)>;

  void RegisterWindow(std::string_view name, WindowFactory factory);
  bool IsRegistered(std::string_view name, ObjectKind kind) const;
  // A new window of the class registered as `name`; null, with the toolkit
  // warning, when there is none.
  std::unique_ptr<VWindow> CreateWindowObject(std::string_view name, HostContext& host) const;

  // A plain window, for names registered without a class of their own.
  static std::unique_ptr<VWindow> PlainWindow(HostContext& host);

 private:
  std::map<std::string, WindowFactory> windows_;  // lower-cased names
};

// The registered layout class names ("VeneerLayout", the default of every
// window; "linearLayout"; "gridLayout"), without regard to case.
bool IsLayoutClassName(std::string_view name);

// The class factory of window class T, registered under T's class name
// (the registry keys names in lower case).
template <class T>
struct TplVObjectFactory {
  std::unique_ptr<VWindow> operator()(HostContext& host) const { return std::make_unique<T>(host); }
};

// The standard registrar: the classes the system's layouts use, the other
// standard names as plain windows, and the layout and skin class names.
void VObjectDefaultRegister(VObjectFactoryMgr& registry);

}  // namespace veneer
