// The product's dial-up (RAS) connection, hung up when the client has ended.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "linkwarden/request_handlers.h"
#include "utils/log_format.h"

namespace linkwarden {

struct RasConnection {
  std::uintptr_t handle;
  std::u16string entryName;
};

enum class RasListing {
  kNone,    // nothing active, or the enumeration failed: the step ends quietly
  kListed,  // `connections` holds the active connections in enumeration order
};

class RemoteAccess {
 public:
  virtual ~RemoteAccess() = default;
  virtual RasListing activeConnections(std::vector<RasConnection>& connections) = 0;
  virtual void hangUp(std::uintptr_t handle) = 0;
  // Deletes the entry from the default phonebook.
  virtual void deleteEntry(std::u16string_view entryName) = 0;
};

inline constexpr char16_t kProductEntryPattern[] = u"nettavaro";

class ProductDialUp final : public DialUpCleanup {
 public:
  // `print` writes a line to standard output.
  ProductDialUp(RemoteAccess& ras, logq::ILogManager& logs, std::function<void(const char*)> print);

  // Hangs up the first connection whose entry name contains "nettavaro"
  // (letter case as written) and deletes its phonebook entry.
  void hangUpProductConnection() override;

 private:
  RemoteAccess& ras_;
  logq::SourceLog log_;
  std::function<void(const char*)> print_;
};

}  // namespace linkwarden
