#include "linkwarden/driver_services.h"

#include "linkwarden/undo_recorder.h"

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
    serviceStates_[name] = true;
    if (recorder_ != nullptr) recorder_->serviceInstalling(name);
    if (!installDriverService(name, verdict.binaryPath)) {
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
  const std::u16string binaryPath = services_.fullPath(imagePath);
  std::uint32_t error = 0;
  std::unique_ptr<ServiceSession> session = services_.connect(error);
  if (!session) {
    driverLog_.write(logq::LOG_ERROR, __LINE__, "OpenSCManager Fail: %d\n", static_cast<int>(error));
    return false;
  }
  std::unique_ptr<Service> service = session->createDriver(name, binaryPath, error);
  if (!service) {
    if (error != kErrorServiceExists && error != kErrorIoPending) {
      driverLog_.write(logq::LOG_ERROR, __LINE__, "CreateService Fail: %d\n", static_cast<int>(error));
      return false;
    }
    // An existing service keeps its registered configuration.
    driverLog_.write(logq::LOG_WARN, __LINE__, "Service Is Exist\n");
    service = session->open(name, error);
    if (!service) {
      driverLog_.write(logq::LOG_ERROR, __LINE__, "Open Service Fail: %d\n", static_cast<int>(error));
      return false;
    }
  }
  error = service->start();
  if (error == 0) return true;
  if (error == kErrorServiceAlreadyRunning) {
    driverLog_.write(logq::LOG_WARN, __LINE__, "Service Had Been Started\n");
    return true;
  }
  driverLog_.write(logq::LOG_ERROR, __LINE__, "Start Service Fail: %d\n", static_cast<int>(error));
  return false;
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
