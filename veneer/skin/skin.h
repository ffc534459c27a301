// Skins: images cut into equal state images, drawn for one display scale.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "veneer/core/ref_counted.h"
#include "veneer/res/image.h"

namespace veneer {

class VResProviderMgr;

// What attribute values may refer to while a skin is set up.
struct SkinContext {
  VResProviderMgr* providers = nullptr;                            // for "src"
  std::function<std::u16string(std::u16string_view)> resolveText;  // "@string/..." references
  // The images already decoded while this skin section is read, by "src":
  // the copies of a skin for each scale often name one image, which is then
  // decoded once and shared (skins never change their image's pixels). Null: none kept.
  std::map<std::u16string, VRef<IBitmap>, std::less<>>* decoded = nullptr;
};

class VSkinObjBase : public TObjRefImpl<IObjRef> {
 public:
  const std::u16string& Name() const { return name_; }
  int Scale() const { return scale_; }
  int Alpha() const { return alpha_; }
  virtual const char* ClassName() const = 0;

  // Applies one attribute; false when the value is rejected (the old value stays).
  virtual bool SetAttribute(std::string_view name, std::u16string_view value, const SkinContext& context);
  // A copy for `scale`: images and margins resized by scale / Scale(); null when it cannot be made.
  virtual VSkinObjBase* ScaledCopy(int scale) const = 0;

 protected:
  void copyBaseTo(VSkinObjBase& other) const;

  std::u16string name_;
  int scale_ = 100;
  int alpha_ = 255;
  int enableColorize_ = 0;
};

// "imglist": one image holding a row (or, vertical, a column) of equal states.
class VSkinImgList : public VSkinObjBase {
 public:
  const char* ClassName() const override { return "imglist"; }
  bool SetAttribute(std::string_view name, std::u16string_view value, const SkinContext& context) override;
  VSkinObjBase* ScaledCopy(int scale) const override;

  IBitmap* Image() const { return image_.get(); }
  int States() const { return states_; }
  bool Vertical() const { return vertical_; }
  bool Tile() const { return tile_; }
  int FilterLevel() const { return filterLevel_; }
  // One state image's size: the image divided by the states along their direction.
  int StateWidth() const;
  int StateHeight() const;

 protected:
  void copyImgListTo(VSkinImgList& other, int scale) const;

  VRef<IBitmap> image_;
  int states_ = 1;
  bool vertical_ = false;
  bool tile_ = false;
  int autoFit_ = 0;
  int filterLevel_ = 0;
};

struct Margins {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const Margins&) const = default;
};

// "imgframe": like "imglist", each state stretched around fixed margins (nine parts).
class VSkinImgFrame final : public VSkinImgList {
 public:
  const char* ClassName() const override { return "imgframe"; }
  bool SetAttribute(std::string_view name, std::u16string_view value, const SkinContext& context) override;
  VSkinObjBase* ScaledCopy(int scale) const override;
  const Margins& GetMargins() const { return margins_; }

 private:
  Margins margins_;
};

// The skin class registered under `className` ("imglist", "imgframe"), or null.
VSkinObjBase* CreateSkin(std::string_view className);

// `value` × `numerator` / `denominator`, halves rounded away from zero.
int scaleRounded(int value, int numerator, int denominator);

// Each of `states` state images of `source` resized to `stateWidth` × `stateHeight`.
IBitmap* ResizeStates(const IBitmap& source, int states, bool vertical, int stateWidth, int stateHeight);

}  // namespace veneer
