#include "linkwarden/route_list.h"

#include <climits>
#include <cstring>

namespace linkwarden {
namespace {

constexpr std::uint32_t kNoAddress = 0xFFFFFFFFu;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::uint32_t toNetworkOrder(std::uint32_t hostValue) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(hostValue >> 24),
                                  static_cast<unsigned char>(hostValue >> 16),
                                  static_cast<unsigned char>(hostValue >> 8), static_cast<unsigned char>(hostValue)};
  std::uint32_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

std::uint32_t parseInetAddress(std::string_view text) {
  std::uint32_t parts[4];
  int count = 0;
  std::size_t i = 0;
  for (;;) {
    if (i >= text.size() || !isDigit(text[i])) return kNoAddress;
    std::uint64_t value = 0;
    unsigned base = 10;
    bool digits = false;
    if (text[i] == '0') {
      ++i;
      if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
      } else {
        base = 8;
        digits = true;  // "0" alone is a number
      }
    }
    for (; i < text.size(); ++i) {
      const int digit = base == 16 ? hexValue(text[i]) : (isDigit(text[i]) ? text[i] - '0' : -1);
      if (digit < 0) break;
      if (base == 8 && digit > 7) return kNoAddress;
      value = value * base + static_cast<unsigned>(digit);
      if (value > 0xFFFFFFFFu) return kNoAddress;
      digits = true;
    }
    if (!digits) return kNoAddress;
    if (i < text.size() && text[i] == '.') {
      if (count >= 3 || value > 0xFF) return kNoAddress;
      parts[count++] = static_cast<std::uint32_t>(value);
      ++i;
      continue;
    }
    parts[count++] = static_cast<std::uint32_t>(value);
    break;
  }
  for (; i < text.size(); ++i) {
    if (!isSpace(text[i])) return kNoAddress;
  }
  // The last part fills all the bytes the earlier parts left.
  std::uint32_t host = 0;
  const std::uint32_t last = parts[count - 1];
  switch (count) {
    case 1: host = last; break;
    case 2:
      if (last > 0xFFFFFF) return kNoAddress;
      host = parts[0] << 24 | last;
      break;
    case 3:
      if (last > 0xFFFF) return kNoAddress;
      host = parts[0] << 24 | parts[1] << 16 | last;
      break;
    default:
      if (last > 0xFF) return kNoAddress;
      host = parts[0] << 24 | parts[1] << 16 | parts[2] << 8 | last;
  }
  return toNetworkOrder(host);
}

int parseAtoi(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::uint32_t maskOfPrefix(int length) {
  if (length <= 0) return 0;
  if (length >= 32) return 0xFFFFFFFFu;
  return toNetworkOrder(~0u << (32 - length));
}

void parseRouteList(std::string_view bytes, std::vector<RoutePrefix>& out) {
  bytes = bytes.substr(0, bytes.find('\0'));
  std::size_t i = 0;
  while (i < bytes.size() && (bytes[i] < 0x20 || bytes[i] > 0x7E)) ++i;
  while (i < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", i);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(i, end - i);
    if (const std::size_t slash = line.find('/'); slash != std::string_view::npos) {
      out.push_back(RoutePrefix{parseInetAddress(line.substr(0, slash)), maskOfPrefix(parseAtoi(line.substr(slash + 1)))});
    }
    i = bytes.find_first_not_of("\r\n", end);
    if (i == std::string_view::npos) break;
  }
}

}  // namespace linkwarden
