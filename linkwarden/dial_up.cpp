#include "linkwarden/dial_up.h"

#include "linkwarden/log_texts.h"

namespace linkwarden {

ProductDialUp::ProductDialUp(RemoteAccess& ras, logq::ILogManager& logs, std::function<void(const char*)> print)
    : ras_(ras), log_(logs, logq::kMainLoggerId, "linkwarden/linkwarden"), print_(std::move(print)) {}

void ProductDialUp::hangUpProductConnection() {
  log_.write(logq::LOG_ERROR, __LINE__, "%s", texts::kDialUpBegin);
  std::vector<RasConnection> connections;
  if (ras_.activeConnections(connections) != RasListing::kListed) return;
  print_("The following RAS connections are currently active:\n");
  for (const RasConnection& connection : connections) {
    if (connection.entryName.find(kProductEntryPattern) == std::u16string::npos) continue;
    ras_.hangUp(connection.handle);
    ras_.deleteEntry(connection.entryName);
    log_.write(logq::LOG_ERROR, __LINE__, "%s", texts::kDialUpHungUp);
    return;
  }
}

}  // namespace linkwarden
