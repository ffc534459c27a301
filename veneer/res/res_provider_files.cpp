#include "veneer/res/res_provider_files.h"

#include <pugixml.hpp>

#include <vector>

#include "common/utf.h"
#include "veneer/res/file_bytes.h"
#include "veneer/res/resource_id.h"
#include "veneer/xml/xml_names.h"

namespace veneer {
namespace {

std::pair<std::u16string, std::u16string> keyOf(std::u16string_view type, std::u16string_view name) {
  return {lowerAscii(type.substr(0, kIndexTypeUnits)), lowerAscii(name.substr(0, kIndexNameUnits))};
}

}  // namespace

VResProviderFiles::VResProviderFiles(IImageDecoder* decoder) : decoder_(VRef<IImageDecoder>::Share(decoder)) {}

bool VResProviderFiles::Attach(const ProviderSource& source) {
  folder_ = source.folder;
  index_.clear();
  std::vector<char> bytes;
  if (!readWholeFile(joinPath(folder_, u"uires.idx"), bytes)) return false;
  pugi::xml_document document;
  if (!document.load_buffer(bytes.data(), bytes.size())) return false;
  pugi::xml_node root = xml::child(document, "resource");
  if (!root) return false;
  for (pugi::xml_node type = root.first_child(); type; type = type.next_sibling()) {
    if (type.type() != pugi::node_element) continue;
    const std::u16string typeName = common::utf8ToUtf16(type.name());
    xml::forEachChild(type, "file", [&](pugi::xml_node file) {
      index_.try_emplace(keyOf(typeName, xml::attributeText(file, "name")), xml::attributeText(file, "path"));
    });
  }
  return true;
}

std::u16string VResProviderFiles::pathOf(std::u16string_view type, std::u16string_view name) const {
  auto it = index_.find(keyOf(type, name));
  return it == index_.end() ? std::u16string() : joinPath(folder_, it->second);
}

bool VResProviderFiles::HasRes(std::u16string_view type, std::u16string_view name) {
  return index_.count(keyOf(type, name)) != 0;
}

std::size_t VResProviderFiles::RawSize(std::u16string_view type, std::u16string_view name) {
  const std::u16string path = pathOf(type, name);
  std::uint64_t size = 0;
  if (path.empty() || !fileSize(path, size)) return 0;
  return static_cast<std::size_t>(size);
}

bool VResProviderFiles::ReadRaw(std::u16string_view type, std::u16string_view name, void* buffer,
                                std::size_t capacity, std::uint32_t& error) {
  const std::u16string path = pathOf(type, name);
  if (path.empty()) {
    error = 2;
    return false;
  }
  std::size_t read = 0;
  return readFileInto(path, buffer, capacity, read, error);
}

IBitmap* VResProviderFiles::LoadImageRes(std::u16string_view type, std::u16string_view name) {
  std::vector<char> bytes;
  const std::u16string path = pathOf(type, name);
  if (!decoder_ || path.empty() || !readWholeFile(path, bytes) || bytes.empty()) return nullptr;
  return DecodeBitmap(decoder_.get(), bytes.data(), bytes.size());
}

IImageFrames* VResProviderFiles::LoadImageFramesRes(std::u16string_view type, std::u16string_view name) {
  std::vector<char> bytes;
  const std::u16string path = pathOf(type, name);
  if (!decoder_ || path.empty() || !readWholeFile(path, bytes) || bytes.empty()) return nullptr;
  return decoder_->DecodeFrames(bytes.data(), bytes.size());
}

}  // namespace veneer
