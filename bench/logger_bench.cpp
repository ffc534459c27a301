// logq beside spdlog's asynchronous file logger (blocking overflow policy), in one run:
//   1. caller cost per message (median, p99) with 1 and 4 producers while the writer drains;
//   2. throughput: 1,000,000 messages to a file from 1 and 4 threads until all is flushed;
//   3. peak memory of each run (every scenario runs in a child process of its own).
// Every file is counted afterwards: no message may be lost.
//
//   logger_bench [folder] [repeats] [kind name threads]
//     the median of `repeats` runs (7 by default) and the spread of the per-run
//     ratios; with the last three, one
//     scenario run once in this process (for a profiler), e.g. "throughput logq 1"
#include <spdlog/async.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "utils/log_format.h"
#include "utils/log_manager.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// About 100 bytes once formatted: the same text in each logger's own format language.
constexpr char kFormat[] = "bench message %08d: the quick brown fox jumps over the lazy dog, twice over, then rests";
constexpr char kSpdlogFormat[] = "bench message {:08d}: the quick brown fox jumps over the lazy dog, twice over, then rests";
constexpr int kThroughputMessages = 1000000;
constexpr int kLatencyMessagesPerThread = 200000;

struct Result {
  double medianNs = 0;
  double p99Ns = 0;
  double messagesPerSecond = 0;
  long lines = 0;
};

class Target {
 public:
  virtual ~Target() = default;
  virtual void log(int n) = 0;
  virtual void finish() = 0;  // everything written and flushed
};

class LogqTarget final : public Target {
 public:
  explicit LogqTarget(const fs::path& folder) {
    manager_.setPath(logq::kMainLoggerId, (folder.string() + "/").c_str());
    manager_.setDisplay(logq::kMainLoggerId, false);
    manager_.setLevel(logq::kMainLoggerId, logq::LOG_INFO);
    manager_.setLimitSize(logq::kMainLoggerId, 0);
    manager_.start();
  }
  void log(int n) override {
    logq::logFormat(manager_, logq::kMainLoggerId, logq::LOG_INFO, "bench/logger_bench", 42, kFormat, n);
  }
  void finish() override { manager_.stop(); }

 private:
  logq::LogManager manager_;
};

class SpdlogTarget final : public Target {
 public:
  explicit SpdlogTarget(const fs::path& folder) {
    spdlog::init_thread_pool(8192, 1);
    logger_ = spdlog::basic_logger_mt<spdlog::async_factory>("bench", (folder / "spdlog.log").string());
    logger_->set_pattern("%Y-%m-%d %H:%M:%S.%e %l %v");
  }
  void log(int n) override { logger_->info(kSpdlogFormat, n); }
  void finish() override {
    logger_->flush();
    logger_.reset();
    spdlog::shutdown();
  }

 private:
  std::shared_ptr<spdlog::logger> logger_;
};

std::unique_ptr<Target> makeTarget(const std::string& name, const fs::path& folder) {
  if (name == "logq") return std::make_unique<LogqTarget>(folder);
  return std::make_unique<SpdlogTarget>(folder);
}

long countLines(const fs::path& folder) {
  long lines = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    lines += std::count(std::istreambuf_iterator<char>(in), {}, '\n');
  }
  return lines;
}

Result runLatency(const std::string& name, int threads, const fs::path& folder) {
  auto target = makeTarget(name, folder);
  std::vector<std::vector<std::int64_t>> samples(threads);
  std::vector<std::thread> producers;
  for (int t = 0; t < threads; ++t) {
    producers.emplace_back([&, t] {
      auto& mine = samples[t];
      mine.reserve(kLatencyMessagesPerThread);
      for (int i = 0; i < kLatencyMessagesPerThread; ++i) {
        const auto before = Clock::now();
        target->log(i);
        mine.push_back(std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - before).count());
      }
    });
  }
  for (auto& p : producers) p.join();
  target->finish();
  std::vector<std::int64_t> all;
  for (auto& s : samples) all.insert(all.end(), s.begin(), s.end());
  std::sort(all.begin(), all.end());
  Result r;
  r.medianNs = static_cast<double>(all[all.size() / 2]);
  r.p99Ns = static_cast<double>(all[all.size() * 99 / 100]);
  r.lines = countLines(folder);
  return r;
}

Result runThroughput(const std::string& name, int threads, const fs::path& folder) {
  const auto start = Clock::now();
  auto target = makeTarget(name, folder);
  std::vector<std::thread> producers;
  for (int t = 0; t < threads; ++t) {
    producers.emplace_back([&, t] {
      for (int i = t; i < kThroughputMessages; i += threads) target->log(i);
    });
  }
  for (auto& p : producers) p.join();
  target->finish();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  Result r;
  r.messagesPerSecond = kThroughputMessages / seconds;
  r.lines = countLines(folder);
  return r;
}

struct Measured {
  Result result;
  long peakMb = 0;
  bool ok = false;
};

// Runs one scenario in a child process and reads its result and peak memory.
Measured runChild(const std::string& kind, const std::string& name, int threads, const fs::path& root) {
  const fs::path folder = root / (kind + "-" + name + "-" + std::to_string(threads));
  fs::remove_all(folder);
  fs::create_directories(folder);
  Measured m;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return m;
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    const Result r = kind == "latency" ? runLatency(name, threads, folder) : runThroughput(name, threads, folder);
    if (write(pipeFds[1], &r, sizeof r) != sizeof r) _exit(1);
    _exit(0);
  }
  close(pipeFds[1]);
  m.ok = read(pipeFds[0], &m.result, sizeof m.result) == sizeof m.result;
  close(pipeFds[0]);
  int status = 0;
  struct rusage usage {};
  wait4(child, &status, 0, &usage);
  m.peakMb = usage.ru_maxrss / 1024;
  fs::remove_all(folder);
  return m;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

