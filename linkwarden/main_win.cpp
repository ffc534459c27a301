// linkwarden.exe: wires the Windows side to the tool and runs it.
#include <windows.h>

#include "common/wide_win.h"
#include "linkwarden/inert_handlers.h"
#include "linkwarden/linkwarden.h"
#include "linkwarden/route_changes.h"
#include "linkwarden/route_table_win.h"
#include "linkwarden/tool_system_win.h"
#include "utils/ilog_manager.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::vector<std::u16string> tokens = common::commandLineTokens();
  logq::ILogManager& logs = logq::instance();
  linkwarden::WinToolSystem system(instance, logs);

  linkwarden::InertDriverRequests driver;
  linkwarden::InertDnsRequests dns;
  linkwarden::WinRouteTable routeTable;
  linkwarden::WinFileSource files;
  linkwarden::RouteChanges routes(routeTable, files, logs);
  linkwarden::InertDialUpCleanup dialUp;
  linkwarden::RequestHandlers handlers{driver, dns, routes, dialUp};

  const int code = linkwarden::runTool(tokens, system, handlers, logs);
  logs.stop();  // drains the queue into the log before the process ends
  return code;
}
