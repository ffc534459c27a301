// Route requests: one IPv4 route per prefix of the client's route list, all
// shaped like the request's pattern row; deleted again on request or, for
// the latest add, when the client has ended.
#pragma once

#include <string>
#include <vector>

#include "linkwarden/file_source.h"
#include "linkwarden/request_handlers.h"
#include "linkwarden/route_list.h"
#include "linkwarden/route_table.h"
#include "utils/log_format.h"

namespace linkwarden {

class UndoRecorder;

// Route lists larger than this are refused rather than read into memory.
inline constexpr std::uint64_t kRouteListLimit = 64ull << 20;

class RouteChanges final : public RouteRequests {
 public:
  RouteChanges(RouteTable& table, FileSource& files, logq::ILogManager& logs);

  void handle(RouteRequest& request) override;
  void deleteAdded() override;

  // Told of the routes of each add before the first is added, and of none after a delete.
  void recordWith(UndoRecorder& recorder) { recorder_ = &recorder; }

  // The saved copy of the latest request, for inspection.
  const ForwardRow& savedPattern() const { return savedPattern_; }
  bool routesAdded() const { return routesAdded_; }

 private:
  // Reads and parses the list into `prefixes_` (empty when unreadable).
  void readRouteList(const std::u16string& path);
  void applyRouteList(RouteRequest& request);
  void deleteRouteList(const ForwardRow& pattern);

  RouteTable& table_;
  FileSource& files_;
  logq::SourceLog log_;
  ForwardRow savedPattern_{};  // cur_forward: the pattern as the client wrote it
  std::u16string savedPath_;   // cur_forward: the list path
  bool routesAdded_ = false;
  std::string bytes_;          // reused between requests
  std::vector<RoutePrefix> prefixes_;
  UndoRecorder* recorder_ = nullptr;
};

}  // namespace linkwarden
