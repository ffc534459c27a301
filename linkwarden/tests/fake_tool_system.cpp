#include "linkwarden/tests/fake_tool_system.h"

namespace linkwarden::testing {
namespace {

class FakeSection final : public common::SharedSection {
 public:
  explicit FakeSection(FakeToolSystem& system) : system_(system) {}
  ~FakeSection() override { system_.events_.push_back("section closed"); }

  void* mapView(std::size_t bytes, std::uint32_t& error) override {
    if (bytes != kCommandBlockSize) system_.events_.push_back("bad view size");
    const int index = system_.maps++;
    if (system_.mapFails(index)) {
      error = 5;
      return nullptr;
    }
    system_.viewMapped = true;
    return &system_.block;
  }
  void unmapView() override {
    ++system_.unmaps;
    system_.viewMapped = false;
  }

 private:
  FakeToolSystem& system_;
};

class FakeWatch final : public common::ProcessWatch {
 public:
  explicit FakeWatch(FakeToolSystem& system) : system_(system) {}
  common::WaitResult waitForExit(int millis) override {
    // Every wait happens with no view mapped, and lasts the poll period.
    if (system_.viewMapped || millis != 100) system_.events_.push_back("bad wait");
    return system_.waitResult(system_.waits++);
  }

 private:
  FakeToolSystem& system_;
};

class FakeGuard final : public SessionGuard {
 public:
  FakeGuard(FakeToolSystem& system, const std::atomic<bool>& clean) : system_(system), clean_(clean) {}
  void close() override {
    system_.events_.push_back(std::string("window closed, clean=") + (clean_.load() ? "true" : "false"));
  }

 private:
  FakeToolSystem& system_;
  const std::atomic<bool>& clean_;
};

}  // namespace

common::SectionOpening FakeToolSystem::openSection(std::u16string_view name) {
  events_.push_back("open section " + std::string(name.begin(), name.end()));
  if (!sectionExists) return common::SectionOpening{nullptr, 1450, false, {}};
  return common::SectionOpening{std::make_unique<FakeSection>(*this), createdNew ? 0u : 183u, createdNew, sectionOwner};
}

ClientWatch FakeToolSystem::watchClient(std::uint32_t pid) {
  events_.push_back("watch " + std::to_string(pid));
  if (!clientOpens) return ClientWatch{nullptr, 87, {}};
  return ClientWatch{std::make_unique<FakeWatch>(*this), 0, identity};
}

std::unique_ptr<SessionGuard> FakeToolSystem::startSessionGuard(const std::atomic<bool>& clean) {
  events_.push_back("window started");
  environmentClean = &clean;
  return std::make_unique<FakeGuard>(*this, clean);
}

}  // namespace linkwarden::testing
