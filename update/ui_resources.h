// The names of the updater's embedded UI resources, in the order the program
// carries them; the entry takes the layout and the default language from it.
#pragma once

#include <array>
#include <string_view>

namespace update {

inline constexpr std::array<std::u16string_view, 13> kUiResourceNames = {
    u"UIDEF:xml_init",
    u"LAYOUT:main_view",
    u"IMGS:update_bk_png",
    u"IMGS:update_btn_png",
    u"IMGS:update_liang_png",
    u"IMGS:update_an_png",
    u"IMGS100:image_btn_close_png",
    u"IMGS125:image_btn_close_png",
    u"IMGS150:image_btn_close_png",
    u"IMGS200:image_btn_close_png",
    u"I18N:cn",
    u"I18N:hk",
    u"I18N:us",
};

inline constexpr std::u16string_view kUiDefinitionsId = u"uidef:xml_init";
inline constexpr std::u16string_view kMainLayoutId = kUiResourceNames[1];
inline constexpr std::u16string_view kDefaultLanguageId = kUiResourceNames[10];

}  // namespace update
