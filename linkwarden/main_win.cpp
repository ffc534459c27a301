// linkwarden.exe: wires the Windows side to the tool and runs it.
#include <windows.h>

#include "common/wide_win.h"
#include <cstdio>

#include "linkwarden/dial_up.h"
#include "linkwarden/dns_settings.h"
#include "linkwarden/exit_path_undo.h"
#include "linkwarden/journal_store_win.h"
#include "linkwarden/driver_origin_win.h"
#include "linkwarden/driver_services.h"
#include "linkwarden/linkwarden.h"
#include "linkwarden/route_changes.h"
#include "linkwarden/route_table_win.h"
#include "linkwarden/system_win.h"
#include "linkwarden/tool_system_win.h"
#include "utils/ilog_manager.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::vector<std::u16string> tokens = common::commandLineTokens();
  logq::ILogManager& logs = logq::instance();
  linkwarden::ClientRights clientRights;
  linkwarden::WinToolSystem system(instance, logs, clientRights);

  linkwarden::WinServiceManager serviceManager;
  linkwarden::WinDriverOrigin driverOrigin;
  linkwarden::DriverServices driver(serviceManager, driverOrigin, logs);
  linkwarden::WinDnsSystem dnsSystem;
  linkwarden::WinNetshRunner netsh;
  linkwarden::DnsSettings dns(dnsSystem, netsh, logs);
  linkwarden::WinRouteTable routeTable;
  linkwarden::WinFileSource files(clientRights);
  linkwarden::RouteChanges routes(routeTable, files, logs);
  linkwarden::WinRemoteAccess remoteAccess;
  linkwarden::ProductDialUp dialUp(remoteAccess, logs, [](const char* text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
  });
  linkwarden::RequestHandlers handlers{driver, dns, routes, dialUp};

  // Each change that could outlive the tool is journaled first.
  linkwarden::WinJournalStore journalStore;
  linkwarden::WinToolProcesses processes;
  linkwarden::UndoJournal journal(journalStore, processes, logs);
  driver.recordWith(journal);
  dns.recordWith(journal);
  routes.recordWith(journal);
  linkwarden::ExitPathUndo undo(dns, routeTable, driver);
  linkwarden::Recovery recovery{journal, undo};

  const int code = linkwarden::runTool(tokens, system, handlers, logs, &recovery);
  logs.stop();  // drains the queue into the log before the process ends
  return code;
}
