// The ordered list of resource providers. Later-added providers are asked
// first; every operation holds the list's one lock for its whole duration.
#pragma once

#include <pugixml.hpp>

#include <mutex>
#include <vector>

#include "veneer/res/image.h"
#include "veneer/res/res_provider.h"

namespace veneer {

class VResProviderMgr {
 public:
  // `decoder` decodes the images of the "file" type (may be null).
  explicit VResProviderMgr(IImageDecoder* decoder = nullptr);
  ~VResProviderMgr();
  VResProviderMgr(const VResProviderMgr&) = delete;
  VResProviderMgr& operator=(const VResProviderMgr&) = delete;

  // Appends the provider; the list takes a reference of its own.
  void AddProvider(IResProvider* provider);
  // The provider that has (type, name), the most recently added first; borrowed, or null.
  IResProvider* FindProvider(std::u16string_view type, std::u16string_view name);

  // For the type "file" these act on the file named by `name`.
  std::size_t RawSize(std::u16string_view type, std::u16string_view name);
  bool ReadRaw(std::u16string_view type, std::u16string_view name, void* buffer, std::size_t capacity,
               std::uint32_t& error);
  // The image addressed by a ResourceId, with one reference for the caller; null when none.
  IBitmap* LoadImageById(std::u16string_view resourceId);

 private:
  std::recursive_mutex lock_;
  std::vector<IResProvider*> providers_;  // in the order added; one reference each
  VRef<IImageDecoder> decoder_;
};

// Parses the resource `resourceId` (or, for the type "file", the named file)
// as UTF-8 XML into `document`; true only when the whole document parsed.
bool LoadXmlResource(VResProviderMgr& providers, pugi::xml_document& document, std::u16string_view resourceId);

}  // namespace veneer
