// What the launcher hands to the client library's StartUI: the one record
// both sides share, compiled with the same toolchain on both sides.
#pragma once

#include <cstdint>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

struct LaunchParams {
  std::wstring loaderPath;   // after "--loaderpath="
  std::wstring startReason;  // after "--startreson="
  std::wstring language;     // after "--lang="
  std::int32_t showCommand;  // the show-window code the launcher was started with
};

#ifdef _WIN32
// Exported by the client library `ui`. Runs the whole client and returns when
// it has finished; must not keep `params` after returning.
extern "C" int StartUI(HINSTANCE launcher, LaunchParams* params);
#endif
