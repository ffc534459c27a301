#include "common/utf.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf, RoundTrips) {
  const std::string text = "a\xC3\xA9\xE5\x85\xB3\xE9\x97\xAD\xF0\x9F\x98\x80";  // aé关闭😀
  const std::u16string wide = common::utf8ToUtf16(text);
  EXPECT_EQ(wide, u"a\u00e9\u5173\u95ed\U0001F600");
  EXPECT_EQ(common::utf16ToUtf8(wide), text);
}

// Truncated, overlong and surrogate sequences become U+FFFD, one per byte that starts no valid sequence.
TEST(Utf, IllFormedInput) {
  EXPECT_EQ(common::utf8ToUtf16("a\xE5\x85"), u"a\uFFFD\uFFFD");
  EXPECT_EQ(common::utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(common::utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(common::utf8ToUtf16("\xFF"), u"\uFFFD");
  EXPECT_EQ(common::utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}

}  // namespace
