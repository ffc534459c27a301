// Driver requests: install and start, or stop and delete, a kernel-driver
// service; at exit, remove every service whose latest request was an install.
// Only the product's own driver is installed (driver_trust.h); a refused
// request leaves the service manager and the exit's list untouched.
#pragma once

#include <map>
#include <string>

#include "linkwarden/driver_origin.h"
#include "linkwarden/driver_trust.h"
#include "linkwarden/request_handlers.h"
#include "linkwarden/service_manager.h"
#include "utils/log_format.h"

namespace linkwarden {

class UndoRecorder;

class DriverServices final : public DriverRequests {
 public:
  DriverServices(ServiceManager& services, DriverOrigin& origin, logq::ILogManager& logs);

  void handle(DriverRequest& request) override;
  void removeInstalled() override;

  // True when the start succeeded or the service already ran.
  bool installDriverService(std::u16string_view name, std::u16string_view imagePath);
  // False when the manager or the service cannot be opened.
  bool removeDriverService(std::u16string_view name);

  // Told of each service before it is installed and after a removal request removed it.
  void recordWith(UndoRecorder& recorder) { recorder_ = &recorder; }

  // Whether the file `imagePath` names may be loaded, and from which path.
  DriverVerdict checkDriver(std::u16string_view imagePath);

  // Latest request per service name, ordered by UTF-16 code unit.
  const std::map<std::u16string, bool>& serviceStates() const { return serviceStates_; }

 private:
  enum class InstallOutcome {
    kStarted,         // started, or it ran already
    kFailed,
    kForeignService,  // a service of that name exists with a driver that is refused
  };
  InstallOutcome installService(std::u16string_view name, std::u16string_view imagePath);

  ServiceManager& services_;
  DriverOrigin& origin_;
  logq::SourceLog requestLog_;  // "linkwarden/linkwarden"
  logq::SourceLog driverLog_;   // "linkwarden/driver"
  std::map<std::u16string, bool> serviceStates_;
  UndoRecorder* recorder_ = nullptr;
};

}  // namespace linkwarden
