// The command block as the client lays it out: byte offsets, not struct names.
#include <gtest/gtest.h>

#include <cstring>

#include "common/fixed_field.h"
#include "linkwarden/command_block.h"

namespace linkwarden {
namespace {

// Fields written at their documented byte offsets are read back through the
// struct, so a layout change that kept the total size would still be caught.
TEST(CommandBlockLayout, FieldsAtDocumentedOffsets) {
  unsigned char bytes[kCommandBlockSize] = {};
  auto put16 = [&](std::size_t offset, const char16_t* text) {
    for (std::size_t i = 0; text[i] != 0; ++i) std::memcpy(bytes + offset + 2 * i, &text[i], 2);
  };
  auto put32 = [&](std::size_t offset, std::uint32_t value) { std::memcpy(bytes + offset, &value, 4); };
  bytes[0] = 1;
  bytes[1] = 7;
  put16(2, u"svc");
  put16(130, u"C:\\drv.sys");
  bytes[652] = 1;
  bytes[653] = 1;
  bytes[654] = 1;
  put32(656, 0x01020304);
  put16(660, u"10.0.0.1");
  put16(788, u"10.0.0.2");
  bytes[916] = 1;
  bytes[917] = 1;
  put16(918, u"C:\\routes.txt");
  put32(1440, 0x0A000000);
  put32(1440 + 16, 12);
  put32(1440 + 36, 25);
  put32(1492, 99);

  CommandBlock block;
  std::memcpy(&block, bytes, sizeof block);
  EXPECT_EQ(block.driver.pending, 1);
  EXPECT_EQ(block.driver.install, 7);
  EXPECT_EQ(common::readField(block.driver.serviceName), u"svc");
  EXPECT_EQ(common::readField(block.driver.imagePath), u"C:\\drv.sys");
  EXPECT_EQ(block.dns.pending + block.dns.apply + block.dns.useDhcp, 3);
  EXPECT_EQ(block.dns.interfaceIndex, 0x01020304u);
  EXPECT_EQ(common::readField(block.dns.primaryServer), u"10.0.0.1");
  EXPECT_EQ(common::readField(block.dns.secondaryServer), u"10.0.0.2");
  EXPECT_EQ(block.route.pending + block.route.add, 2);
  EXPECT_EQ(common::readField(block.route.listPath), u"C:\\routes.txt");
  EXPECT_EQ(block.route.templateRow.dwForwardDest, 0x0A000000u);
  EXPECT_EQ(block.route.templateRow.dwForwardIfIndex, 12u);
  EXPECT_EQ(block.route.templateRow.dwForwardMetric1, 25u);
  EXPECT_EQ(block.route.templateRow.dwForwardMetric5, 99u);
}

// A service name that fills all 64 units with no terminator is read as those
// 64 units, not into the image path that follows.
TEST(CommandBlockLayout, UnterminatedNameStaysInItsField) {
  CommandBlock block{};
  for (char16_t& c : block.driver.serviceName) c = u'n';
  common::writeField(block.driver.imagePath, u"PATH");
  EXPECT_EQ(common::readField(block.driver.serviceName), std::u16string(64, u'n'));
}

}  // namespace
}  // namespace linkwarden
