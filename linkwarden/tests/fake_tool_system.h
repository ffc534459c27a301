// A scriptable stand-in for the operating system side of the tool, and
// handlers that write what they were asked into one shared event list.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "linkwarden/request_handlers.h"
#include "linkwarden/tool_system.h"

namespace linkwarden::testing {

using Events = std::vector<std::string>;

class FakeToolSystem final : public ToolSystem {
 public:
  explicit FakeToolSystem(Events& events) : events_(events) {}

  CommandBlock block{};
  bool sectionExists = true;
  bool createdNew = false;
  std::u16string sectionOwner = u"S-1-5-21-7-1000";
  ClientIdentity identity{u"S-1-5-21-7-1000", u"S-1-5-21-7-1000", u"S-1-5-21-7-1000", 1, 1, 0};
  bool clientOpens = true;
  // Which map calls fail (0-based); the first map is the start-up check.
  std::function<bool(int)> mapFails = [](int) { return false; };
  // The result of each wait on the client (0-based); the client ends at once by default.
  std::function<common::WaitResult(int)> waitResult = [](int) { return common::WaitResult::kEnded; };
  const std::atomic<bool>* environmentClean = nullptr;
  int maps = 0;
  int unmaps = 0;
  int waits = 0;
  bool viewMapped = false;

  common::SectionOpening openSection(std::u16string_view name) override;
  ClientWatch watchClient(std::uint32_t pid) override;
  std::unique_ptr<SessionGuard> startSessionGuard(const std::atomic<bool>& clean) override;

  Events& events_;
};

class RecordingHandlers final : public DriverRequests, public DnsRequests, public RouteRequests, public DialUpCleanup {
 public:
  explicit RecordingHandlers(Events& events) : events_(events) {}

  void handle(DriverRequest& r) override { events_.push_back(pendingNote("driver", r.pending)); }
  void handle(DnsRequest& r) override { events_.push_back(pendingNote("dns", r.pending)); }
  void handle(RouteRequest& r) override { events_.push_back(pendingNote("route", r.pending)); }
  void removeInstalled() override { events_.push_back("remove services"); }
  void restoreSaved() override { events_.push_back("restore dns"); }
  void deleteAdded() override { events_.push_back("delete routes"); }
  void hangUpProductConnection() override { events_.push_back("hang up"); }

  RequestHandlers all() { return RequestHandlers{*this, *this, *this, *this}; }

 private:
  // What the handler saw of its own `pending` byte while it ran.
  static std::string pendingNote(const char* kind, std::uint8_t pending) {
    return std::string(kind) + (pending ? " (pending)" : " (acknowledged early)");
  }
  Events& events_;
};

}  // namespace linkwarden::testing
