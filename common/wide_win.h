// Conversions between the portable UTF-16 type and the Windows wide type.
// Both are 16 bits wide on Windows, so the cast is checked once, here.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace common {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

inline const wchar_t* wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline std::wstring toWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string fromWide(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

// Narrow text in the process's ANSI code page (as the C library's file
// functions and the IP helper's strings have it) and back.
std::wstring fromAnsi(std::string_view text);
std::string toAnsi(std::wstring_view text);

// Whether two names or paths are the same to the file system: ordinal,
// letter case aside.
bool sameFileName(std::wstring_view a, std::wstring_view b);

// Every token of this process's command line, the program path as token 0.
std::vector<std::u16string> commandLineTokens();

}  // namespace common
