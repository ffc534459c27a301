// The printf of log records. Messages use a handful of conversions (integers,
// characters, strings, "%%", with flags, width and precision); those are
// formatted here directly, which costs a fraction of the C library's general
// machinery per message. Anything else (floating point, pointers, wide
// strings, "%n", a platform's own length modifiers) goes to vsnprintf with the
// whole format, so the text is always what vsnprintf would make.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace logq {

// What std::vsnprintf(out, size, format, args) does: writes at most size - 1
// bytes of the text and a terminating zero (nothing when size is 0), and
// returns the length of the whole text (negative on an encoding error).
int formatText(char* out, std::size_t size, const char* format, std::va_list args);

}  // namespace logq
