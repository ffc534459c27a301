// Bounded reading and writing of fixed-width, zero-terminated UTF-16 fields,
// such as the text fields of the shared-memory records. A field written by
// another process may lack its terminating zero; reading never looks past the
// field's width.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace common {

// The text up to the first zero unit, or the whole field when it has none.
std::u16string readField(const char16_t* field, std::size_t width);

template <std::size_t N>
std::u16string readField(const char16_t (&field)[N]) {
  return readField(field, N);
}

// Writes `text` and a terminating zero, zero-filling the rest of the field.
// Refuses (false, field untouched) text that would leave no room for the zero.
bool writeField(char16_t* field, std::size_t width, std::u16string_view text);

template <std::size_t N>
bool writeField(char16_t (&field)[N], std::u16string_view text) {
  return writeField(field, N, text);
}

}  // namespace common
