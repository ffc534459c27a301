#include "common/code_page.h"

#include <gtest/gtest.h>

namespace {

// The same bytes natively (iconv) and under Wine (code page 936).
TEST(CodePage, Gbk) {
  EXPECT_EQ(common::toGbk(u"svc"), "svc");
  EXPECT_EQ(common::toGbk(u"\u9a71\u52a8"), "\xc7\xfd\xb6\xaf");  // 驱动
  const std::string lacking = common::toGbk(u"a\U0001F600b");  // no GBK form
  EXPECT_TRUE(lacking.starts_with("a?") && lacking.ends_with("?b")) << lacking;
  EXPECT_EQ(common::toGbk(u""), "");
}

}  // namespace
