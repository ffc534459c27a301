// The tool's undo journal: before each change that can outlive the tool, the
// entry of this tool is rewritten, through to stable storage, with what
// undoes it; the normal exit removes the entry once the clean-up has run. At
// start, every entry left by a tool that no longer runs is undone through
// the same paths the exit sequence takes, then removed. Main thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "linkwarden/journal_store.h"
#include "linkwarden/undo_entry.h"
#include "linkwarden/undo_recorder.h"
#include "utils/ilog_manager.h"
#include "utils/log_format.h"

namespace linkwarden {

// How a left entry is undone: the exit sequence's own paths.
class UndoActions {
 public:
  virtual ~UndoActions() = default;
  virtual void restoreDns(const SavedDns& saved) = 0;
  virtual void deleteRoute(const ForwardRow& row) = 0;
  virtual void removeService(std::u16string_view name) = 0;
};

// What a recovery found.
struct RecoveryCounts {
  int undone = 0;     // entries of ended tools, undone and removed
  int discarded = 0;  // unreadable or corrupt entries, removed without acting on them
  int living = 0;     // entries of tools that still run, left alone
};

class UndoJournal final : public UndoRecorder {
 public:
  UndoJournal(JournalStore& store, ToolProcesses& processes, logq::ILogManager& logs);

  // Opens the journal's place; false (logged) when it cannot be trusted, and
  // then the journal neither records nor recovers.
  bool open();
  bool usable() const { return usable_; }
  RecoveryCounts recover(UndoActions& undo);
  // The normal exit, after the clean-up: this tool's entry goes.
  void finish();

  void dnsCaptured(const SavedDns& saved) override;
  void routesAdded(const ForwardRow& pattern, const std::vector<RoutePrefix>& prefixes) override;
  void serviceInstalling(std::u16string_view name) override;
  void serviceRemoved(std::u16string_view name) override;

  const UndoEntry& entry() const { return entry_; }

 private:
  void save();
  void undo(const std::u16string& name, const UndoEntry& left, UndoActions& actions);

  JournalStore& store_;
  ToolProcesses& processes_;
  logq::SourceLog log_;
  UndoEntry entry_;
  std::u16string name_;
  bool usable_ = false;
  bool written_ = false;
};

}  // namespace linkwarden
