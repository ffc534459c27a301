// The tool's life: start-up, the poll loop, and the exit sequence that undoes
// what is still in place once the client process has ended.
#pragma once

#include <span>
#include <string>

#include "linkwarden/request_handlers.h"
#include "linkwarden/tool_system.h"
#include "linkwarden/undo_journal.h"
#include "utils/ilog_manager.h"

namespace linkwarden {

// Exit codes of the tool.
enum ExitCode : int {
  kExitOk = 0,
  // No section of the given name was made by the client (or it could not be opened).
  kExitNoSection = 2,
  // The first view of the command block cannot be mapped (for instance a
  // section that ends before 1496 bytes on a page boundary).
  kExitViewUnavailable = 3,
  // "--recover=": the journal's entries of ended tools are undone (or none was left).
  kExitRecovered = 4,
  // "--recover=": the journal's place cannot be trusted, nothing was done.
  kExitJournalRefused = 5,
  // The client is not one the tool serves: another session, a section owned
  // by another account than the client's, or a token that cannot be read.
  kExitClientRefused = 6,
  kExitBadOptions = 87,
};

// The undo journal and how its left entries are undone; a tool without one
// keeps its state in memory only.
struct Recovery {
  UndoJournal& journal;
  UndoActions& undo;
};

inline constexpr int kPollMillis = 100;

// Runs the whole tool with `tokens` as its command line (program path first).
// Sets up and starts the main logger "linkwarden" at level LOG_WARN first.
// With a journal, the entries of ended tools are undone before the first
// pass, and "--recover=" (any value) does only that and exits.
int runTool(std::span<const std::u16string> tokens, ToolSystem& system, RequestHandlers& handlers,
            logq::ILogManager& logs, Recovery* recovery = nullptr);

}  // namespace linkwarden
