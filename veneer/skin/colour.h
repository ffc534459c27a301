// Colour texts: "#rrggbb", "#rrggbbaa", "rgb(r,g,b)", "rgba(r,g,b,a)" or
// "@color/<name>" for a colour of the UI definitions.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace veneer {

// Held as alpha in the top byte, then blue, green, and red in the low byte.
using Colour = std::uint32_t;
inline constexpr Colour kNoNamedColour = 0x00FFFFFF;  // a name not found: white with zero alpha

inline constexpr Colour makeColour(unsigned red, unsigned green, unsigned blue, unsigned alpha = 255) {
  return (alpha & 0xFFu) << 24 | (blue & 0xFFu) << 16 | (green & 0xFFu) << 8 | (red & 0xFFu);
}

// Looks up a named colour; nothing when the name is not defined.
using NamedColourLookup = std::function<std::optional<Colour>(std::u16string_view name)>;

// Nothing for a text that fits none of the forms.
std::optional<Colour> parseColour(std::u16string_view text, const NamedColourLookup& named = {});

}  // namespace veneer
