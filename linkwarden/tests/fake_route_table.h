// A route table and a file source in memory, recording every call.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "linkwarden/file_source.h"
#include "linkwarden/route_table.h"

namespace linkwarden::testing {

struct RouteCall {
  char kind;  // 's'et, 'c'reate, 'd'elete
  ForwardRow row;
};

class FakeRouteTable final : public RouteTable {
 public:
  std::vector<RouteCall> calls;
  std::uint32_t setAnswer = 0;  // what every set returns
  std::uint32_t version = 6;
  MetricLookup lookup = MetricLookup::kFound;
  std::uint32_t metric = 35;
  std::vector<std::uint32_t> metricQueries;

  std::uint32_t setEntry(const ForwardRow& row) override {
    calls.push_back({'s', row});
    return setAnswer;
  }
  std::uint32_t createEntry(const ForwardRow& row) override {
    calls.push_back({'c', row});
    return 0;
  }
  std::uint32_t deleteEntry(const ForwardRow& row) override {
    calls.push_back({'d', row});
    return 0;
  }
  MetricLookup interfaceMetric(std::uint32_t ifIndex, std::uint32_t& out) override {
    metricQueries.push_back(ifIndex);
    if (lookup == MetricLookup::kFound) out = metric;
    return lookup;
  }
  std::uint32_t majorVersion() override { return version; }
};

class FakeFiles final : public FileSource {
 public:
  std::map<std::u16string, std::string> files;
  std::uint64_t reportedExtra = 0;  // the file claims this many bytes more than it delivers

  ReadResult readAll(std::u16string_view path, std::uint64_t limit, std::string& bytes,
                     std::uint64_t& size) override {
    auto it = files.find(std::u16string(path));
    if (it == files.end()) return ReadResult::kMissing;
    size = it->second.size() + reportedExtra;
    if (size > limit) return ReadResult::kTooLarge;
    bytes = it->second;
    return ReadResult::kRead;
  }
};

}  // namespace linkwarden::testing
