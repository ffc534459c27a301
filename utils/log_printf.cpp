#include "utils/log_printf.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace logq {
namespace {

// Writes what fits and counts everything, as vsnprintf does.
class Output {
 public:
  Output(char* out, std::size_t size) : out_(out), size_(size) {}

  void put(const char* text, std::size_t n) {
    if (used_ + 1 < size_) std::memcpy(out_ + used_, text, std::min(n, size_ - 1 - used_));
    used_ += n;
  }
  void repeat(char c, std::size_t n) {
    if (used_ + 1 < size_) std::memset(out_ + used_, c, std::min(n, size_ - 1 - used_));
    used_ += n;
  }
  void finish() {
    if (size_ != 0) out_[std::min(used_, size_ - 1)] = '\0';
  }
  std::size_t used() const { return used_; }

 private:
  char* out_;
  std::size_t size_;
  std::size_t used_ = 0;
};

enum class Length { kNone, kChar, kShort, kLong, kLongLong, kSize, kMax, kPointerDiff };

struct Field {
  bool left = false, plus = false, space = false, alternate = false, zero = false;
  int width = 0;
  int precision = -1;  // none
  Length length = Length::kNone;
};

// Width and precision beyond this go to vsnprintf (which may refuse them).
constexpr int kLargestField = 1 << 20;

bool readNumber(const char*& p, int& value) {
  value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p++ - '0');
    if (value > kLargestField) return false;
  }
  return true;
}

std::intmax_t signedArgument(Length length, std::va_list& args) {
  switch (length) {
    case Length::kChar: return static_cast<signed char>(va_arg(args, int));
    case Length::kShort: return static_cast<short>(va_arg(args, int));
    case Length::kLong: return va_arg(args, long);
    case Length::kLongLong: return va_arg(args, long long);
    case Length::kSize: return va_arg(args, std::ptrdiff_t);  // the signed type of size_t's width
    case Length::kMax: return va_arg(args, std::intmax_t);
    case Length::kPointerDiff: return va_arg(args, std::ptrdiff_t);
    case Length::kNone: break;
  }
  return va_arg(args, int);
}

std::uintmax_t unsignedArgument(Length length, std::va_list& args) {
  switch (length) {
    case Length::kChar: return static_cast<unsigned char>(va_arg(args, unsigned));
    case Length::kShort: return static_cast<unsigned short>(va_arg(args, unsigned));
    case Length::kLong: return va_arg(args, unsigned long);
    case Length::kLongLong: return va_arg(args, unsigned long long);
    case Length::kSize: return va_arg(args, std::size_t);
    case Length::kMax: return va_arg(args, std::uintmax_t);
    case Length::kPointerDiff: return static_cast<std::size_t>(va_arg(args, std::ptrdiff_t));
    case Length::kNone: break;
  }
  return va_arg(args, unsigned);
}

// An integer conversion by the C rules: precision as the least count of
// digits (none for zero at precision 0), '#' (0x for non-zero hexadecimal;
// octal with '#' is left to the library), the sign or blank, then the width filled with blanks,
// or with zeros after sign and prefix when '0' is given without a precision.
void putInteger(Output& out, const Field& field, char conversion, std::uintmax_t magnitude, char sign) {
  const unsigned base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
  const char* digitsOf = conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  char digits[32];
  char* end = digits + sizeof digits;
  char* first = end;
  for (std::uintmax_t v = magnitude; v != 0; v /= base) *--first = digitsOf[v % base];
  if (magnitude == 0 && field.precision != 0) *--first = '0';
  const auto count = static_cast<std::size_t>(end - first);
  const std::size_t zeros = field.precision > 0 && static_cast<std::size_t>(field.precision) > count
                          ? static_cast<std::size_t>(field.precision) - count
                          : 0;
  const char* prefix = base == 16 && field.alternate && magnitude != 0 ? (conversion == 'X' ? "0X" : "0x") : "";
  const std::size_t prefixLength = std::strlen(prefix);
  const std::size_t body = (sign != 0 ? 1 : 0) + prefixLength + zeros + count;
  const auto width = static_cast<std::size_t>(field.width);
  const std::size_t fill = width > body ? width - body : 0;
  const bool zeroFill = field.zero && !field.left && field.precision < 0;
  if (!field.left && !zeroFill) out.repeat(' ', fill);
  if (sign != 0) out.put(&sign, 1);
  out.put(prefix, prefixLength);
  if (zeroFill) out.repeat('0', fill);
  out.repeat('0', zeros);
  out.put(first, count);
  if (field.left) out.repeat(' ', fill);
}

