// Where the undo journal lives, and which tools still run: the port between
// the journal's logic and the system. On Windows a registry key below
// HKLM\SOFTWARE that only administrators and the system may write, checked
// before anything in it is trusted (journal_store_win.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "linkwarden/undo_entry.h"

namespace linkwarden {

class JournalStore {
 public:
  virtual ~JournalStore() = default;
  // Opens (or makes) the journal's place and checks who owns it and who may
  // write it; false, with `refusal` saying why, when nobody may trust it.
  virtual bool open(std::string& refusal) = 0;
  virtual std::vector<std::u16string> names() = 0;
  // The entry's bytes; false when it cannot be read or is over `limit` bytes.
  virtual bool read(std::u16string_view name, std::size_t limit, std::string& bytes) = 0;
  // Written through to stable storage before it returns true.
  virtual bool write(std::u16string_view name, std::string_view bytes) = 0;
  virtual bool remove(std::u16string_view name) = 0;
};

class ToolProcesses {
 public:
  virtual ~ToolProcesses() = default;
  virtual ToolIdentity self() = 0;
  // Whether that process (that id, started at that time) still runs.
  virtual bool runs(const ToolIdentity& tool) = 0;
};

}  // namespace linkwarden
