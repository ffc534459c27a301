// The installer host's plug-in interface as the plug-in sees it: a block of
// 25 string variables and a linked stack of strings, all `stringSize` UTF-16
// units wide.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace stagehand {

// One stack entry: the link, then the string (at most stringSize units with
// its terminator). The link is pointer-sized: 4 bytes in the 32-bit product.
struct StackEntry {
  StackEntry* next;
  char16_t text[1];
};
static_assert(offsetof(StackEntry, text) == sizeof(void*));
#if defined(__i386__)
static_assert(offsetof(StackEntry, text) == 4, "the 32-bit host lays entries out with a 4-byte link");
static_assert(sizeof(StackEntry) == 8, "the 32-bit host's entries are 2N + 8 bytes");
#endif

inline constexpr int kVariableCount = 25;
inline constexpr int kInstallFolderVariable = 10;  // $R0

// Entries come from the host's allocator (the global heap on Windows); tests
// pass their own.
struct HeapFunctions {
  void* (*allocateZeroed)(std::size_t bytes);
  void (*release)(void* block);
};

// The arguments of the latest call, as every export stores them.
struct PluginContext {
  int stringSize = 0;                // N: units per variable and per entry
  char16_t* variables = nullptr;     // 25 × N units
  StackEntry** stackTop = nullptr;   // the host's stack-top variable; may be null
  HeapFunctions heap{};

  // Variable `index` (0 to 24), or null for any other index.
  char16_t* variable(int index) const;
  // Pushes at most N − 1 units of `text` and a terminator; nothing without a stack.
  void push(std::u16string_view text) const;
  void pushNumber(int number) const;
  // Pops the top entry into `out`; false (and `out` untouched) when there is nothing to pop.
  bool pop(std::u16string& out) const;
};

}  // namespace stagehand
