// The route list file: one "address/prefix length" per line.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace linkwarden {

// Destination and mask in network byte order, as the forward row holds them.
struct RoutePrefix {
  std::uint32_t destination;
  std::uint32_t mask;

  bool operator==(const RoutePrefix&) const = default;
};

// Parses the file's bytes (up to the first zero byte): leading bytes outside
// 0x20..0x7E are skipped, lines split at runs of CR and LF, lines without "/"
// dropped; file order and duplicates are kept. Appends to `out`.
void parseRouteList(std::string_view bytes, std::vector<RoutePrefix>& out);

// The Internet dotted notation as Winsock's inet_addr reads it ("a.b.c.d",
// "a.b.c", "a.b", "a"; decimal, 0-prefixed octal or 0x-prefixed hexadecimal
// parts; trailing blanks allowed) in network byte order; 255.255.255.255 for
// text that is no address.
std::uint32_t parseInetAddress(std::string_view text);

// The C library's atoi, saturated to the int range.
int parseAtoi(std::string_view text);

// The mask of a prefix length, in network byte order.
std::uint32_t maskOfPrefix(int length);

// A host-order value (first octet in the top byte) in network byte order.
std::uint32_t toNetworkOrder(std::uint32_t hostValue);

}  // namespace linkwarden
