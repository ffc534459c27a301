// Parsing a 100,000-line route list and handling a route request over it:
// time per list, allocations per list, and route calls per prefix.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "linkwarden/route_changes.h"
#include "linkwarden/route_list.h"
#include "utils/log_manager.h"

namespace {

std::atomic<long> allocations{0};

}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace linkwarden;

constexpr int kLines = 100000;

std::string makeList() {
  std::string text;
  char line[40];
  for (int i = 0; i < kLines; ++i) {
    const int n = std::snprintf(line, sizeof line, "%d.%d.%d.0/%d\r\n", 1 + i / 65536 % 223, i / 256 % 256, i % 256,
                                8 + i % 25);
    text.append(line, static_cast<std::size_t>(n));
  }
  return text;
}

const std::string& listText() {
  static const std::string text = makeList();
  return text;
}

void BM_ParseRouteList(benchmark::State& state) {
  std::vector<RoutePrefix> prefixes;
  parseRouteList(listText(), prefixes);  // the vector's capacity is kept between requests
  long allocated = 0;
  for (auto _ : state) {
    prefixes.clear();
    const long before = allocations.load(std::memory_order_relaxed);
    parseRouteList(listText(), prefixes);
    allocated += allocations.load(std::memory_order_relaxed) - before;
    benchmark::DoNotOptimize(prefixes.data());
  }
  state.counters["prefixes"] = static_cast<double>(prefixes.size());
  state.counters["allocations_per_list"] = static_cast<double>(allocated) / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(listText().size()));
}
BENCHMARK(BM_ParseRouteList)->Unit(benchmark::kMillisecond);

class CountingTable final : public RouteTable {
 public:
  long sets = 0, creates = 0, deletes = 0;
  std::uint32_t setEntry(const ForwardRow&) override {
    ++sets;
    return sets % 2 == 0 ? kErrorNotFound : 0;  // every other route is new
  }
  std::uint32_t createEntry(const ForwardRow&) override {
    ++creates;
    return 0;
  }
  std::uint32_t deleteEntry(const ForwardRow&) override {
    ++deletes;
    return 0;
  }
  MetricLookup interfaceMetric(std::uint32_t, std::uint32_t& metric) override {
    metric = 25;
    return MetricLookup::kFound;
  }
  std::uint32_t majorVersion() override { return 6; }
};

class MemoryFiles final : public FileSource {
 public:
  ReadResult readAll(std::u16string_view, std::uint64_t, std::string& bytes, std::uint64_t& size) override {
    bytes = listText();
    size = bytes.size();
    return ReadResult::kRead;
  }
};

void BM_RouteAddRequest(benchmark::State& state) {
  CountingTable table;
  MemoryFiles files;
  logq::LogManager logs;  // not started: the request's log texts cost only the level check
  RouteChanges routes(table, files, logs);
  RouteRequest request{};
  request.add = 1;
  long requests = 0;
  for (auto _ : state) {
    routes.handle(request);
    ++requests;
  }
  const double prefixes = static_cast<double>(requests) * kLines;
  state.counters["sets_per_prefix"] = static_cast<double>(table.sets) / prefixes;
  state.counters["creates_per_prefix"] = static_cast<double>(table.creates) / prefixes;
}
BENCHMARK(BM_RouteAddRequest)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
