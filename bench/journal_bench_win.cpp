// What the tool's undo journal costs, on the real store (the registry key
// below HKLM\SOFTWARE, each write flushed): opening and checking it, one
// request's record (the entry rewritten and flushed) with a small and with a
// large route list, and a recovery at start (an ended tool's entry read,
// decoded, undone with no system calls and removed). Each figure: median,
// minimum and maximum of its rounds, in microseconds.
//
//   journal_bench.exe [rounds]   (default 200; under Wine through cmake/wine-run)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "linkwarden/journal_store_win.h"
#include "linkwarden/undo_journal.h"
#include "utils/ilog_manager.h"

namespace {

double microsNow() {
  LARGE_INTEGER now{}, frequency{};
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

void report(const char* what, std::vector<double> micros) {
  std::sort(micros.begin(), micros.end());
  std::printf("%-58s median %9.1f us   min %9.1f   max %9.1f   (%zu rounds)\n", what, micros[micros.size() / 2],
              micros.front(), micros.back(), micros.size());
}

std::vector<double> rounds(int count, const std::function<void()>& prepare, const std::function<void()>& measured) {
  std::vector<double> micros;
  for (int i = 0; i < count; ++i) {
    prepare();
    const double start = microsNow();
    measured();
    micros.push_back(microsNow() - start);
  }
  return micros;
}

class NoUndo final : public linkwarden::UndoActions {
 public:
  void restoreDns(const linkwarden::SavedDns&) override {}
  void deleteRoute(const linkwarden::ForwardRow&) override {}
  void removeService(std::u16string_view) override {}
};

std::vector<linkwarden::RoutePrefix> prefixes(std::size_t count) {
  std::vector<linkwarden::RoutePrefix> list(count);
  for (std::size_t i = 0; i < count; ++i) list[i] = {static_cast<std::uint32_t>(i << 8), 0x00FFFFFFu};
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::max(5, std::atoi(argv[1])) : 200;
  logq::ILogManager& logs = logq::instance();
  linkwarden::WinJournalStore store;
  linkwarden::WinToolProcesses processes;
  NoUndo undo;

  report("open and check the journal's keys", rounds(count, [] {}, [&] {
           std::string refusal;
           if (!store.open(refusal)) std::printf("refused: %s\n", refusal.c_str());
         }));
  linkwarden::UndoJournal journal(store, processes, logs);
  if (!journal.open()) return 1;
  const linkwarden::ForwardRow pattern{};
  const auto small = prefixes(2);
  const auto large = prefixes(8192);
  report("one request's record: DNS captured", rounds(count, [] {}, [&] {
           journal.dnsCaptured(linkwarden::SavedDns{false, 7, u"10.9.9.1", u"10.9.9.2"});
         }));
  report("one request's record: a route add of 2 prefixes", rounds(count, [] {}, [&] {
           journal.routesAdded(pattern, small);
         }));
  report("one request's record: a route add of 8,192 prefixes (64 KB)", rounds(count, [] {}, [&] {
           journal.routesAdded(pattern, large);
         }));
  journal.routesAdded(pattern, small);  // the entry as a session with a short route list has it
  report("one request's record: a driver service", rounds(count, [&] { journal.serviceRemoved(u"lwbench"); }, [&] {
           journal.serviceInstalling(u"lwbench");
         }));
  journal.finish();

  // An ended tool's entry (a process id that no process has), as a killed session leaves it.
  linkwarden::UndoEntry left;
  left.tool = {0x7FFFFFF0u, 1};
  left.dns = linkwarden::SavedDns{false, 7, u"10.9.9.1", u"10.9.9.2"};
  left.routes = large;
  left.services = {u"lwbench"};
  const std::string bytes = linkwarden::encodeUndoEntry(left);
  const std::u16string name = linkwarden::undoEntryName(left.tool);
  report("recovery at start: an ended tool's entry of 8,192 routes", rounds(count, [&] { store.write(name, bytes); }, [&] {
           journal.recover(undo);
         }));
  report("recovery at start: nothing left", rounds(count, [] {}, [&] { journal.recover(undo); }));
  logs.stop();
  return 0;
}