void putPadded(Output& out, const Field& field, const char* text, std::size_t length) {
  const auto width = static_cast<std::size_t>(field.width);
  const std::size_t fill = width > length ? width - length : 0;
  if (!field.left) out.repeat(' ', fill);
  out.put(text, length);
  if (field.left) out.repeat(' ', fill);
}

// Formats one conversion at `p` (after its '%'); false for one left to vsnprintf.
bool convert(Output& out, const char*& p, std::va_list& args) {
  Field field;
  for (;; ++p) {
    if (*p == '-') field.left = true;
    else if (*p == '+') field.plus = true;
    else if (*p == ' ') field.space = true;
    else if (*p == '#') field.alternate = true;
    else if (*p == '0') field.zero = true;
    else break;
  }
  if (*p == '*') {
    ++p;
    const int width = va_arg(args, int);
    if (width == INT_MIN || width > kLargestField || width < -kLargestField) return false;
    field.left = field.left || width < 0;
    field.width = width < 0 ? -width : width;
  } else if (!readNumber(p, field.width)) {
    return false;
  }
  if (*p == '.') {
    ++p;
    if (*p == '*') {
      ++p;
      const int precision = va_arg(args, int);
      if (precision > kLargestField) return false;
      field.precision = precision < 0 ? -1 : precision;
    } else if (!readNumber(p, field.precision)) {
      return false;
    }
  }
  if (p[0] == 'h' && p[1] == 'h') field.length = Length::kChar, p += 2;
  else if (p[0] == 'l' && p[1] == 'l') field.length = Length::kLongLong, p += 2;
  else if (*p == 'h') field.length = Length::kShort, ++p;
  else if (*p == 'l') field.length = Length::kLong, ++p;
  else if (*p == 'z') field.length = Length::kSize, ++p;
  else if (*p == 'j') field.length = Length::kMax, ++p;
  else if (*p == 't') field.length = Length::kPointerDiff, ++p;
  const char conversion = *p++;
  switch (conversion) {
    case 'd':
    case 'i': {
      const std::intmax_t value = signedArgument(field.length, args);
      const std::uintmax_t magnitude = value < 0 ? 0 - static_cast<std::uintmax_t>(value) : static_cast<std::uintmax_t>(value);
      const char sign = value < 0 ? '-' : field.plus ? '+' : field.space ? ' ' : 0;
      putInteger(out, field, conversion, magnitude, sign);
      return true;
    }
    case 'o':
      // The platforms differ on "%#.0o" of 0 (C says "0", MinGW's prints nothing): theirs.
      if (field.alternate) return false;
      putInteger(out, field, conversion, unsignedArgument(field.length, args), 0);
      return true;
    case 'u':
    case 'x':
    case 'X':
      putInteger(out, field, conversion, unsignedArgument(field.length, args), 0);
      return true;
    case 'c': {
      if (field.length != Length::kNone || field.zero) return false;  // wide characters, '0' fill: the library's
      const char c = static_cast<char>(va_arg(args, int));
      putPadded(out, field, &c, 1);
      return true;
    }
    case 's': {
      if (field.length != Length::kNone || field.zero) return false;
      const char* text = va_arg(args, const char*);
      if (text == nullptr) return false;  // the library's own "(null)"
      std::size_t length = 0;
      if (field.precision < 0) {
        length = std::strlen(text);
      } else {
        const void* zero = std::memchr(text, '\0', static_cast<std::size_t>(field.precision));
        length = zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - text)
                                 : static_cast<std::size_t>(field.precision);
      }
      putPadded(out, field, text, length);
      return true;
    }
    case '%':
      if (p[-2] != '%') return false;  // "%%" only, no flags or width
      out.put("%", 1);
      return true;
    default:
      return false;
  }
}

}  // namespace

int formatText(char* out, std::size_t size, const char* format, std::va_list args) {
  std::va_list unread;  // for vsnprintf, should a conversion be left to it
  va_copy(unread, args);
  std::va_list reading;  // a variable of its own: passed on by reference
  va_copy(reading, args);
  Output output(out, size);
  const char* p = format;
  bool mine = true;
  while (mine) {
    const char* percent = std::strchr(p, '%');
    if (percent == nullptr) {
      output.put(p, std::strlen(p));
      break;
    }
    output.put(p, static_cast<std::size_t>(percent - p));
    p = percent + 1;
    mine = convert(output, p, reading);
  }
  va_end(reading);
  if (mine && output.used() <= static_cast<std::size_t>(INT_MAX)) {
    output.finish();
    va_end(unread);
    return static_cast<int>(output.used());
  }
  const int n = std::vsnprintf(out, size, format, unread);
  va_end(unread);
  return n;
}

}  // namespace logq
