#include "veneer/res/res_provider_mgr.h"

#include <optional>
#include <vector>

#include "veneer/res/file_bytes.h"
#include "veneer/res/platform_resources.h"
#include "veneer/res/res_provider_files.h"
#include "veneer/res/resource_id.h"

namespace veneer {

IResProvider* CreateResProvider(int kind, IImageDecoder* decoder) {
  if (kind == kProviderEmbedded) return CreateEmbeddedProvider(decoder);
  if (kind == kProviderFolder) return new VResProviderFiles(decoder);
  return nullptr;
}

VResProviderMgr::VResProviderMgr(IImageDecoder* decoder)
    : decoder_(VRef<IImageDecoder>::Share(decoder)), standardCursor_(&LoadStandardCursor) {}

VResProviderMgr::~VResProviderMgr() {
  for (IResProvider* provider : providers_) provider->Release();
}

void VResProviderMgr::AddProvider(IResProvider* provider) {
  if (provider == nullptr) return;
  std::lock_guard guard(lock_);
  provider->AddRef();
  providers_.push_back(provider);
}

IResProvider* VResProviderMgr::FindProvider(std::u16string_view type, std::u16string_view name) {
  std::lock_guard guard(lock_);
  for (auto it = providers_.rbegin(); it != providers_.rend(); ++it) {
    if ((*it)->HasRes(type, name)) return *it;
  }
  return nullptr;
}

std::size_t VResProviderMgr::RawSize(std::u16string_view type, std::u16string_view name) {
  std::lock_guard guard(lock_);
  if (isFileType(type)) {
    std::uint64_t size = 0;
    return fileSize(std::u16string(name), size) ? static_cast<std::size_t>(size) : 0;
  }
  IResProvider* provider = FindProvider(type, name);
  return provider ? provider->RawSize(type, name) : 0;
}

bool VResProviderMgr::ReadRaw(std::u16string_view type, std::u16string_view name, void* buffer,
                              std::size_t capacity, std::uint32_t& error) {
  std::lock_guard guard(lock_);
  if (isFileType(type)) {
    std::size_t read = 0;
    return readFileInto(std::u16string(name), buffer, capacity, read, error);
  }
  IResProvider* provider = FindProvider(type, name);
  return provider != nullptr && provider->ReadRaw(type, name, buffer, capacity, error);
}

IBitmap* VResProviderMgr::LoadImageById(std::u16string_view resourceId) {
  const std::optional<ResourceId> id = splitResourceId(resourceId);
  if (!id) return nullptr;
  std::lock_guard guard(lock_);
  if (isFileType(id->type)) {
    std::vector<char> bytes;
    if (!decoder_ || !readWholeFile(id->name, bytes) || bytes.empty()) return nullptr;
    return DecodeBitmap(decoder_.get(), bytes.data(), bytes.size());
  }
  IResProvider* provider = FindProvider(id->type, id->name);
  return provider ? provider->LoadImageRes(id->type, id->name) : nullptr;
}

bool LoadXmlResource(VResProviderMgr& providers, pugi::xml_document& document, std::u16string_view resourceId) {
  const std::optional<ResourceId> id = splitResourceId(resourceId);
  if (!id) return false;
  const std::size_t size = providers.RawSize(id->type, id->name);
  if (size == 0) return false;
  std::vector<char> bytes(size + 1, '\0');  // the terminator after the data
  std::uint32_t error = 0;
  if (!providers.ReadRaw(id->type, id->name, bytes.data(), size, error)) return false;
  const pugi::xml_parse_result result = document.load_buffer(bytes.data(), size, pugi::parse_default, pugi::encoding_utf8);
  return static_cast<bool>(result);
}

namespace {

// The leading decimal number of the whole text, or none.
std::optional<long> wholeNumber(std::u16string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  long value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  return value;
}

}  // namespace

void* VResProviderMgr::LoadCursorByName(std::u16string_view name) {
  if (const std::optional<long> id = wholeNumber(name); id && *id < 65536) {
    return standardCursor_ ? standardCursor_(static_cast<int>(*id)) : nullptr;
  }
  std::lock_guard guard(lock_);
  const std::u16string key = lowerAscii(name);
  if (auto it = cursors_.find(key); it != cursors_.end()) return it->second;
  IResProvider* provider = FindProvider(u"CURSOR", name);
  void* cursor = provider ? provider->LoadCursorRes(name) : nullptr;
  if (cursor != nullptr) cursors_.emplace(key, cursor);
  return cursor;
}

void* VResProviderMgr::LoadIconByName(std::u16string_view nameAndSize, int defaultSize) {
  std::u16string_view name = nameAndSize;
  int size = defaultSize;
  if (const std::size_t colon = nameAndSize.rfind(u':'); colon != std::u16string_view::npos) {
    if (const std::optional<long> pixels = wholeNumber(nameAndSize.substr(colon + 1)); pixels && *pixels > 0) {
      name = nameAndSize.substr(0, colon);
      size = static_cast<int>(*pixels);
    }
  }
  std::lock_guard guard(lock_);
  IResProvider* provider = FindProvider(u"ICON", name);
  return provider ? provider->LoadIconRes(name, size, size) : nullptr;
}

}  // namespace veneer
