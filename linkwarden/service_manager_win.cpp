#include <vector>

#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "linkwarden/system_win.h"

namespace linkwarden {
namespace {

class WinService final : public Service {
 public:
  explicit WinService(common::UniqueServiceHandle handle) : handle_(std::move(handle)) {}

  std::uint32_t start() override { return StartServiceW(handle_.get(), 0, nullptr) ? 0 : GetLastError(); }
  std::uint32_t stop() override {
    SERVICE_STATUS status;
    return ControlService(handle_.get(), SERVICE_CONTROL_STOP, &status) ? 0 : GetLastError();
  }
  std::uint32_t markForDeletion() override { return DeleteService(handle_.get()) ? 0 : GetLastError(); }
  std::u16string binaryPath(std::uint32_t& error) override {
    DWORD size = 0;
    QueryServiceConfigW(handle_.get(), nullptr, 0, &size);
    std::vector<BYTE> config(size);
    if (size == 0 || !QueryServiceConfigW(handle_.get(), reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.data()),
                                          size, &size)) {
      error = GetLastError();
      return {};
    }
    const wchar_t* path = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.data())->lpBinaryPathName;
    return path == nullptr ? std::u16string() : common::fromWide(path);
  }

 private:
  common::UniqueServiceHandle handle_;
};

class WinServiceSession final : public ServiceSession {
 public:
  explicit WinServiceSession(common::UniqueServiceHandle manager) : manager_(std::move(manager)) {}

  std::unique_ptr<Service> createDriver(std::u16string_view name, std::u16string_view binaryPath,
                                        std::uint32_t& error) override {
    const std::wstring wideName = common::toWide(name);
    const std::wstring widePath = common::toWide(binaryPath);
    common::UniqueServiceHandle service(CreateServiceW(manager_.get(), wideName.c_str(), wideName.c_str(),
                                                       SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                                       SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, widePath.c_str(),
                                                       nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<WinService>(std::move(service));
  }

  std::unique_ptr<Service> open(std::u16string_view name, std::uint32_t& error) override {
    const std::wstring wideName = common::toWide(name);
    common::UniqueServiceHandle service(OpenServiceW(manager_.get(), wideName.c_str(), SERVICE_ALL_ACCESS));
    if (!service) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<WinService>(std::move(service));
  }

 private:
  common::UniqueServiceHandle manager_;
};

}  // namespace

std::unique_ptr<ServiceSession> WinServiceManager::connect(std::uint32_t& error) {
  common::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) {
    error = GetLastError();
    return nullptr;
  }
  return std::make_unique<WinServiceSession>(std::move(manager));
}

std::u16string WinServiceManager::fullPath(std::u16string_view path) {
  const std::wstring widePath = common::toWide(path);
  std::wstring full(256, L'\0');
  DWORD n = GetFullPathNameW(widePath.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n >= full.size()) {
    // Too long for the first buffer: n is the size needed, terminator included.
    full.assign(n, L'\0');
    n = GetFullPathNameW(widePath.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  if (n == 0 || n >= full.size()) return std::u16string(path);
  full.resize(n);
  return common::fromWide(full);
}

}  // namespace linkwarden
