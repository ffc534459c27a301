// What Wine 8's WoW64 layer does not do for a 32-bit program, as measured
// here, for the tests that must leave such a check out: the reasons they
// give when they skip it name the limitation. Windows' own WoW64 does both.
#pragma once

#include <windows.h>

namespace tests {

// A 32-bit program under Wine (its ntdll exports wine_get_version), run
// through the WoW64 layer of a 64-bit Wine.
inline bool underWineWow64() {
  BOOL wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return false;
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Its windows reach no X screen: a screenshot of them is black.
inline bool screenShowsOurWindows() { return !underWineWow64(); }
inline constexpr char kNoScreenReason[] =
    "32-bit windows reach no X screen under Wine's WoW64 layer: their pixels cannot be read";

// Its GDI+ decodes no PNG (GdipLoadImageFromStream: InvalidParameter, no
// size), where the 64-bit GDI+ of the same prefix decodes the same bytes.
inline bool gdiplusDecodesPng() { return !underWineWow64(); }
inline constexpr char kNoPngReason[] =
    "32-bit GDI+ under Wine's WoW64 layer decodes no PNG (InvalidParameter): the pixels cannot be checked";

// Its MiniDumpWriteDump fails with ERROR_INVALID_PARAMETER and writes nothing,
// for its own process too; the 64-bit one writes the dump.
inline bool minidumpsWork() { return !underWineWow64(); }
inline constexpr char kNoMinidumpReason[] =
    "32-bit MiniDumpWriteDump under Wine's WoW64 layer fails with 87 and writes nothing";

// The driver services it creates run in Wine's 32-bit winedevice: a 64-bit
// driver (the kind 64-bit Windows loads for a 32-bit client too) fails to
// start there with 1114, and a 32-bit one keeps running after its stop.
inline bool driversRunAsOnWindows() { return !underWineWow64(); }
inline constexpr char kNoDriverReason[] =
    "Wine's WoW64 layer starts a 32-bit program's driver services in a 32-bit winedevice: the 64-bit test driver "
    "fails there with 1114, a 32-bit one stays running after its stop";

// Its edit controls crash in Wine's 32-bit Uniscribe (ScriptString_pSize, a
// null pointer) when their text is set: the 32-bit installer's folder page
// ends the installer. The welcome page and the message boxes work.
inline bool editControlsWork() { return !underWineWow64(); }
inline constexpr char kNoEditReason[] =
    "a 32-bit edit control under Wine's WoW64 layer crashes in usp10 (ScriptString_pSize) when its text is set";

}  // namespace tests
