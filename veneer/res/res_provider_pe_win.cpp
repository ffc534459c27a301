#include "veneer/res/res_provider_pe_win.h"

#include <cstring>
#include <string>

#include "common/option_text.h"
#include "common/wide_win.h"
#include "veneer/res/resource_id.h"

namespace veneer {
namespace {

// The resource type a type text selects: standard types by their names, any
// other text as a named type (upper case, as stored).
struct TypeKey {
  LPCWSTR id = nullptr;
  std::wstring named;
  LPCWSTR get() const { return id != nullptr ? id : named.c_str(); }
};

TypeKey typeKeyOf(std::u16string_view type, bool animatedCursor = false) {
  using common::equalsIgnoringAsciiCase;
  if (equalsIgnoringAsciiCase(type, u"BITMAP")) return {RT_BITMAP, {}};
  if (equalsIgnoringAsciiCase(type, u"ICON")) return {RT_GROUP_ICON, {}};
  if (equalsIgnoringAsciiCase(type, u"CURSOR")) return {animatedCursor ? RT_ANICURSOR : RT_GROUP_CURSOR, {}};
  if (equalsIgnoringAsciiCase(type, u"HTML")) return {RT_HTML, {}};
  return {nullptr, common::toWide(upperAscii(type))};
}

BOOL CALLBACK takeFirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
  *reinterpret_cast<WORD*>(found) = language;
  return FALSE;
}

HRSRC findAnyLanguage(HMODULE module, LPCWSTR type, LPCWSTR name) {
  if (HRSRC resource = FindResourceW(module, name, type)) return resource;
  WORD language = 0xFFFF;
  EnumResourceLanguagesW(module, type, name, &takeFirstLanguage, reinterpret_cast<LONG_PTR>(&language));
  return language == 0xFFFF ? nullptr : FindResourceExW(module, type, name, language);
}

}  // namespace

VResProviderPE::VResProviderPE(IImageDecoder* decoder) : decoder_(VRef<IImageDecoder>::Share(decoder)) {}

bool VResProviderPE::Attach(const ProviderSource& source) {
  module_ = static_cast<HMODULE>(source.module);
  return module_ != nullptr;
}

HRSRC VResProviderPE::find(std::u16string_view type, std::u16string_view name) const {
  if (module_ == nullptr) return nullptr;
  const std::wstring key = common::toWide(upperAscii(name));
  HRSRC resource = findAnyLanguage(module_, typeKeyOf(type).get(), key.c_str());
  if (resource == nullptr && common::equalsIgnoringAsciiCase(type, u"CURSOR")) {
    resource = findAnyLanguage(module_, typeKeyOf(type, true).get(), key.c_str());
  }
  return resource;
}

std::pair<const void*, std::size_t> VResProviderPE::bytes(std::u16string_view type, std::u16string_view name) const {
  HRSRC resource = find(type, name);
  if (resource == nullptr) return {nullptr, 0};
  const DWORD size = SizeofResource(module_, resource);
  HGLOBAL loaded = LoadResource(module_, resource);  // module memory: nothing to free
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return {nullptr, 0};
  return {data, size};
}

bool VResProviderPE::HasRes(std::u16string_view type, std::u16string_view name) {
  return find(type, name) != nullptr;
}

std::size_t VResProviderPE::RawSize(std::u16string_view type, std::u16string_view name) {
  return bytes(type, name).second;
}

bool VResProviderPE::ReadRaw(std::u16string_view type, std::u16string_view name, void* buffer, std::size_t capacity,
                             std::uint32_t& error) {
  const auto [data, size] = bytes(type, name);
  if (data == nullptr) {
    error = ERROR_RESOURCE_NAME_NOT_FOUND;
    return false;
  }
  if (capacity < size) {
    error = ERROR_INSUFFICIENT_BUFFER;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  std::memcpy(buffer, data, size);
  return true;
}

IBitmap* VResProviderPE::LoadImageRes(std::u16string_view type, std::u16string_view name) {
  const auto [data, size] = bytes(type, name);
  return data == nullptr ? nullptr : background_.Decode(decoder_.get(), data, size);
}

IImageFrames* VResProviderPE::LoadImageFramesRes(std::u16string_view type, std::u16string_view name) {
  const auto [data, size] = bytes(type, name);
  return data == nullptr || !decoder_ ? nullptr : decoder_->DecodeFrames(data, size);
}

void* VResProviderPE::LoadIconRes(std::u16string_view name, int width, int height) {
  const std::wstring key = common::toWide(upperAscii(name));
  return LoadImageW(module_, key.c_str(), IMAGE_ICON, width, height, 0);
}

void* VResProviderPE::LoadBitmapRes(std::u16string_view name) {
  const std::wstring key = common::toWide(upperAscii(name));
  return LoadImageW(module_, key.c_str(), IMAGE_BITMAP, 0, 0, 0);
}

void* VResProviderPE::LoadCursorRes(std::u16string_view name) {
  const std::wstring key = common::toWide(upperAscii(name));
  if (HRSRC animated = findAnyLanguage(module_, RT_ANICURSOR, key.c_str())) {
    const DWORD size = SizeofResource(module_, animated);
    HGLOBAL loaded = LoadResource(module_, animated);
    auto* data = static_cast<BYTE*>(loaded ? LockResource(loaded) : nullptr);
    if (data != nullptr && size != 0) {
      return CreateIconFromResourceEx(data, size, FALSE, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
    }
  }
  return LoadImageW(module_, key.c_str(), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE);
}

}  // namespace veneer
