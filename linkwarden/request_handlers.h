// What the poll loop and the exit sequence call: one handler per request kind,
// each owning its own state (the installed services, the saved DNS servers,
// the added routes) from start-up until the exit sequence has run.
// All are called on the main thread only, never concurrently.
#pragma once

#include "linkwarden/command_block.h"

namespace linkwarden {

class DriverRequests {
 public:
  virtual ~DriverRequests() = default;
  // Records the service as installed or removed, then installs or removes it.
  virtual void handle(DriverRequest& request) = 0;
  // Exit: removes every service whose latest request was an install.
  virtual void removeInstalled() = 0;
};

class DnsRequests {
 public:
  virtual ~DnsRequests() = default;
  virtual void handle(DnsRequest& request) = 0;
  // Exit: puts the captured servers back, if any were captured.
  virtual void restoreSaved() = 0;
};

class RouteRequests {
 public:
  virtual ~RouteRequests() = default;
  // May write the updated interface metric back into the request's pattern row.
  virtual void handle(RouteRequest& request) = 0;
  // Exit: deletes the routes of the latest add, if the latest request added.
  virtual void deleteAdded() = 0;
};

class DialUpCleanup {
 public:
  virtual ~DialUpCleanup() = default;
  virtual void hangUpProductConnection() = 0;
};

struct RequestHandlers {
  DriverRequests& driver;
  DnsRequests& dns;
  RouteRequests& routes;
  DialUpCleanup& dialUp;
};

}  // namespace linkwarden
