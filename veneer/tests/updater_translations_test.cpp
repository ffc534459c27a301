// The updater's three translation documents, checked text by text against
// the table of texts the product ships (typed here, not read from the files).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "veneer/i18n/translator.h"
#include "veneer/xml/xml_names.h"

namespace veneer {
namespace {

struct Row {
  const char16_t* key;
  const char16_t* us;
  const char16_t* cn;
  const char16_t* hk;
};

const Row kDefaultContext[] = {
    {u"{caption.tip}", u"Close", u"关闭", u"關閉"},
    {u"{downloading}", u"Downloading", u"正在下载", u"正在下載"},
    {u"{current progress}", u"Current Progress\uff1a", u"当前进度\uff1a", u"當前進度\uff1a"},
    {u"{verifing}", u"Verifing", u"正在校验文件", u"正在檢驗文件"},
    {u"{updating}", u"Updating", u"正在更新", u"正在更新"},
    {u"{update finished}", u"Update Finished", u"更新完成", u"更新完成"},
    {u"{done}", u"Done", u"完成", u"完成"},
    {u"{update error}", u"Update Error", u"更新出错", u"更新出錯"},
    {u"{error info}", u"Error Information", u"更新出错", u"更新出錯的原因"},
    {u"{close}", u"Close", u"关闭", u"關閉"},
};

const Row kMessageContext[] = {
    {u"{lose args}", u"Lose Args", u"启动参数不足", u"啟動參數不足"},
    {u"{error}", u"Error", u"错误", u"錯誤"},
    {u"{net error}", u"Plese check internet condition", u"请检查网络连接状态", u"請檢查網絡連接狀態"},
    {u"{create file error}", u"Creat File Error", u"创建文件失败", u"創建文件失敗"},
    {u"{virify file error}", u"File Verifying Error", u"无法验证下载文件", u"無法驗證下載文件"},
    {u"{confirm viryfy fail}", u"Incomplete downloading files, Download again?",
     u"下载文件不完整\uff0c是否重新下载\uff1f", u"下載文件不完整\uff0c是否重新下載\uff1f"},
    {u"{viryfy fail}", u"Incomplete downloading files", u"下载文件不完整", u"下載文件不完整"},
    {u"{sign fail}", u"Signature check failed, please update again.", u"下载文件的签名校验失败，请重新更新",
     u"下載文件的簽名校驗失敗，請重新更新"},
    {u"{replace fail}", u"Repalce filed, please update again.", u"旧版本程序被占用\uff0c请重新更新",
     u"舊版本程序被佔用\uff0c請重新更新"},
};

struct Document {
  const char* file;
  const char16_t* name;
  const char16_t* guid;
  bool bom;
  const char16_t* Row::*column;
};

class UpdaterTranslationsTest : public ::testing::TestWithParam<Document> {};

TEST_P(UpdaterTranslationsTest, EveryText) {
  const Document& d = GetParam();
  std::ifstream in(std::string(UPDATER_RES_DIR) + "/" + d.file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF", 0) == 0, d.bom);
  pugi::xml_document document;
  ASSERT_TRUE(document.load_buffer(bytes.data(), bytes.size()));
  VTranslatorMgr manager;
  VRef<IVTranslator> translator = VRef<IVTranslator>::Adopt(manager.NewTranslator());
  ASSERT_EQ(translator->LoadLanguage(xml::child(document, "language"), 1), 1);
  EXPECT_EQ(translator->LanguageName(), d.name);
  EXPECT_EQ(translator->LanguageIdentity(), parseBracedGuid(d.guid));
  ASSERT_EQ(manager.AddTranslator(translator.get()), 1);
  for (const Row& row : kDefaultContext) {
    std::u16string text;
    EXPECT_EQ(translator->Lookup(row.key, u"", text), 1);
    EXPECT_EQ(text, row.*(d.column)) << std::string(row.key, row.key + std::char_traits<char16_t>::length(row.key));
  }
  for (const Row& row : kMessageContext) {
    EXPECT_EQ(manager.Translate(row.key, u"rt.msg"), row.*(d.column));
    EXPECT_EQ(manager.Translate(row.key, u""), row.key);  // the unnamed context does not fall back to "rt.msg"
  }
  EXPECT_EQ(manager.Translate(u"{close}", u"rt.msg"), manager.Translate(u"{close}", u""));
}

INSTANTIATE_TEST_SUITE_P(
    Languages, UpdaterTranslationsTest,
    ::testing::Values(Document{"i18n_us.xml", u"en-US", u"{89D90C64-DE1A-40BF-B821-2587242CB3F3}", true, &Row::us},
                      Document{"i18n_cn.xml", u"zh-CN", u"{6973ED4E-0D6D-4575-9369-D6C4589DCD95}", false, &Row::cn},
                      Document{"i18n_hk.xml", u"zh-HK", u"{1EA5B272-B1D0-4B45-8B64-507799DE2589}", true, &Row::hk}),
    [](const ::testing::TestParamInfo<Document>& param) { return std::string(param.param.file).substr(5, 2); });

}  // namespace
}  // namespace veneer
