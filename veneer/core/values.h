// Attribute values shared by every toolkit document.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace veneer {

// An integer, decimal or "0x" hexadecimal (leading blanks and a sign allowed,
// trailing text ignored); nothing when the text does not begin with one.
std::optional<long> parseInteger(std::u16string_view text);

// The parts of `text` between the separators (one part when there is none).
std::vector<std::u16string_view> splitAt(std::u16string_view text, char16_t separator);

// `text` without leading and trailing blanks, tabs, CRs and LFs.
std::u16string_view trimBlanks(std::u16string_view text);

}  // namespace veneer
