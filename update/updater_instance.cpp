#include "update/updater_instance.h"

namespace update {
namespace {

// FNV-1a over the folded UTF-16 units.
std::uint64_t foldedHash(std::u16string_view path) {
  std::uint64_t hash = 14695981039346656037ull;
  for (char16_t unit : path) {
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + (u'a' - u'A'));
    if (unit == u'/') unit = u'\\';
    for (const unsigned byte : {unit & 0xFFu, static_cast<unsigned>(unit >> 8)}) {
      hash ^= byte;
      hash *= 1099511628211ull;
    }
  }
  return hash;
}

}  // namespace

std::u16string InstanceName(std::u16string_view fullRppath) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  const std::uint64_t hash = foldedHash(fullRppath);
  std::u16string name = u"TavaroUpdate-";
  for (int shift = 60; shift >= 0; shift -= 4) name += kDigits[(hash >> shift) & 0xF];
  return name;
}

std::uint32_t InstanceMark(std::u16string_view fullRppath) {
  return static_cast<std::uint32_t>(foldedHash(fullRppath) >> 32) | 1u;  // never 0, the value of no property
}

}  // namespace update
