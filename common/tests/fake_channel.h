// A client's section and process in memory, scripted by the test.
#pragma once

#include <functional>
#include <vector>

#include "common/channel.h"

namespace common::testing {

// What happened to a section; owned by the test, so it outlives the section.
struct SectionStats {
  std::function<bool(int)> mapFails = [](int) { return false; };  // by 0-based map call
  int maps = 0;
  int unmaps = 0;
  bool mapped = false;
  bool closed = false;
};

// The section's bytes live in `memory`, owned by the test.
class FakeSection final : public SharedSection {
 public:
  FakeSection(void* memory, std::size_t size, SectionStats& stats) : memory_(memory), size_(size), stats_(stats) {}
  ~FakeSection() override { stats_.closed = true; }

  void* mapView(std::size_t bytes, std::uint32_t& error) override {
    if (stats_.mapFails(stats_.maps++) || bytes > size_) {
      error = 5;
      return nullptr;
    }
    stats_.mapped = true;
    return memory_;
  }
  void unmapView() override {
    ++stats_.unmaps;
    stats_.mapped = false;
  }

 private:
  void* memory_;
  std::size_t size_;
  SectionStats& stats_;
};

// Each wait answers what `result` says for its 0-based index.
class FakeWatch final : public ProcessWatch {
 public:
  explicit FakeWatch(std::function<WaitResult(int)> result) : result_(std::move(result)) {}
  WaitResult waitForExit(int) override { return result_(waits_++); }

 private:
  std::function<WaitResult(int)> result_;
  int waits_ = 0;
};

}  // namespace common::testing
