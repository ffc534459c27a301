// Handlers that acknowledge requests and change nothing. The tool uses them
// for each request kind whose real handler it does not have yet, so that the
// channel, the acknowledgement and the exit order work end to end.
#pragma once

#include "linkwarden/request_handlers.h"

namespace linkwarden {

class InertDriverRequests final : public DriverRequests {
 public:
  void handle(DriverRequest&) override {}
  void removeInstalled() override {}
};

class InertDnsRequests final : public DnsRequests {
 public:
  void handle(DnsRequest&) override {}
  void restoreSaved() override {}
};

class InertRouteRequests final : public RouteRequests {
 public:
  void handle(RouteRequest&) override {}
  void deleteAdded() override {}
};

class InertDialUpCleanup final : public DialUpCleanup {
 public:
  void hangUpProductConnection() override {}
};

}  // namespace linkwarden
