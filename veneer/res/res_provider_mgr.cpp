#include "veneer/res/res_provider_mgr.h"

#include <vector>

#include "veneer/res/file_bytes.h"
#include "veneer/res/resource_id.h"

namespace veneer {

VResProviderMgr::VResProviderMgr(IImageDecoder* decoder) : decoder_(VRef<IImageDecoder>::Share(decoder)) {}

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

}  // namespace veneer
