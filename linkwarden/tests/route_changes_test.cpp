#include "linkwarden/route_changes.h"

#include <gtest/gtest.h>

#include "common/fixed_field.h"
#include "linkwarden/tests/fake_route_table.h"
#include "utils/log_manager.h"
#include "utils/tests/log_fakes.h"

namespace linkwarden {
namespace {

using testing::FakeFiles;
using testing::FakeRouteTable;

std::uint32_t ip(int a, int b, int c, int d) {
  return toNetworkOrder(static_cast<std::uint32_t>(a << 24 | b << 16 | c << 8 | d));
}

// GBK texts of the four route messages, with the source file their records
// name: the tool's own, as every record of the route code does.
const std::string kBegin = "linkwarden \xbf\xaa\xca\xbc\xb8\xb3\xd6\xb5 forward linkwarden:";
const std::string kEnd = "linkwarden \xbd\xe1\xca\xf8\xb8\xb3\xd6\xb5 forward linkwarden:";
const std::string kCleaning = "linkwarden \xd5\xfd\xd4\xda\xc7\xe5\xc0\xed forward linkwarden:";
const std::string kCleaned = "linkwarden \xc7\xe5\xc0\xed\xcd\xea\xb3\xc9 forward linkwarden:";

class RouteChangesTest : public ::testing::Test {
 protected:
  RouteChangesTest() {
    logs.setOutFile(logq::kMainLoggerId, false);
    logs.start();
    files.files[u"C:\\routes.txt"] = "10.0.0.0/8\r\n192.168.0.0/16\r\n";
    request.templateRow.dwForwardNextHop = ip(10, 0, 0, 254);
    request.templateRow.dwForwardIfIndex = 7;
    request.templateRow.dwForwardMetric1 = 20;
    common::writeField(request.listPath, u"C:\\routes.txt");
  }
  void ask(bool add) {
    request.add = add;
    routes.handle(request);
  }
  std::string logged() {
    logs.stop();
    return console.all();
  }

  FakeRouteTable table;
  FakeFiles files;
  logq::testing::FakeClock clock{logq::testing::kMarch2At0905};
  logq::testing::FakeConsole console;
  logq::LogManager logs{logq::testing::fakeEnvironment(clock, console)};
  RouteChanges routes{table, files, logs};
  RouteRequest request{};
};

// Set succeeds: no create. The pattern's fields other than destination and
// mask reach the system unchanged, with the interface metric on version 6.
TEST_F(RouteChangesTest, SetWithoutCreate) {
  ask(true);
  ASSERT_EQ(table.calls.size(), 2u);
  EXPECT_EQ(table.calls[0].kind, 's');
  EXPECT_EQ(table.calls[0].row.dwForwardDest, ip(10, 0, 0, 0));
  EXPECT_EQ(table.calls[0].row.dwForwardMask, ip(255, 0, 0, 0));
  EXPECT_EQ(table.calls[1].row.dwForwardMask, ip(255, 255, 0, 0));
  EXPECT_EQ(table.calls[1].row.dwForwardNextHop, ip(10, 0, 0, 254));
  EXPECT_EQ(table.calls[1].row.dwForwardMetric1, 35u);
  EXPECT_EQ(table.metricQueries, std::vector<std::uint32_t>{7});
  EXPECT_EQ(request.templateRow.dwForwardMetric1, 35u);  // written back into the block
  EXPECT_TRUE(routes.routesAdded());
}

// Create follows only the answer 1168; any other refusal is skipped.
TEST_F(RouteChangesTest, CreateOnlyAfterNotFound) {
  table.setAnswer = 1168;
  ask(true);
  std::string kinds;
  for (const auto& call : table.calls) kinds += call.kind;
  EXPECT_EQ(kinds, "scsc");
  table.calls.clear();
  table.setAnswer = 5;
  ask(true);
  EXPECT_EQ(table.calls.size(), 2u);
}

// Before version 6 the metric is not looked up; a missing lookup function
// behaves the same; an interface the lookup refuses adds no route.
TEST_F(RouteChangesTest, MetricByVersion) {
  table.version = 5;
  ask(true);
  EXPECT_TRUE(table.metricQueries.empty());
  EXPECT_EQ(request.templateRow.dwForwardMetric1, 20u);
  EXPECT_EQ(table.calls.back().row.dwForwardMetric1, 20u);

  table.version = 6;
  table.calls.clear();
  table.lookup = MetricLookup::kNoFunction;
  ask(true);
  EXPECT_EQ(request.templateRow.dwForwardMetric1, 20u);
  EXPECT_EQ(table.calls.size(), 2u);

  table.calls.clear();
  table.lookup = MetricLookup::kFailed;
  ask(true);
  EXPECT_TRUE(table.calls.empty());
  EXPECT_TRUE(routes.routesAdded());
}

// Add, then the client ends: the exit deletes with the pattern as the client
// wrote it (metric 20, not 35), reading the file as it is then.
TEST_F(RouteChangesTest, ExitDeletesWithTheClientsPattern) {
  ask(true);
  table.calls.clear();
  files.files[u"C:\\routes.txt"] = "10.0.0.0/8\n172.16.0.0/12\n";
  routes.deleteAdded();
  ASSERT_EQ(table.calls.size(), 2u);
  EXPECT_EQ(table.calls[0].kind, 'd');
  EXPECT_EQ(table.calls[0].row.dwForwardMetric1, 20u);
  EXPECT_EQ(table.calls[1].row.dwForwardDest, ip(172, 16, 0, 0));
  const std::string text = logged();
  const auto begin = text.find(kBegin), end = text.find(kEnd), cleaning = text.find(kCleaning),
             cleaned = text.find(kCleaned);
  ASSERT_NE(cleaned, std::string::npos);
  EXPECT_LT(begin, end);
  EXPECT_LT(end, cleaning);
  EXPECT_LT(cleaning, cleaned);
}

// Add, delete, exit: the delete removes the listed routes, the exit deletes
// nothing and still says it is done.
TEST_F(RouteChangesTest, AddDeleteExitDeletesNothingAtExit) {
  ask(true);
  ask(false);
  EXPECT_FALSE(routes.routesAdded());
  table.calls.clear();
  routes.deleteAdded();
  EXPECT_TRUE(table.calls.empty());
  const std::string text = logged();
  EXPECT_EQ(text.find(kCleaning), std::string::npos);
  EXPECT_NE(text.find(kCleaned), std::string::npos);
}

// A missing list changes nothing but still follows `add`; an oversized one
// is refused with a log line; a short read parses what arrived.
TEST_F(RouteChangesTest, UnreadableAndOversizedLists) {
  common::writeField(request.listPath, u"C:\\missing.txt");
  ask(true);
  EXPECT_TRUE(table.calls.empty());
  EXPECT_TRUE(routes.routesAdded());

  common::writeField(request.listPath, u"C:\\routes.txt");
  files.reportedExtra = kRouteListLimit;
  ask(true);
  EXPECT_TRUE(table.calls.empty());
  files.reportedExtra = 10;
  ask(true);
  EXPECT_EQ(table.calls.size(), 2u);
  const std::string text = logged();
  EXPECT_NE(text.find("linkwarden: route list C:\\routes.txt has 67108892 bytes, over the 67108864 we read; ignored"),
            std::string::npos);
  EXPECT_NE(text.find("gave 28 of 38 bytes"), std::string::npos);
}

}  // namespace
}  // namespace linkwarden
