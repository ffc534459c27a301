// The undo journal with a store in memory: entries that survive only whole,
// records written before the changes they guard, and a recovery that undoes
// only what ended tools left.
#include "linkwarden/undo_journal.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "common/fixed_field.h"
#include "linkwarden/driver_services.h"
#include "linkwarden/route_changes.h"
#include "linkwarden/tests/fake_route_table.h"
#include "linkwarden/tests/fake_service_manager.h"
#include "linkwarden/tests/log_capture.h"

namespace linkwarden {
namespace {

class MemoryStore final : public JournalStore {
 public:
  std::map<std::u16string, std::string> entries;
  std::string refusal;                 // non-empty: the place is refused
  std::function<void()> beforeWrite;   // sees what the tool has done so far
  int writes = 0;

  bool open(std::string& why) override {
    why = refusal;
    return refusal.empty();
  }
  std::vector<std::u16string> names() override {
    std::vector<std::u16string> all;
    for (const auto& [name, bytes] : entries) all.push_back(name);
    return all;
  }
  bool read(std::u16string_view name, std::size_t limit, std::string& bytes) override {
    const auto found = entries.find(std::u16string(name));
    if (found == entries.end() || found->second.size() > limit) return false;
    bytes = found->second;
    return true;
  }
  bool write(std::u16string_view name, std::string_view bytes) override {
    if (beforeWrite) beforeWrite();
    ++writes;
    entries[std::u16string(name)] = std::string(bytes);
    return true;
  }
  bool remove(std::u16string_view name) override { return entries.erase(std::u16string(name)) == 1; }
};

class Processes final : public ToolProcesses {
 public:
  ToolIdentity own{900, 1234};
  std::vector<ToolIdentity> living;
  ToolIdentity self() override { return own; }
  bool runs(const ToolIdentity& tool) override {
    return std::find(living.begin(), living.end(), tool) != living.end();
  }
};

class RecordedUndo final : public UndoActions {
 public:
  std::vector<std::string> done;
  void restoreDns(const SavedDns& saved) override {
    done.push_back("dns " + std::to_string(saved.interfaceIndex) + " " +
                   std::string(saved.primaryServer.begin(), saved.primaryServer.end()));
  }
  void deleteRoute(const ForwardRow& row) override {
    done.push_back("route " + std::to_string(row.dwForwardDest) + "/" + std::to_string(row.dwForwardMask) + " if " +
                   std::to_string(row.dwForwardIfIndex));
  }
  void removeService(std::u16string_view name) override { done.push_back("service " + std::string(name.begin(), name.end())); }
};

UndoEntry sampleEntry(ToolIdentity tool) {
  UndoEntry entry;
  entry.tool = tool;
  entry.dns = SavedDns{false, 7, u"10.9.9.1", u"10.9.9.2"};
  entry.routePattern.dwForwardIfIndex = 7;
  entry.routePattern.dwForwardNextHop = 0x0A0000FE;
  entry.routes = {{0x0A000000, 0xFF000000}, {0xC0A80000, 0xFFFF0000}};
  entry.services = {u"lwdriver"};
  return entry;
}

// An entry comes back as it was written; a copy with any one byte changed, or
// cut short anywhere, decodes to nothing.
TEST(UndoEntry, RoundTripsAndRefusesEveryDamagedCopy) {
  const UndoEntry entry = sampleEntry({4242, 0x0123456789ABCDEFull});
  const std::string bytes = encodeUndoEntry(entry);
  const std::optional<UndoEntry> back = decodeUndoEntry(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->tool, entry.tool);
  ASSERT_TRUE(back->dns);
  EXPECT_EQ(back->dns->primaryServer, u"10.9.9.1");
  EXPECT_EQ(back->dns->secondaryServer, u"10.9.9.2");
  EXPECT_EQ(back->routes, entry.routes);
  EXPECT_EQ(back->routePattern.dwForwardNextHop, 0x0A0000FEu);
  EXPECT_EQ(back->services, entry.services);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::string damaged = bytes;
    damaged[i] = static_cast<char>(damaged[i] ^ 0x10);
    EXPECT_FALSE(decodeUndoEntry(damaged)) << "byte " << i;
    EXPECT_FALSE(decodeUndoEntry(std::string_view(bytes).substr(0, i))) << "cut at " << i;
  }
  EXPECT_EQ(undoEntryName({4242, 77}), u"4242-77");
}

class UndoJournalTest : public ::testing::Test {
 protected:
  MemoryStore store;
  Processes processes;
  testing::LogCapture logs;
  UndoJournal journal{store, processes, logs.logs};
  RecordedUndo undo;
};

// Each change is journaled before it is made: the routes before the first is
// set, the service before it is created; a delete request and a removal take
// their records back, and the normal exit leaves no entry.
TEST_F(UndoJournalTest, RecordsBeforeEachChangeAndLeavesNothingAtTheEnd) {
  ASSERT_TRUE(journal.open());
  testing::FakeRouteTable table;
  testing::FakeFiles files;
  files.files[u"C:\\routes.txt"] = "10.0.0.0/8\r\n192.168.0.0/16\r\n";
  RouteChanges routes(table, files, logs.logs);
  routes.recordWith(journal);
  testing::FakeServiceManager services;
  testing::FakeDriverOrigin origin;
  DriverServices driver(services, origin, logs.logs);
  driver.recordWith(journal);
  std::vector<std::string> seen;
  store.beforeWrite = [&] {
    seen.push_back(std::to_string(table.calls.size()) + " route calls, " + std::to_string(services.services.size()) +
                   " services");
  };

  RouteRequest add{};
  add.add = 1;
  add.templateRow.dwForwardIfIndex = 7;
  common::writeField(add.listPath, u"C:\\routes.txt");
  routes.handle(add);
  ASSERT_TRUE(store.entries.count(undoEntryName(processes.own)));
  EXPECT_EQ(journal.entry().routes.size(), 2u);

  DriverRequest install{};
  install.install = 1;
  common::writeField(install.serviceName, u"lwdriver");
  common::writeField(install.imagePath, u"C:\\work\\lw.sys");
  driver.handle(install);
  EXPECT_EQ(journal.entry().services, (std::vector<std::u16string>{u"lwdriver"}));
  EXPECT_EQ(seen, (std::vector<std::string>{"0 route calls, 0 services", "2 route calls, 0 services"}));

  DriverRequest remove = install;
  remove.install = 0;
  driver.handle(remove);
  RouteRequest del = add;
  del.add = 0;
  routes.handle(del);
  EXPECT_TRUE(journal.entry().empty());
  journal.finish();
  EXPECT_TRUE(store.entries.empty());
}

// At start: the entry of an ended tool is undone (services, DNS, then every
// route) and removed; a living tool's entry is left; a torn one, or one stored
// under another tool's name, is removed without a step of it being taken.
TEST_F(UndoJournalTest, RecoveryUndoesOnlyWhatEndedToolsLeft) {
  const ToolIdentity ended{100, 5}, living{200, 6};
  store.entries[undoEntryName(ended)] = encodeUndoEntry(sampleEntry(ended));
  store.entries[undoEntryName(living)] = encodeUndoEntry(sampleEntry(living));
  const std::string whole = encodeUndoEntry(sampleEntry({300, 7}));
  store.entries[u"300-7"] = whole.substr(0, whole.size() - 3);  // torn
  store.entries[u"400-8"] = whole;                             // another tool's entry under this name
  processes.living = {living, {100, 99}};                      // pid 100 again, but a later process
  ASSERT_TRUE(journal.open());
  const RecoveryCounts counts = journal.recover(undo);
  EXPECT_EQ(counts.undone, 1);
  EXPECT_EQ(counts.living, 1);
  EXPECT_EQ(counts.discarded, 2);
  EXPECT_EQ(undo.done, (std::vector<std::string>{"service lwdriver", "dns 7 10.9.9.1",
                                                 "route 167772160/4278190080 if 7",
                                                 "route 3232235520/4294901760 if 7"}));
  EXPECT_EQ(store.names(), (std::vector<std::u16string>{undoEntryName(living)}));
  logs.logs.stop();
  EXPECT_NE(logs.console.all().find("journal entry 300-7 is unreadable, torn or corrupt"), std::string::npos);
}

// A place somebody else could have written is neither recovered from nor written to.
TEST_F(UndoJournalTest, RefusedPlaceIsNeverActedOn) {
  store.refusal = "HKLM\\SOFTWARE\\Tavaro lets S-1-1-0 write it";
  store.entries[u"100-5"] = encodeUndoEntry(sampleEntry({100, 5}));
  EXPECT_FALSE(journal.open());
  EXPECT_EQ(journal.recover(undo).undone, 0);
  journal.serviceInstalling(u"lwdriver");
  EXPECT_TRUE(undo.done.empty());
  EXPECT_EQ(store.writes, 0);
  logs.logs.stop();
  EXPECT_NE(logs.console.all().find("undo journal refused (HKLM\\SOFTWARE\\Tavaro lets S-1-1-0 write it)"),
            std::string::npos);
}

}  // namespace
}  // namespace linkwarden
