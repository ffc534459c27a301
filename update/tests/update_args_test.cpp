// The updater's options: prefixes without regard to case over their own
// length, the later token winning, blanks trimmed from four fields only.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/update_args.h"

namespace update {
namespace {

UpdateArgs parse(std::vector<std::u16string> tokens) { return ParseUpdateArgs(tokens); }

TEST(UpdateArgsTest, PrefixesMatchWithoutCaseOverTheirOwnLength) {
  const UpdateArgs a = parse({u"C:\\update.exe", u"--DLURL=x", u"--dlurlx=y", u"--Lang=us", u"--vrc=1.0"});
  EXPECT_EQ(a.dlurl, u"x");  // --dlurlx= does not match: the compare includes the equals sign
  EXPECT_EQ(a.lang, u"us");
  EXPECT_EQ(a.vrc, u"1.0");
  EXPECT_TRUE(a.dlpath.empty());
}

TEST(UpdateArgsTest, TheProgramPathIsExaminedAndLaterTokensWin) {
  const UpdateArgs a = parse({u"--rppath=first", u"--lang=cn", u"--lang=hk", u"--rppath=second"});
  EXPECT_EQ(a.lang, u"hk");
  EXPECT_EQ(a.rppath, u"second");
}

// Blanks (U+0020 only) go from the paths, the version and the language, not from the URL.
TEST(UpdateArgsTest, BlanksTrimmedFromFourFieldsOnly) {
  const UpdateArgs a = parse({u"update.exe", u"--dlurl=  http://h/x  ", u"--dlpath=  C:\\d\\new.exe  ",
                              u"--rppath=\tC:\\old.exe ", u"--lang=   ", u"--vrc= 2 "});
  EXPECT_EQ(a.dlurl, u"  http://h/x  ");
  EXPECT_EQ(a.dlpath, u"C:\\d\\new.exe");
  EXPECT_EQ(a.rppath, u"\tC:\\old.exe");  // a tab is no blank
  EXPECT_EQ(a.lang, u"");
  EXPECT_EQ(a.vrc, u"2");
  EXPECT_EQ(LanguageResourceId(a), u"I18N:cn");
}

TEST(UpdateArgsTest, EveryTokenIsEchoedInOrder) {
  std::vector<std::u16string> echoed;
  const std::vector<std::u16string> tokens{u"update.exe", u"--lang=us", u"unrelated"};
  ParseUpdateArgs(tokens, [&](std::u16string_view t) { echoed.emplace_back(t); });
  EXPECT_EQ(echoed, tokens);
}

// The language value is used as written; the resource lookup ignores case (US finds us), fr finds nothing.
TEST(UpdateArgsTest, LanguageResourceIds) {
  EXPECT_EQ(LanguageResourceId(parse({u"--lang=US"})), u"I18N:US");
  EXPECT_EQ(LanguageResourceId(parse({u"--lang=fr"})), u"I18N:fr");
  EXPECT_EQ(LanguageResourceId(parse({u"x"})), u"I18N:cn");
}

}  // namespace
}  // namespace update
