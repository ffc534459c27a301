// A fresh folder below the system's temporary folder, removed afterwards.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace logq::testing {

class TempFolder {
 public:
  static long long processId() {
#ifdef _WIN32
    return _getpid();
#else
    return ::getpid();
#endif
  }

  TempFolder() {
    static std::atomic<int> counter{0};
    // The process id keeps test programs that run side by side apart.
    path_ = std::filesystem::temp_directory_path() /
            ("logq-test-" + std::to_string(processId()) + "-" +
             std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             std::to_string(counter++) + "-" + std::to_string(std::hash<std::string>{}(
                                                   ::testing::UnitTest::GetInstance()->current_test_info()->name())));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  // The folder with a trailing separator, as a logger path.
  std::string loggerPath() const { return path_.generic_string() + "/"; }

  std::set<std::string> files(const std::string& sub = {}) const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_ / sub)) names.insert(e.path().filename().string());
    return names;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::filesystem::path path_;
};

}  // namespace logq::testing
