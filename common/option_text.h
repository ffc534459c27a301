// Command-line options of the form "--name=value".
//
// An option's prefix (the equals sign included) is compared without regard to
// ASCII letter case over exactly its own length; the value is the rest of the
// token, unchanged. Later tokens replace earlier ones; tokens that match no
// option are ignored. Each program decides whether token 0, its own path, is
// examined too, by what it passes in.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace common {

// The value of `token` when it begins with `prefix`, otherwise nothing.
std::optional<std::u16string_view> optionValue(std::u16string_view token, std::u16string_view prefix);

// The value of the last token in `tokens` that begins with `prefix`.
std::optional<std::u16string_view> lastOptionValue(std::span<const std::u16string> tokens,
                                                   std::u16string_view prefix);

// The unsigned decimal number made by the leading digits of `text`; 0 when
// there are none. A number too large for 32 bits gives UINT32_MAX rather than
// wrapping into some other, valid-looking value.
std::uint32_t leadingDecimal(std::u16string_view text);

// ASCII-only case folding, enough for option names and other protocol texts.
char16_t asciiLower(char16_t c);
bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

}  // namespace common
