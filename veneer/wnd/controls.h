// The window classes the system's layouts use.
#pragma once

#include <functional>

#include "veneer/wnd/vwindow.h"

namespace veneer {

class VCaption : public VWindow {
 public:
  explicit VCaption(HostContext& host) : VWindow(host) {}
  const char* ClassName() const override { return "caption"; }
  bool IsClass(std::string_view className) const override {
    return className == "caption" || VWindow::IsClass(className);
  }
};

class VStatic : public VWindow {
 public:
  explicit VStatic(HostContext& host) : VWindow(host) {}
  const char* ClassName() const override { return "text"; }
  bool IsClass(std::string_view className) const override {
    return className == "text" || VWindow::IsClass(className);
  }
};

class VImageWnd : public VWindow {
 public:
  explicit VImageWnd(HostContext& host) : VWindow(host) {}
  const char* ClassName() const override { return "img"; }
  bool IsClass(std::string_view className) const override {
    return className == "img" || VWindow::IsClass(className);
  }
};

class VButton : public VWindow {
 public:
  // A button's text is centred unless its layout says otherwise.
  explicit VButton(HostContext& host) : VWindow(host) {
    SetAttribute("align", u"center");
    SetAttribute("valign", u"middle");
  }
  const char* ClassName() const override { return "button"; }
  bool IsClass(std::string_view className) const override {
    return className == "button" || VWindow::IsClass(className);
  }
  bool Animate() const { return animate_; }
  const std::u16string& Accel() const { return accel_; }

  // "animate": the picture fades between normal and hover in this many timer
  // ticks (the host ticks every kAnimationMillis); pushed and disabled show at once.
  static constexpr int kFadeSteps = 8;
  // 0 shows the normal picture, kFadeSteps the hover picture, in between both blended.
  int FadeStep() const { return fade_; }
  bool AdvanceAnimation() override;
  bool OnPaint(IRenderTarget& target) const override;

 protected:
  bool OnAttribute(std::string_view name, std::u16string_view value) override;

 private:
  int fadeTarget() const;

  bool animate_ = false;
  int fade_ = 0;
  std::u16string accel_;
};

class VImageButton : public VButton {
 public:
  explicit VImageButton(HostContext& host) : VButton(host) {}
  const char* ClassName() const override { return "imgbtn"; }
  bool IsClass(std::string_view className) const override {
    return className == "imgbtn" || VButton::IsClass(className);
  }
};

class VTabPage : public VWindow {
 public:
  explicit VTabPage(HostContext& host) : VWindow(host) {}
  const char* ClassName() const override { return "page"; }
  bool IsClass(std::string_view className) const override {
    return className == "page" || VWindow::IsClass(className);
  }
  // The title, translated like the window's text.
  std::u16string Title() const { return Translated(title_); }

 protected:
  bool OnAttribute(std::string_view name, std::u16string_view value) override;

 private:
  std::u16string title_;
};

class VTabCtrl : public VWindow {
 public:
  explicit VTabCtrl(HostContext& host) : VWindow(host) {}
  const char* ClassName() const override { return "tabctrl"; }
  bool IsClass(std::string_view className) const override {
    return className == "tabctrl" || VWindow::IsClass(className);
  }
  // The page at `index`, or null.
  VTabPage* GetPage(int index) const;
  int PageCount() const;
  int CurSel() const { return curSel_; }
  // Selects a page: nothing happens for an index out of range or the page
  // already selected; `changing` may cancel; `changed` follows.
  bool SelectPage(int index);
  std::function<bool(int from, int to)> onSelChanging;  // false cancels
  std::function<void(int from, int to)> onSelChanged;
  // Called once the pages exist: shows the "curSel" page only.
  void ShowCurrentPage();

 protected:
  bool OnAttribute(std::string_view name, std::u16string_view value) override;
  // The pages fill the control below the tab headers (0 pixels high while
  // "tabSize" leaves them wrap content, as the toolkit draws no headers then).
  void LayoutChildren() override;

 private:
  int curSel_ = 0;
  LayoutLength tabWidth_;   // wrap content unless "tabSize" sets it
  LayoutLength tabHeight_;
};

// A bar over a range: its state, attributes and clamping; drawing belongs to
// the classes built on it.
class VProgress : public VWindow {
 public:
  explicit VProgress(HostContext& host) : VWindow(host) {}
  const char* ClassName() const override { return "progress"; }
  bool IsClass(std::string_view className) const override {
    return className == "progress" || VWindow::IsClass(className);
  }

  // Stores both, then pulls the value into the new range (max first, then min).
  void SetRange(int min, int max);
  // Stores `value` raised to min, then lowered to max.
  void SetValue(int value);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Value() const { return value_; }
  bool ShowPercent() const { return showPercent_ != 0; }
  bool Vertical() const { return vertical_ != 0; }
  VSkinObjBase* BackgroundSkin() const { return bkgndSkin_; }
  VSkinObjBase* PositionSkin() const { return posSkin_; }

 protected:
  bool OnAttribute(std::string_view name, std::u16string_view value) override;
  // Borrowed from the skin pool manager; the pools outlive the windows.
  VSkinObjBase* bkgndSkin_ = nullptr;
  VSkinObjBase* posSkin_ = nullptr;

 private:
  VSkinObjBase* lookUpSkin(std::u16string_view name) const;

  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
  int showPercent_ = 0;
  int vertical_ = 0;
};

}  // namespace veneer
