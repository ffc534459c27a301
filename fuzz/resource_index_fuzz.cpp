// The folder provider's index "uires.idx" from arbitrary bytes: it attaches or
// refuses, and every name it lists is found without regard to case.
#include <pugixml.hpp>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "common/utf.h"
#include "fuzz/fuzz_input.h"
#include "veneer/res/res_provider_files.h"
#include "veneer/res/resource_id.h"
#include "veneer/xml/xml_names.h"

namespace {

const std::string& folder() {
  static const std::string path = [] {
    std::string p = (std::filesystem::temp_directory_path() / ("uires-fuzz-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(p);
    return p;
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::FILE* file = std::fopen((folder() + "/uires.idx").c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  veneer::VRef<veneer::VResProviderFiles> provider =
      veneer::VRef<veneer::VResProviderFiles>::Adopt(new veneer::VResProviderFiles(nullptr));
  if (!provider->Attach(veneer::ProviderSource{nullptr, common::utf8ToUtf16(folder())})) return 0;

  // The first listed file of the first type: found as written and in other case.
  pugi::xml_document document;
  document.load_buffer(data, size);
  pugi::xml_node root = veneer::xml::child(document, "resource");
  for (pugi::xml_node type = root.first_child(); type; type = type.next_sibling()) {
    if (type.type() != pugi::node_element) continue;
    pugi::xml_node file = veneer::xml::child(type, "file");
    if (!file) continue;
    const std::u16string typeName = common::utf8ToUtf16(type.name());
    const std::u16string name = veneer::xml::attributeText(file, "name");
    FUZZ_CHECK(provider->HasRes(typeName, name));
    std::u16string upperType = typeName, upperName = name;
    for (char16_t& c : upperType) c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    for (char16_t& c : upperName) c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    FUZZ_CHECK(provider->HasRes(upperType, upperName));
    provider->RawSize(typeName, name);  // a listed file that does not exist is size 0, not a crash
    break;
  }
  return 0;
}
