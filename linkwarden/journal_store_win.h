// The undo journal in the registry: one REG_BINARY value per tool below
// HKLM\SOFTWARE\Tavaro\Linkwarden (the 64-bit view), each write flushed
// before it returns. The tool makes the keys owned by the Administrators
// group and writable by it and the system only, and trusts keys that were
// there before only once it has checked the same of them.
#pragma once

#include <windows.h>

#include "common/unique_handle_win.h"
#include "linkwarden/journal_store.h"

namespace linkwarden {

inline constexpr wchar_t kProductKey[] = L"SOFTWARE\\Tavaro";
inline constexpr wchar_t kJournalSubkey[] = L"Linkwarden";  // below the product's key

class WinJournalStore final : public JournalStore {
 public:
  bool open(std::string& refusal) override;
  std::vector<std::u16string> names() override;
  bool read(std::u16string_view name, std::size_t limit, std::string& bytes) override;
  bool write(std::u16string_view name, std::string_view bytes) override;
  bool remove(std::u16string_view name) override;

 private:
  common::UniqueHKey key_;
};

class WinToolProcesses final : public ToolProcesses {
 public:
  ToolIdentity self() override;
  bool runs(const ToolIdentity& tool) override;
};

}  // namespace linkwarden
