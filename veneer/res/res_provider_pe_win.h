// The embedded-resource provider: resources compiled into a module.
#pragma once

#include <windows.h>

#include "veneer/res/background_decoding.h"
#include "veneer/res/image.h"
#include "veneer/res/res_provider.h"

namespace veneer {

class VResProviderPE final : public TObjRefImpl<IResProvider> {
 public:
  explicit VResProviderPE(IImageDecoder* decoder);

  bool Attach(const ProviderSource& source) override;
  bool HasRes(std::u16string_view type, std::u16string_view name) override;
  void* LoadIconRes(std::u16string_view name, int width, int height) override;
  void* LoadBitmapRes(std::u16string_view name) override;
  void* LoadCursorRes(std::u16string_view name) override;
  IBitmap* LoadImageRes(std::u16string_view type, std::u16string_view name) override;
  IImageFrames* LoadImageFramesRes(std::u16string_view type, std::u16string_view name) override;
  std::size_t RawSize(std::u16string_view type, std::u16string_view name) override;
  bool ReadRaw(std::u16string_view type, std::u16string_view name, void* buffer, std::size_t capacity,
               std::uint32_t& error) override;

 private:
  // The resource's entry, whatever its language; null when missing.
  HRSRC find(std::u16string_view type, std::u16string_view name) const;
  // The resource's bytes in place; empty when missing.
  std::pair<const void*, std::size_t> bytes(std::u16string_view type, std::u16string_view name) const;

  HMODULE module_ = nullptr;
  VRef<IImageDecoder> decoder_;
  // Images are decoded while the program goes on: their bytes stay in the module.
  BackgroundDecoding background_;  // after the decoder: it ends, and finishes its work, first
};

}  // namespace veneer
