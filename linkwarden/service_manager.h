// The service control manager, as the driver requests need it. Every object
// closes its handle when it goes; errors are the system's codes, 0 for success.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace linkwarden {

inline constexpr std::uint32_t kErrorServiceExists = 1073;         // ERROR_SERVICE_EXISTS
inline constexpr std::uint32_t kErrorIoPending = 997;              // ERROR_IO_PENDING
inline constexpr std::uint32_t kErrorServiceAlreadyRunning = 1056; // ERROR_SERVICE_ALREADY_RUNNING

class Service {
 public:
  virtual ~Service() = default;
  virtual std::uint32_t start() = 0;
  virtual std::uint32_t stop() = 0;
  virtual std::uint32_t markForDeletion() = 0;
  // The driver file the service is registered with; empty (with `error`) when it cannot be read.
  virtual std::u16string binaryPath(std::uint32_t& error) = 0;
};

class ServiceSession {
 public:
  virtual ~ServiceSession() = default;
  // A kernel driver service started on demand, errors ignored, with `name` as
  // its service and display name and `binaryPath` as its file.
  virtual std::unique_ptr<Service> createDriver(std::u16string_view name, std::u16string_view binaryPath,
                                                std::uint32_t& error) = 0;
  virtual std::unique_ptr<Service> open(std::u16string_view name, std::uint32_t& error) = 0;
};

class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
  // The local machine's manager, with all access.
  virtual std::unique_ptr<ServiceSession> connect(std::uint32_t& error) = 0;
  // `path` resolved against the current directory.
  virtual std::u16string fullPath(std::u16string_view path) = 0;
};

}  // namespace linkwarden
