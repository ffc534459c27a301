// The folder provider: resources as files below a folder, listed in its
// index "uires.idx" (root `resource`; one element per type, named after it;
// `file` children with "name" and "path").
#pragma once

#include <map>
#include <string>
#include <utility>

#include "veneer/res/image.h"
#include "veneer/res/res_provider.h"

namespace veneer {

inline constexpr std::size_t kIndexTypeUnits = 29;
inline constexpr std::size_t kIndexNameUnits = 99;

class VResProviderFiles final : public TObjRefImpl<IResProvider> {
 public:
  // `decoder` decodes the images (may be null: then no image loads).
  explicit VResProviderFiles(IImageDecoder* decoder);

  bool Attach(const ProviderSource& source) override;
  bool HasRes(std::u16string_view type, std::u16string_view name) override;
  void* LoadIconRes(std::u16string_view, int, int) override { return nullptr; }
  void* LoadBitmapRes(std::u16string_view) override { return nullptr; }
  void* LoadCursorRes(std::u16string_view) override { return nullptr; }
  IBitmap* LoadImageRes(std::u16string_view type, std::u16string_view name) override;
  IImageFrames* LoadImageFramesRes(std::u16string_view type, std::u16string_view name) override;
  std::size_t RawSize(std::u16string_view type, std::u16string_view name) override;
  bool ReadRaw(std::u16string_view type, std::u16string_view name, void* buffer, std::size_t capacity,
               std::uint32_t& error) override;

 private:
  // The file of a resource, or empty when the index does not list it.
  std::u16string pathOf(std::u16string_view type, std::u16string_view name) const;

  VRef<IImageDecoder> decoder_;
  std::u16string folder_;
  std::map<std::pair<std::u16string, std::u16string>, std::u16string> index_;  // lower-cased keys
};

}  // namespace veneer
