#include "common/fixed_field.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A field that holds no terminating zero is read to its width and no further:
// the unit after the field must not appear in the text.
TEST(FixedField, ReadStopsAtWidthWithoutTerminator) {
  char16_t buffer[6] = {u'a', u'b', u'c', u'd', u'X', u'\0'};
  EXPECT_EQ(common::readField(buffer, 4), u"abcd");
  char16_t terminated[4] = {u'a', u'\0', u'z', u'z'};
  EXPECT_EQ(common::readField(terminated), u"a");
}

// Writing leaves room for the zero and refuses text that would not, keeping the field as it was.
TEST(FixedField, WriteTerminatesAndRefusesOverlongText) {
  char16_t field[4];
  std::fill(std::begin(field), std::end(field), u'#');
  EXPECT_TRUE(common::writeField(field, u"abc"));
  EXPECT_EQ(common::readField(field), u"abc");
  EXPECT_EQ(field[3], u'\0');

  EXPECT_FALSE(common::writeField(field, u"abcd"));
  EXPECT_EQ(common::readField(field), u"abc");

  EXPECT_TRUE(common::writeField(field, u"z"));
  EXPECT_TRUE(std::all_of(field + 1, field + 4, [](char16_t c) { return c == u'\0'; }));
}

}  // namespace
