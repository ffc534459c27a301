#include "linkwarden/route_list.h"

#include <gtest/gtest.h>

namespace linkwarden {
namespace {

std::uint32_t ip(int a, int b, int c, int d) {
  return toNetworkOrder(static_cast<std::uint32_t>(a << 24 | b << 16 | c << 8 | d));
}

std::vector<RoutePrefix> parse(std::string_view text) {
  std::vector<RoutePrefix> out;
  parseRouteList(text, out);
  return out;
}

// Network byte order: the first octet is the first byte in memory.
TEST(RouteList, NetworkOrder) {
  const std::uint32_t value = ip(10, 1, 2, 3);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
  EXPECT_EQ(bytes[0], 10);
  EXPECT_EQ(bytes[3], 3);
  EXPECT_EQ(maskOfPrefix(8), ip(255, 0, 0, 0));
  EXPECT_EQ(maskOfPrefix(23), ip(255, 255, 254, 0));
}

// The Winsock rules: 1 to 4 parts, octal and hexadecimal parts, the last part
// filling the remaining bytes, trailing blanks only.
TEST(RouteList, InetAddressRules) {
  EXPECT_EQ(parseInetAddress("10.0.0.0"), ip(10, 0, 0, 0));
  EXPECT_EQ(parseInetAddress("0x0A.010.0X1f.7"), ip(10, 8, 31, 7));
  EXPECT_EQ(parseInetAddress("10.1.258"), ip(10, 1, 1, 2));
  EXPECT_EQ(parseInetAddress("10.65538"), ip(10, 1, 0, 2));
  EXPECT_EQ(parseInetAddress("167772161"), ip(10, 0, 0, 1));
  EXPECT_EQ(parseInetAddress("0"), 0u);
  EXPECT_EQ(parseInetAddress("1.2.3.4  "), ip(1, 2, 3, 4));
  for (const char* bad : {"", " 1.2.3.4", "1.2.3.4x", "1.2.3.256", "256.1.1.1", "1.2.3.4.5", "1..2", "08.1.1.1",
                          "0x.1.1.1", "1.2.65536", "1.16777216", "4294967296", "a.b.c.d", "1.2.3."}) {
    EXPECT_EQ(parseInetAddress(bad), 0xFFFFFFFFu) << bad;
  }
}

TEST(RouteList, AtoiRules) {
  EXPECT_EQ(parseAtoi(" \t+24abc"), 24);
  EXPECT_EQ(parseAtoi("-3"), -3);
  EXPECT_EQ(parseAtoi("x8"), 0);
  EXPECT_EQ(parseAtoi(""), 0);
  EXPECT_EQ(parseAtoi("99999999999999"), 2147483647);
}

// Three CR LF lines: the empty one and the one without "/" are dropped.
TEST(RouteList, ThreeLineFile) {
  EXPECT_EQ(parse("198.51.100.0/24\r\n\r\n198.51.100.7\r\n"),
            (std::vector<RoutePrefix>{{ip(198, 51, 100, 0), ip(255, 255, 255, 0)}}));
}

// Default route, /33, /0, non-numeric lengths, non-addresses used as
// 255.255.255.255, duplicates and file order kept.
TEST(RouteList, LengthsAndOddLines) {
  EXPECT_EQ(parse("0.0.0.0/0\n1.0.0.0/33\n2.0.0.0/x\nnope/8\n2.0.0.0/x\n3.0.0.0/-4\n3.0.0.0/ 16 junk"),
            (std::vector<RoutePrefix>{{0, 0},
                                      {ip(1, 0, 0, 0), 0xFFFFFFFFu},
                                      {ip(2, 0, 0, 0), 0},
                                      {0xFFFFFFFFu, ip(255, 0, 0, 0)},
                                      {ip(2, 0, 0, 0), 0},
                                      {ip(3, 0, 0, 0), 0},
                                      {ip(3, 0, 0, 0), ip(255, 255, 0, 0)}}));
}

// Lead-in bytes outside 0x20..0x7E are skipped; a file of nothing else, or
// nothing at all, is an empty list; the text ends at the first zero byte.
TEST(RouteList, LeadInEmptyAndBinary) {
  EXPECT_EQ(parse("\xEF\xBB\xBF\x01\t10.0.0.0/8"), (std::vector<RoutePrefix>{{ip(10, 0, 0, 0), ip(255, 0, 0, 0)}}));
  EXPECT_TRUE(parse("").empty());
  EXPECT_TRUE(parse(std::string_view("\x01\x02\xff\n\r\x7f", 6)).empty());
  EXPECT_EQ(parse(std::string_view("1.0.0.0/8\n\0" "2.0.0.0/8", 19)).size(), 1u);
}

}  // namespace
}  // namespace linkwarden
