// A service control manager in memory.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "linkwarden/driver_origin.h"
#include "linkwarden/service_manager.h"

namespace linkwarden::testing {

class FakeServiceManager final : public ServiceManager {
 public:
  struct Entry {
    std::u16string binaryPath;
    bool running = false;
    std::uint32_t startError = 0;  // e.g. 1114 for a driver that cannot be loaded
  };
  std::map<std::u16string, Entry> services;
  std::uint32_t connectError = 0;
  std::uint32_t startErrorForNew = 0;  // the start error of services created from now on
  std::vector<std::string> calls;

  std::unique_ptr<ServiceSession> connect(std::uint32_t& error) override;
  std::u16string fullPath(std::u16string_view path) override {
    const bool absolute = path.size() > 1 && (path[1] == u':' || path[0] == u'\\');
    return absolute ? std::u16string(path) : u"C:\\work\\" + std::u16string(path);
  }

  void note(const char* what, std::u16string_view name) { calls.push_back(what + std::string(name.begin(), name.end())); }
};

// The tool lies in C:\work, signed by the publisher; every file resolves to
// itself and carries the publisher's signature unless `files` says otherwise.
class FakeDriverOrigin final : public DriverOrigin {
 public:
  static common::FileSignature publisher() {
    return common::FileSignature{common::Signature::kValid, "publisher-cert", true, true, u"Tavaro", u"Tavaro"};
  }
  std::u16string folder = u"\\\\?\\C:\\work";
  common::FileSignature own = publisher();
  std::map<std::u16string, DriverFile> files;  // by the full path asked for

  std::u16string toolFolder() override { return folder; }
  common::FileSignature toolSignature() override { return own; }
  DriverFile examine(std::u16string_view path) override {
    const auto it = files.find(std::u16string(path));
    if (it != files.end()) return it->second;
    return DriverFile{u"\\\\?\\" + std::u16string(path), 0, publisher()};
  }
};

class FakeService final : public Service {
 public:
  FakeService(FakeServiceManager& manager, std::u16string name) : manager_(manager), name_(std::move(name)) {}
  std::uint32_t start() override {
    manager_.note("start ", name_);
    auto& entry = manager_.services.at(name_);
    if (entry.running) return 1056;
    if (entry.startError != 0) return entry.startError;
    entry.running = true;
    return 0;
  }
  std::uint32_t stop() override {
    manager_.note("stop ", name_);
    auto it = manager_.services.find(name_);
    if (it == manager_.services.end() || !it->second.running) return 1062;  // not active
    it->second.running = false;
    return 0;
  }
  std::u16string binaryPath(std::uint32_t& error) override {
    const auto it = manager_.services.find(name_);
    if (it == manager_.services.end()) error = 1060;
    return it == manager_.services.end() ? std::u16string() : it->second.binaryPath;
  }
  std::uint32_t markForDeletion() override {
    manager_.note("delete ", name_);
    return manager_.services.erase(name_) == 1 ? 0 : 1072;
  }

 private:
  FakeServiceManager& manager_;
  std::u16string name_;
};

class FakeSession final : public ServiceSession {
 public:
  explicit FakeSession(FakeServiceManager& manager) : manager_(manager) {}
  std::unique_ptr<Service> createDriver(std::u16string_view name, std::u16string_view binaryPath,
                                        std::uint32_t& error) override {
    manager_.note("create ", name);
    if (manager_.services.count(std::u16string(name)) != 0) {
      error = 1073;
      return nullptr;
    }
    auto& entry = manager_.services[std::u16string(name)];
    entry.binaryPath = binaryPath;
    entry.startError = manager_.startErrorForNew;
    return std::make_unique<FakeService>(manager_, std::u16string(name));
  }
  std::unique_ptr<Service> open(std::u16string_view name, std::uint32_t& error) override {
    manager_.note("open ", name);
    if (manager_.services.count(std::u16string(name)) == 0) {
      error = 1060;
      return nullptr;
    }
    return std::make_unique<FakeService>(manager_, std::u16string(name));
  }

 private:
  FakeServiceManager& manager_;
};

inline std::unique_ptr<ServiceSession> FakeServiceManager::connect(std::uint32_t& error) {
  calls.push_back("connect");
  if (connectError != 0) {
    error = connectError;
    return nullptr;
  }
  return std::make_unique<FakeSession>(*this);
}

}  // namespace linkwarden::testing
