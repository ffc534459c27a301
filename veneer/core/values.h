// Attribute values shared by every toolkit document.
#pragma once

#include <optional>
#include <string_view>

namespace veneer {

// An integer, decimal or "0x" hexadecimal (leading blanks and a sign allowed,
// trailing text ignored); nothing when the text does not begin with one.
std::optional<long> parseInteger(std::u16string_view text);

}  // namespace veneer
