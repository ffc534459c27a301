// A folder of resources for the folder provider, and PNG bytes to put in it.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/utf.h"
#include "veneer/res/res_provider_files.h"
#include "veneer/tests/stb_image_write.h"

#include <gtest/gtest.h>

namespace veneer::testing {

namespace fs = std::filesystem;

// A folder of resources with its index, removed afterwards.
class ResourceFolder {
 public:
  // Unique per test and process: ctest runs tests in parallel processes.
  explicit ResourceFolder(const std::string& tag)
      : path_(fs::temp_directory_path() /
              ("veneer-res-" + tag + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
               std::to_string(std::random_device{}()) + "-" + std::to_string(counter()++))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ResourceFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  void write(const std::string& relative, const std::string& bytes) {
    const fs::path file = path_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
  }
  std::u16string folder() const { return common::utf8ToUtf16(path_.string()); }
  std::string file(const std::string& relative) const { return (path_ / relative).string(); }

  IResProvider* attach(IImageDecoder* decoder = nullptr) {
    auto* provider = new VResProviderFiles(decoder);
    EXPECT_TRUE(provider->Attach(ProviderSource{nullptr, folder()}));
    return provider;
  }

 private:
  static int& counter() {
    static int n = 0;
    return n;
  }
  fs::path path_;
};

inline std::string pngOf(int width, int height, std::uint32_t rgba) {
  // Sized at once: GCC 12 at -O3 (i686) takes the growing inserts for an overflow.
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width * height) * 4);
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    pixels[i] = static_cast<unsigned char>(rgba >> 24);
    pixels[i + 1] = static_cast<unsigned char>(rgba >> 16);
    pixels[i + 2] = static_cast<unsigned char>(rgba >> 8);
    pixels[i + 3] = static_cast<unsigned char>(rgba);
  }
  std::string bytes;
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
      },
      &bytes, width, height, 4, pixels.data(), width * 4);
  return bytes;
}

}  // namespace veneer::testing
