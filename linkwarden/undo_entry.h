// One tool's undo journal entry: what undoes the changes it has made that
// could outlive it (the captured DNS settings, the routes it added, the driver
// services it installed), with the identity of the tool that wrote it. The
// bytes are what the journal stores; the reader takes nothing on trust: a
// torn, corrupt or oversized entry decodes to nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "linkwarden/command_block.h"
#include "linkwarden/dns_settings.h"
#include "linkwarden/route_list.h"

namespace linkwarden {

// A process, told apart from a later one with the same id by its creation time.
struct ToolIdentity {
  std::uint32_t pid = 0;
  std::uint64_t started = 0;  // the process's creation time (FILETIME units)

  bool operator==(const ToolIdentity&) const = default;
};

struct UndoEntry {
  ToolIdentity tool;
  std::optional<SavedDns> dns;      // captured before the interface's first netsh run
  ForwardRow routePattern{};        // the row the exit sequence deletes each prefix with
  std::vector<RoutePrefix> routes;  // the prefixes of the latest add
  std::vector<std::u16string> services;  // installed driver services, by name

  bool empty() const { return !dns && routes.empty() && services.empty(); }
};

// Bounds of what an entry may hold (2 MiB of routes: a client's route lists
// hold thousands of prefixes; the journal takes the first this many of a
// longer one, and the tool logs the rest as not journaled).
inline constexpr std::size_t kMaxJournalRoutes = 1u << 18;
inline constexpr std::size_t kMaxJournalServices = 256;
inline constexpr std::size_t kMaxEntryBytes = 64 + 2 * 130 + 56 + 8 * kMaxJournalRoutes + 140 * kMaxJournalServices;

std::string encodeUndoEntry(const UndoEntry& entry);
// Nothing when the bytes are not one whole, intact entry within the bounds.
std::optional<UndoEntry> decodeUndoEntry(std::string_view bytes);

// The CRC-32 an entry ends with, of all its bytes before it.
std::uint32_t undoEntryChecksum(std::string_view body);

// The name an entry is stored under: the tool's process id and creation time.
std::u16string undoEntryName(const ToolIdentity& tool);

}  // namespace linkwarden
