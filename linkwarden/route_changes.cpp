#include "linkwarden/route_changes.h"

#include "linkwarden/undo_recorder.h"

#include "common/code_page.h"

#include "common/fixed_field.h"
#include "linkwarden/log_texts.h"

namespace linkwarden {
namespace {

// The route code belongs to the tool's entry file as its records name it (the
// tool's source files are "linkwarden" and "driver").
constexpr char kSource[] = "linkwarden/linkwarden";

ForwardRow rowFor(const ForwardRow& pattern, const RoutePrefix& prefix) {
  ForwardRow row = pattern;
  row.dwForwardDest = prefix.destination;
  row.dwForwardMask = prefix.mask;
  return row;
}

}  // namespace

RouteChanges::RouteChanges(RouteTable& table, FileSource& files, logq::ILogManager& logs)
    : table_(table), files_(files), log_(logs, logq::kMainLoggerId, kSource) {}

void RouteChanges::handle(RouteRequest& request) {
  log_.write(logq::LOG_ERROR, __LINE__, "%s", texts::kRoutesBegin);
  savedPattern_ = request.templateRow;
  savedPath_ = common::readField(request.listPath);
  if (request.add != 0) {
    routesAdded_ = true;
    readRouteList(savedPath_);
    if (recorder_ != nullptr) recorder_->routesAdded(savedPattern_, prefixes_);  // as the exit sequence deletes them
    applyRouteList(request);
  } else {
    routesAdded_ = false;
    readRouteList(savedPath_);
    deleteRouteList(request.templateRow);
    if (recorder_ != nullptr) recorder_->routesAdded(savedPattern_, {});
  }
  log_.write(logq::LOG_ERROR, __LINE__, "%s", texts::kRoutesEnd);
}

void RouteChanges::applyRouteList(RouteRequest& request) {
  if (table_.majorVersion() >= 6) {
    std::uint32_t metric = 0;
    switch (table_.interfaceMetric(request.templateRow.dwForwardIfIndex, metric)) {
      case MetricLookup::kFound:
        request.templateRow.dwForwardMetric1 = metric;
        break;
      case MetricLookup::kNoFunction:
        break;  // as before version 6: the metric the client wrote
      case MetricLookup::kNoLibrary:
      case MetricLookup::kFailed:
        log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: no metric for interface %u, no route added",
                   request.templateRow.dwForwardIfIndex);
        return;
    }
  }
  for (const RoutePrefix& prefix : prefixes_) {
    // The pattern is read from the block for each route, as the client may see it.
    const ForwardRow row = rowFor(request.templateRow, prefix);
    if (table_.setEntry(row) == kErrorNotFound) table_.createEntry(row);
  }
}

void RouteChanges::deleteRouteList(const ForwardRow& pattern) {
  for (const RoutePrefix& prefix : prefixes_) table_.deleteEntry(rowFor(pattern, prefix));
}

void RouteChanges::deleteAdded() {
  if (routesAdded_) {
    log_.write(logq::LOG_ERROR, __LINE__, "%s", texts::kRoutesCleaning);
    readRouteList(savedPath_);
    deleteRouteList(savedPattern_);
  }
  log_.write(logq::LOG_ERROR, __LINE__, "%s", texts::kRoutesCleaned);
}

void RouteChanges::readRouteList(const std::u16string& path) {
  prefixes_.clear();
  bytes_.clear();
  std::uint64_t size = 0;
  switch (files_.readAll(path, kRouteListLimit, bytes_, size)) {
    case ReadResult::kRead:
      if (bytes_.size() != size) {
        log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: route list %s gave %llu of %llu bytes",
                   common::toGbk(path).c_str(), static_cast<unsigned long long>(bytes_.size()),
                   static_cast<unsigned long long>(size));
      }
      parseRouteList(bytes_, prefixes_);
      break;
    case ReadResult::kTooLarge:
      log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: route list %s has %llu bytes, over the %llu we read; ignored",
                 common::toGbk(path).c_str(), static_cast<unsigned long long>(size),
                 static_cast<unsigned long long>(kRouteListLimit));
      break;
    case ReadResult::kMissing:
    case ReadResult::kFailed:
      break;  // an unreadable list is an empty one
  }
}

}  // namespace linkwarden
