#include "linkwarden/undo_journal.h"

#include <algorithm>

#include "common/code_page.h"

namespace linkwarden {
namespace {

constexpr char kSource[] = "linkwarden/journal";

}  // namespace

UndoJournal::UndoJournal(JournalStore& store, ToolProcesses& processes, logq::ILogManager& logs)
    : store_(store), processes_(processes), log_(logs, logq::kMainLoggerId, kSource) {}

bool UndoJournal::open() {
  std::string refusal;
  usable_ = store_.open(refusal);
  if (!usable_) {
    log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: undo journal refused (%s): nothing is journaled or recovered",
               refusal.c_str());
    return false;
  }
  entry_ = UndoEntry{};
  entry_.tool = processes_.self();
  name_ = undoEntryName(entry_.tool);
  return true;
}

RecoveryCounts UndoJournal::recover(UndoActions& actions) {
  RecoveryCounts counts;
  if (!usable_) return counts;
  for (const std::u16string& name : store_.names()) {
    if (name == name_) continue;
    const std::string shown = common::toGbk(name);
    std::string bytes;
    std::optional<UndoEntry> left;
    if (store_.read(name, kMaxEntryBytes, bytes)) left = decodeUndoEntry(bytes);
    if (!left || undoEntryName(left->tool) != name) {
      // Never acted on: whatever it says may be torn or not ours.
      log_.write(logq::LOG_ERROR, __LINE__,
                 "linkwarden: journal entry %s is unreadable, torn or corrupt (%u bytes); removed, nothing undone",
                 shown.c_str(), static_cast<unsigned>(bytes.size()));
      store_.remove(name);
      ++counts.discarded;
      continue;
    }
    if (processes_.runs(left->tool)) {
      log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: journal entry %s belongs to tool %u, which still runs; left",
                 shown.c_str(), left->tool.pid);
      ++counts.living;
      continue;
    }
    undo(name, *left, actions);
    ++counts.undone;
  }
  return counts;
}

void UndoJournal::undo(const std::u16string& name, const UndoEntry& left, UndoActions& actions) {
  const std::string shown = common::toGbk(name);
  log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: undoing what tool %u left (journal entry %s)", left.tool.pid,
             shown.c_str());
  for (const std::u16string& service : left.services) {
    log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: recovery removes driver service %s",
               common::toGbk(service).c_str());
    actions.removeService(service);
  }
  if (left.dns) {
    log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: recovery puts back the DNS servers of interface %u (%s)",
               left.dns->interfaceIndex,
               left.dns->useDhcp ? "automatic" : common::toGbk(left.dns->primaryServer).c_str());
    actions.restoreDns(*left.dns);
  }
  if (!left.routes.empty()) {
    log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: recovery deletes %u routes via %u on interface %u",
               static_cast<unsigned>(left.routes.size()), left.routePattern.dwForwardNextHop,
               left.routePattern.dwForwardIfIndex);
    for (const RoutePrefix& prefix : left.routes) {
      ForwardRow row = left.routePattern;
      row.dwForwardDest = prefix.destination;
      row.dwForwardMask = prefix.mask;
      actions.deleteRoute(row);
    }
  }
  store_.remove(name);
  log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: journal entry %s undone and removed", shown.c_str());
}

void UndoJournal::finish() {
  if (usable_ && written_ && !store_.remove(name_)) {
    log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: journal entry %s could not be removed",
               common::toGbk(name_).c_str());
  }
  written_ = false;
}

void UndoJournal::save() {
  if (!usable_) return;
  if (store_.write(name_, encodeUndoEntry(entry_))) {
    written_ = true;
  } else {
    log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: journal entry %s could not be written",
               common::toGbk(name_).c_str());
  }
}

void UndoJournal::dnsCaptured(const SavedDns& saved) {
  entry_.dns = saved;
  save();
}

void UndoJournal::routesAdded(const ForwardRow& pattern, const std::vector<RoutePrefix>& prefixes) {
  entry_.routePattern = pattern;
  const std::size_t kept = std::min(prefixes.size(), kMaxJournalRoutes);
  entry_.routes.assign(prefixes.begin(), prefixes.begin() + static_cast<std::ptrdiff_t>(kept));
  if (kept < prefixes.size()) {
    log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: %u routes over the journal's %u are not journaled",
               static_cast<unsigned>(prefixes.size() - kept), static_cast<unsigned>(kMaxJournalRoutes));
  }
  save();
}

void UndoJournal::serviceInstalling(std::u16string_view name) {
  if (std::find(entry_.services.begin(), entry_.services.end(), name) != entry_.services.end()) return;
  if (entry_.services.size() >= kMaxJournalServices) {
    log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: driver service %s is over the journal's %u; not journaled",
               common::toGbk(name).c_str(), static_cast<unsigned>(kMaxJournalServices));
    return;
  }
  entry_.services.emplace_back(name);
  save();
}

void UndoJournal::serviceRemoved(std::u16string_view name) {
  const auto found = std::find(entry_.services.begin(), entry_.services.end(), name);
  if (found == entry_.services.end()) return;
  entry_.services.erase(found);
  save();
}

}  // namespace linkwarden
