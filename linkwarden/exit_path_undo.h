// A left journal entry undone through the exit sequence's own paths: the
// captured DNS settings through the same netsh command lines (the servers
// checked as IPv4 again), the routes deleted row by row, the services
// stopped and deleted. The DNS gets one netsh pass, not the exit's eleven:
// a recovery must not hold up the new client beyond one netsh limit.
#pragma once

#include "linkwarden/dns_settings.h"
#include "linkwarden/driver_services.h"
#include "linkwarden/route_table.h"
#include "linkwarden/undo_journal.h"

namespace linkwarden {

class ExitPathUndo final : public UndoActions {
 public:
  ExitPathUndo(DnsSettings& dns, RouteTable& routes, DriverServices& driver)
      : dns_(dns), routes_(routes), driver_(driver) {}

  void restoreDns(const SavedDns& saved) override {
    dns_.applyInterfaceDns(saved.interfaceIndex, saved.useDhcp, saved.primaryServer, saved.secondaryServer, 1);
  }
  void deleteRoute(const ForwardRow& row) override { routes_.deleteEntry(row); }
  void removeService(std::u16string_view name) override { driver_.removeDriverService(name); }

 private:
  DnsSettings& dns_;
  RouteTable& routes_;
  DriverServices& driver_;
};

}  // namespace linkwarden
