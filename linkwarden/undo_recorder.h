// What the request handlers tell the undo journal before a change that could
// outlive the tool, and after an undo that makes an earlier record needless.
// Main thread only, as the handlers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "linkwarden/command_block.h"
#include "linkwarden/dns_settings.h"
#include "linkwarden/route_list.h"

namespace linkwarden {

class UndoRecorder {
 public:
  virtual ~UndoRecorder() = default;
  // The interface's settings as captured, before its first netsh run.
  virtual void dnsCaptured(const SavedDns& saved) = 0;
  // The routes of the latest add, before the first is added; none after a delete request.
  virtual void routesAdded(const ForwardRow& pattern, const std::vector<RoutePrefix>& prefixes) = 0;
  // Before the service is created; after it has been removed.
  virtual void serviceInstalling(std::u16string_view name) = 0;
  virtual void serviceRemoved(std::u16string_view name) = 0;
};

}  // namespace linkwarden
