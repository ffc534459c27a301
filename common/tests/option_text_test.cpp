#include "common/option_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using common::lastOptionValue;
using common::leadingDecimal;
using common::optionValue;

// The prefix matches in any letter case, over exactly its own length, and the
// value keeps its own case and blanks.
TEST(OptionText, PrefixIsCaseInsensitiveAndValueUnchanged) {
  EXPECT_EQ(optionValue(u"--WATCH=12", u"--watch="), std::u16string_view(u"12"));
  EXPECT_EQ(optionValue(u"--FileMapping-Name= Ab C", u"--filemapping-name="), std::u16string_view(u" Ab C"));
  EXPECT_EQ(optionValue(u"--watch=", u"--watch="), std::u16string_view(u""));
  EXPECT_FALSE(optionValue(u"--watch", u"--watch="));
  EXPECT_FALSE(optionValue(u"-watch=1", u"--watch="));
  EXPECT_FALSE(optionValue(u"x--watch=1", u"--watch="));
}

// A later token with the same prefix wins; unknown tokens are ignored.
TEST(OptionText, LaterTokenWins) {
  const std::vector<std::u16string> tokens{u"prog.exe", u"--watch=1", u"--other=5", u"--Watch=22"};
  EXPECT_EQ(lastOptionValue(tokens, u"--watch="), std::u16string_view(u"22"));
  EXPECT_FALSE(lastOptionValue(tokens, u"--missing="));
}

// Only letters A-Z fold; other characters must match exactly.
TEST(OptionText, FoldsOnlyAsciiLetters) {
  EXPECT_TRUE(common::equalsIgnoringAsciiCase(u"ABC-_=", u"abc-_="));
  EXPECT_FALSE(common::equalsIgnoringAsciiCase(u"\u00c4", u"\u00e4"));
  EXPECT_FALSE(common::equalsIgnoringAsciiCase(u"[", u"{"));
}

// Leading digits only; none gives 0; an overflow saturates instead of wrapping.
TEST(OptionText, LeadingDecimal) {
  EXPECT_EQ(leadingDecimal(u"4242"), 4242u);
  EXPECT_EQ(leadingDecimal(u"12abc"), 12u);
  EXPECT_EQ(leadingDecimal(u""), 0u);
  EXPECT_EQ(leadingDecimal(u"abc"), 0u);
  EXPECT_EQ(leadingDecimal(u" 12"), 0u);
  EXPECT_EQ(leadingDecimal(u"-5"), 0u);
  EXPECT_EQ(leadingDecimal(u"4294967295"), 4294967295u);
  EXPECT_EQ(leadingDecimal(u"4294967296"), 4294967295u);
  EXPECT_EQ(leadingDecimal(u"99999999999999999999999"), 4294967295u);
}

}  // namespace
