// The updater's command line: five option values, read from every token
// (the program path included), trimmed of blanks where they are paths or names.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace update {

// Owned by the entry function for the whole run; the window and the worker
// read it through a pointer and nothing changes it once it is parsed.
struct UpdateArgs {
  std::u16string dlurl;   // not trimmed: blanks around the URL are kept
  std::u16string vrc;     // accepted, never read
  std::u16string dlpath;  // where the download is written
  std::u16string rppath;  // the installer that is replaced and started
  std::u16string lang;    // the language resource's name
};

// Fewer tokens than this (the program path included) stop the updater.
inline constexpr std::size_t kRequiredTokens = 5;

// Reads the options; `echo` sees every token, matched or not, in order.
UpdateArgs ParseUpdateArgs(std::span<const std::u16string> tokens,
                           const std::function<void(std::u16string_view)>& echo = {});

// Leading and trailing U+0020 removed once (tabs and other white space stay).
std::u16string TrimSpaces(std::u16string_view text);

// "I18N:" + lang, or "I18N:cn" when lang is empty.
std::u16string LanguageResourceId(const UpdateArgs& args);

}  // namespace update
