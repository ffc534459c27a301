#include "linkwarden/driver_services.h"

#include "linkwarden/undo_recorder.h"

#include <optional>

#include "common/code_page.h"
#include "common/fixed_field.h"
#include "linkwarden/log_texts.h"

namespace linkwarden {

DriverServices::DriverServices(ServiceManager& services, DriverOrigin& origin, logq::ILogManager& logs)
    : services_(services),
      origin_(origin),
      requestLog_(logs, logq::kMainLoggerId, "linkwarden/linkwarden"),
      driverLog_(logs, logq::kMainLoggerId, "linkwarden/driver") {}

void DriverServices::handle(DriverRequest& request) {
  const std::u16string name = common::readField(request.serviceName);
  const bool install = request.install != 0;
  if (install) {
    const DriverVerdict verdict = checkDriver(common::readField(request.imagePath));
    if (!verdict.trusted) {
      // Nothing was created, so the exit has nothing of this request to remove.
      driverLog_.write(logq::LOG_ERROR, __LINE__, "linkwarden: driver of service [%s] refused: %s; nothing is installed",
                       common::toGbk(name).c_str(), verdict.reason.c_str());
      requestLog_.write(logq::LOG_ERROR, __LINE__, texts::kInstallFailed, common::toGbk(name).c_str());
      return;
    }
    // The one file an elevated tool hands to the kernel is named in the log.
    driverLog_.write(logq::LOG_WARN, __LINE__, "linkwarden: driver of service [%s] taken: %s",
                     common::toGbk(name).c_str(), verdict.reason.c_str());
    const auto before = serviceStates_.find(name);
    const std::optional<bool> previous =
        before == serviceStates_.end() ? std::nullopt : std::optional<bool>(before->second);
    serviceStates_[name] = true;
    if (recorder_ != nullptr) recorder_->serviceInstalling(name);
    const InstallOutcome outcome = installService(name, verdict.binaryPath);
    if (outcome == InstallOutcome::kForeignService) {
      // Somebody else's service: neither the exit nor a recovery may remove it.
      if (previous) {
        serviceStates_[name] = *previous;
      } else {
        serviceStates_.erase(name);
      }
      if (recorder_ != nullptr && previous != true) recorder_->serviceRemoved(name);
    }
    if (outcome != InstallOutcome::kStarted) {
      requestLog_.write(logq::LOG_ERROR, __LINE__, texts::kInstallFailed, common::toGbk(name).c_str());
    }
    return;
  }
  serviceStates_[name] = false;
  if (!removeDriverService(name)) {
    requestLog_.write(logq::LOG_ERROR, __LINE__, texts::kRemoveFailed, common::toGbk(name).c_str());
  } else if (recorder_ != nullptr) {
    recorder_->serviceRemoved(name);
  }
}

DriverVerdict DriverServices::checkDriver(std::u16string_view imagePath) {
  return judgeDriver(origin_.toolFolder(), origin_.toolSignature(), origin_.examine(services_.fullPath(imagePath)));
}

void DriverServices::removeInstalled() {
  for (const auto& [name, installed] : serviceStates_) {
    if (installed) removeDriverService(name);
  }
}

bool DriverServices::installDriverService(std::u16string_view name, std::u16string_view imagePath) {
  return installService(name, imagePath) == InstallOutcome::kStarted;
}

DriverServices::InstallOutcome DriverServices::installService(std::u16string_view name, std::u16string_view imagePath) {
  const std::u16string binaryPath = services_.fullPath(imagePath);
  std::uint32_t error = 0;
  std::unique_ptr<ServiceSession> session = services_.connect(error);
  if (!session) {
    driverLog_.write(logq::LOG_ERROR, __LINE__, "OpenSCManager Fail: %d\n", static_cast<int>(error));
    return InstallOutcome::kFailed;
  }
  std::unique_ptr<Service> service = session->createDriver(name, binaryPath, error);
  if (!service) {
    if (error != kErrorServiceExists && error != kErrorIoPending) {
      driverLog_.write(logq::LOG_ERROR, __LINE__, "CreateService Fail: %d\n", static_cast<int>(error));
      return InstallOutcome::kFailed;
    }
    // An existing service keeps its registered configuration.
    driverLog_.write(logq::LOG_WARN, __LINE__, "Service Is Exist\n");
    service = session->open(name, error);
    if (!service) {
      driverLog_.write(logq::LOG_ERROR, __LINE__, "Open Service Fail: %d\n", static_cast<int>(error));
      return InstallOutcome::kFailed;
    }
    // Its start loads the file it is registered with, not the one asked for:
    // that file must pass the same check.
    const std::u16string registered = service->binaryPath(error);
    const DriverVerdict verdict = registered.empty() ? DriverVerdict{false, "it cannot be read (error " +
                                                                                std::to_string(error) + ")", {}}
                                                     : checkDriver(withoutVerbatimPrefix(registered));
    if (!verdict.trusted) {
      driverLog_.write(logq::LOG_ERROR, __LINE__,
                       "linkwarden: existing service [%s] not started: the driver it is registered with is refused: %s",
                       common::toGbk(name).c_str(), verdict.reason.c_str());
      return InstallOutcome::kForeignService;
    }
  }
  error = service->start();
  if (error == 0) return InstallOutcome::kStarted;
  if (error == kErrorServiceAlreadyRunning) {
    driverLog_.write(logq::LOG_WARN, __LINE__, "Service Had Been Started\n");
    return InstallOutcome::kStarted;
  }
  driverLog_.write(logq::LOG_ERROR, __LINE__, "Start Service Fail: %d\n", static_cast<int>(error));
  return InstallOutcome::kFailed;
}

bool DriverServices::removeDriverService(std::u16string_view name) {
  // The stop and the deletion are attempted (and logged) even without a
  // service; only the opening decides the result.
  constexpr std::uint32_t kInvalidHandle = 6;  // what the system answers for a service it never opened
  bool result = true;
  std::uint32_t error = 0;
  std::unique_ptr<Service> service;
  std::unique_ptr<ServiceSession> session = services_.connect(error);
  if (!session) {
    result = false;
    driverLog_.write(logq::LOG_ERROR, __LINE__, "OpenSCManager Fail: %d\n", static_cast<int>(error));
  } else {
    service = session->open(name, error);
    if (!service) {
      result = false;
      driverLog_.write(logq::LOG_ERROR, __LINE__, "Open Service Fail: %d\n", static_cast<int>(error));
    } else if (const std::u16string registered = service->binaryPath(error);
               !registeredInToolFolder(registered, origin_.toolFolder())) {
      // Only the product's own services are stopped and deleted.
      driverLog_.write(logq::LOG_ERROR, __LINE__,
                       "linkwarden: service [%s] is not removed: its driver %s lies outside the tool's folder",
                       common::toGbk(name).c_str(),
                       registered.empty() ? "(unreadable)" : common::toGbk(withoutVerbatimPrefix(registered)).c_str());
      return false;
    }
  }
  error = service ? service->stop() : kInvalidHandle;
  if (error != 0) {
    driverLog_.write(logq::LOG_ERROR, __LINE__, "Control Service Stop Fail: %d\n", static_cast<int>(error));
  }
  error = service ? service->markForDeletion() : kInvalidHandle;
  if (error != 0) {
    driverLog_.write(logq::LOG_ERROR, __LINE__, "Delete Service Fail: %d\n", static_cast<int>(error));
  }
  return result;
}

}  // namespace linkwarden
