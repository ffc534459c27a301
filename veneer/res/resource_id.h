// ResourceId: "type:name", split at the first ':' only; types and names match
// without regard to case. The type "file" names a path read directly.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veneer {

struct ResourceId {
  std::u16string type;
  std::u16string name;
};

// Nothing when the text has no ':' (a single part is no ResourceId).
std::optional<ResourceId> splitResourceId(std::u16string_view text);

bool isFileType(std::u16string_view type);

// ASCII upper case: how resource types and names are keyed.
std::u16string upperAscii(std::u16string_view text);
std::u16string lowerAscii(std::u16string_view text);

}  // namespace veneer
