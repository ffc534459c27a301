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

struct Spec {
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
void putInteger(Output& out, const Spec& spec, char conversion, std::uintmax_t magnitude, char sign) {
  const unsigned base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
  const char* digitsOf = conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  char digits[32];
  char* end = digits + sizeof digits;
  char* first = end;
  for (std::uintmax_t v = magnitude; v != 0; v /= base) *--first = digitsOf[v % base];
  if (magnitude == 0 && spec.precision != 0) *--first = '0';
  const auto count = static_cast<std::size_t>(end - first);
  const std::size_t zeros = spec.precision > 0 && static_cast<std::size_t>(spec.precision) > count
                          ? static_cast<std::size_t>(spec.precision) - count
                          : 0;
  const char* prefix = base == 16 && spec.alternate && magnitude != 0 ? (conversion == 'X' ? "0X" : "0x") : "";
  const std::size_t prefixLength = std::strlen(prefix);
  const std::size_t body = (sign != 0 ? 1 : 0) + prefixLength + zeros + count;
  const auto width = static_cast<std::size_t>(spec.width);
  const std::size_t fill = width > body ? width - body : 0;
  const bool zeroFill = spec.zero && !spec.left && spec.precision < 0;
  if (!spec.left && !zeroFill) out.repeat(' ', fill);
  if (sign != 0) out.put(&sign, 1);
  out.put(prefix, prefixLength);
  if (zeroFill) out.repeat('0', fill);
  out.repeat('0', zeros);
  out.put(first, count);
  if (spec.left) out.repeat(' ', fill);
}

void putPadded(Output& out, const Spec& spec, const char* text, std::size_t length) {
  const auto width = static_cast<std::size_t>(spec.width);
  const std::size_t fill = width > length ? width - length : 0;
  if (!spec.left) out.repeat(' ', fill);
  out.put(text, length);
  if (spec.left) out.repeat(' ', fill);
}

// Formats one conversion at `p` (after its '%'); false for one left to vsnprintf.
bool convert(Output& out, const char*& p, std::va_list& args) {
  Spec spec;
  for (;; ++p) {
    if (*p == '-') spec.left = true;
    else if (*p == '+') spec.plus = true;
    else if (*p == ' ') spec.space = true;
    else if (*p == '#') spec.alternate = true;
    else if (*p == '0') spec.zero = true;
    else break;
  }
  if (*p == '*') {
    ++p;
    const int width = va_arg(args, int);
    if (width == INT_MIN || width > kLargestField || width < -kLargestField) return false;
    spec.left = spec.left || width < 0;
    spec.width = width < 0 ? -width : width;
  } else if (!readNumber(p, spec.width)) {
    return false;
  }
  if (*p == '.') {
    ++p;
    if (*p == '*') {
      ++p;
      const int precision = va_arg(args, int);
      if (precision > kLargestField) return false;
      spec.precision = precision < 0 ? -1 : precision;
    } else if (!readNumber(p, spec.precision)) {
      return false;
    }
  }
  if (p[0] == 'h' && p[1] == 'h') spec.length = Length::kChar, p += 2;
  else if (p[0] == 'l' && p[1] == 'l') spec.length = Length::kLongLong, p += 2;
  else if (*p == 'h') spec.length = Length::kShort, ++p;
  else if (*p == 'l') spec.length = Length::kLong, ++p;
  else if (*p == 'z') spec.length = Length::kSize, ++p;
  else if (*p == 'j') spec.length = Length::kMax, ++p;
  else if (*p == 't') spec.length = Length::kPointerDiff, ++p;
  const char conversion = *p++;
  switch (conversion) {
    case 'd':
    case 'i': {
      const std::intmax_t value = signedArgument(spec.length, args);
      const std::uintmax_t magnitude = value < 0 ? 0 - static_cast<std::uintmax_t>(value) : static_cast<std::uintmax_t>(value);
      const char sign = value < 0 ? '-' : spec.plus ? '+' : spec.space ? ' ' : 0;
      putInteger(out, spec, conversion, magnitude, sign);
      return true;
    }
    case 'o':
      // The platforms differ on "%#.0o" of 0 (C says "0", MinGW's prints nothing): theirs.
      if (spec.alternate) return false;
      putInteger(out, spec, conversion, unsignedArgument(spec.length, args), 0);
      return true;
    case 'u':
    case 'x':
    case 'X':
      putInteger(out, spec, conversion, unsignedArgument(spec.length, args), 0);
      return true;
    case 'c': {
      if (spec.length != Length::kNone || spec.zero) return false;  // wide characters, '0' fill: the library's
      const char c = static_cast<char>(va_arg(args, int));
      putPadded(out, spec, &c, 1);
      return true;
    }
    case 's': {
      if (spec.length != Length::kNone || spec.zero) return false;
      const char* text = va_arg(args, const char*);
      if (text == nullptr) return false;  // the library's own "(null)"
      std::size_t length = 0;
      if (spec.precision < 0) {
        length = std::strlen(text);
      } else {
        const void* zero = std::memchr(text, '\0', static_cast<std::size_t>(spec.precision));
        length = zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - text)
                                 : static_cast<std::size_t>(spec.precision);
      }
      putPadded(out, spec, text, length);
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
