// The undo journal's reader: any bytes are one whole entry or nothing, and
// what decodes is within the bounds and encodes back to the same bytes. The
// input is tried as it is and sealed (the magic before it, its checksum
// after it), so that the fuzzer reaches the fields behind the checksum.
#include <string>

#include "fuzz/fuzz_input.h"
#include "linkwarden/undo_entry.h"

namespace {

void check(const std::string& bytes) {
  const std::optional<linkwarden::UndoEntry> entry = linkwarden::decodeUndoEntry(bytes);
  if (!entry) return;
  FUZZ_CHECK(bytes.size() <= linkwarden::kMaxEntryBytes);
  FUZZ_CHECK(entry->routes.size() <= linkwarden::kMaxJournalRoutes);
  FUZZ_CHECK(entry->services.size() <= linkwarden::kMaxJournalServices);
  for (const auto& name : entry->services) FUZZ_CHECK(!name.empty() && name.size() < linkwarden::kNameUnits);
  FUZZ_CHECK(linkwarden::encodeUndoEntry(*entry) == bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string raw(reinterpret_cast<const char*>(data), size);
  check(raw);
  std::string sealed = "LWJ1" + raw;
  const std::uint32_t sum = linkwarden::undoEntryChecksum(sealed);
  for (int i = 0; i < 4; ++i) sealed.push_back(static_cast<char>((sum >> (8 * i)) & 0xFF));
  check(sealed);
  return 0;
}