template <class Field>
double medianOf(const std::vector<Measured>& runs, Field field) {
  std::vector<double> values;
  for (const Measured& m : runs) values.push_back(field(m));
  return median(std::move(values));
}

// The ratios ours / theirs, each taken within one repeat, as "median M (min A, max B)":
// the spread shows whether one phase of the machine decided the median.
template <class Field>
std::string ratioSpread(const std::vector<Measured>& ours, const std::vector<Measured>& theirs, Field field,
                        const char* format) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < ours.size() && i < theirs.size(); ++i) ratios.push_back(field(ours[i]) / field(theirs[i]));
  std::sort(ratios.begin(), ratios.end());
  char text[128];
  const std::string pattern = std::string("median ") + format + " (min " + format + ", max " + format + ")";
  std::snprintf(text, sizeof text, pattern.c_str(), median(ratios), ratios.front(), ratios.back());
  return text;
}

struct Summary {
  double median = 0, p99 = 0, rate = 0, peakMb = 0;
  bool ok = false;
};

// The medians of several runs of a scenario: this machine's two cores make single runs noisy.
Summary summarize(const std::string& kind, const std::string& name, int threads, const std::vector<Measured>& runs) {
  long lostRuns = 0;
  const long expected =
      kind == "latency" ? static_cast<long>(kLatencyMessagesPerThread) * threads : kThroughputMessages;
  for (const Measured& m : runs) {
    if (!m.ok) {
      std::printf("%-10s %-7s %d threads: failed\n", kind.c_str(), name.c_str(), threads);
      return {};
    }
    if (m.result.lines < expected) ++lostRuns;  // logq adds its own start-up records
  }
  if (kind == "latency") {
    std::printf("%-10s %-7s %d threads: median %6.0f ns  p99 %7.0f ns", kind.c_str(), name.c_str(), threads,
                medianOf(runs, [](const Measured& m) { return m.result.medianNs; }),
                medianOf(runs, [](const Measured& m) { return m.result.p99Ns; }));
  } else {
    std::printf("%-10s %-7s %d threads: %10.0f messages/s", kind.c_str(), name.c_str(), threads,
                medianOf(runs, [](const Measured& m) { return m.result.messagesPerSecond; }));
  }
  Summary s;
  s.median = medianOf(runs, [](const Measured& m) { return m.result.medianNs; });
  s.p99 = medianOf(runs, [](const Measured& m) { return m.result.p99Ns; });
  s.rate = medianOf(runs, [](const Measured& m) { return m.result.messagesPerSecond; });
  s.peakMb = medianOf(runs, [](const Measured& m) { return double(m.peakMb); });
  s.ok = lostRuns == 0;
  std::printf("  peak %6.0f MB  %s\n", s.peakMb, s.ok ? "no message lost" : "MESSAGES LOST");
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "logger-bench";
  const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  if (argc > 5) {
    const std::string kind = argv[3];
    const int threads = std::atoi(argv[5]);
    fs::remove_all(root);
    fs::create_directories(root);
    const Result r = kind == "latency" ? runLatency(argv[4], threads, root) : runThroughput(argv[4], threads, root);
    std::printf("median %.0f ns  p99 %.0f ns  %.0f messages/s  %ld lines\n", r.medianNs, r.p99Ns,
                r.messagesPerSecond, r.lines);
    fs::remove_all(root);
    return 0;
  }
  std::printf("machine: %u hardware threads; files in %s\n", std::thread::hardware_concurrency(), root.c_str());
  for (const char* kind : {"latency", "throughput"}) {
    for (int threads : {1, 4}) {
      // Side by side: each repeat runs both loggers, one after the other, so
      // that a ratio compares runs of the same moment of a drifting machine.
      std::vector<Measured> ours, theirs;
      for (int i = 0; i < repeats; ++i) {
        ours.push_back(runChild(kind, "logq", threads, root));
        theirs.push_back(runChild(kind, "spdlog", threads, root));
      }
      const Summary logq = summarize(kind, "logq", threads, ours);
      const Summary spd = summarize(kind, "spdlog", threads, theirs);
      if (!logq.ok || !spd.ok || spd.median < 0) continue;
      const auto medianNs = [](const Measured& m) { return m.result.medianNs; };
      const auto p99Ns = [](const Measured& m) { return m.result.p99Ns; };
      const auto rate = [](const Measured& m) { return m.result.messagesPerSecond; };
      std::printf("  logq / spdlog, %d threads, ratios of the %d runs:\n", threads, repeats);
      if (std::string(kind) == "latency") {
        std::printf("    caller cost, median: %s (goal: 1.00 or less)\n",
                    ratioSpread(ours, theirs, medianNs, "%.2f").c_str());
        std::printf("    caller cost, p99:    %s (goal: 1.00 or less)\n", ratioSpread(ours, theirs, p99Ns, "%.2f").c_str());
      } else {
        std::printf("    throughput:          %s times (goal: 3 or more)\n", ratioSpread(ours, theirs, rate, "%.1f").c_str());
      }
      std::printf("  peak memory %.0f / %.0f MB\n", logq.peakMb, spd.peakMb);
    }
  }
  fs::remove_all(root);
  return 0;
}
