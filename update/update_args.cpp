#include "update/update_args.h"

#include "common/option_text.h"

namespace update {

UpdateArgs ParseUpdateArgs(std::span<const std::u16string> tokens,
                           const std::function<void(std::u16string_view)>& echo) {
  UpdateArgs args;
  // Tried in this order; the first prefix that matches takes the token.
  const std::pair<std::u16string_view, std::u16string UpdateArgs::*> options[] = {
      {u"--dlurl=", &UpdateArgs::dlurl},   {u"--vrc=", &UpdateArgs::vrc},   {u"--dlpath=", &UpdateArgs::dlpath},
      {u"--rppath=", &UpdateArgs::rppath}, {u"--lang=", &UpdateArgs::lang},
  };
  for (const std::u16string& token : tokens) {
    if (echo) echo(token);
    for (const auto& [prefix, field] : options) {
      if (auto value = common::optionValue(token, prefix)) {
        args.*field = std::u16string(*value);
        break;
      }
    }
  }
  args.vrc = TrimSpaces(args.vrc);
  args.dlpath = TrimSpaces(args.dlpath);
  args.rppath = TrimSpaces(args.rppath);
  args.lang = TrimSpaces(args.lang);
  return args;
}

std::u16string TrimSpaces(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(u' ');
  return std::u16string(text.substr(first, last - first + 1));
}

std::u16string LanguageResourceId(const UpdateArgs& args) {
  return args.lang.empty() ? std::u16string(u"I18N:cn") : u"I18N:" + args.lang;
}

}  // namespace update
