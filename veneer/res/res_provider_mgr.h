// The ordered list of resource providers. Later-added providers are asked
// first; every operation holds the list's one lock for its whole duration.
#pragma once

#include <pugixml.hpp>

#include <functional>
#include <map>
#include <mutex>
#include <string>
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

  // A cursor by name: a number below 65536 is the platform's standard cursor
  // of that id; any other name is the "CURSOR" resource of the provider that
  // has it, loaded once and kept by name for as long as the list lives.
  // Borrowed; null when there is none.
  void* LoadCursorByName(std::u16string_view name);
  // An icon named "name" or "name:size" (a size in pixels, for both sides;
  // without one `defaultSize`) from the provider that has the "ICON"
  // resource of that name. The caller owns it; null when there is none.
  void* LoadIconByName(std::u16string_view nameAndSize, int defaultSize);
  // For tests: what loads a standard cursor by id (the platform's by default).
  void SetStandardCursorLoader(std::function<void*(int)> loader) { standardCursor_ = std::move(loader); }

 private:
  std::recursive_mutex lock_;
  std::vector<IResProvider*> providers_;  // in the order added; one reference each
  VRef<IImageDecoder> decoder_;
  std::map<std::u16string, void*> cursors_;  // by lower-cased name
  std::function<void*(int)> standardCursor_;
};

// Parses the resource `resourceId` (or, for the type "file", the named file)
// as UTF-8 XML into `document`; true only when the whole document parsed.
bool LoadXmlResource(VResProviderMgr& providers, pugi::xml_document& document, std::u16string_view resourceId);

}  // namespace veneer
