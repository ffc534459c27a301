#include "veneer/res/file_bytes.h"

#include <filesystem>
#include <fstream>

#include "veneer/res/res_provider.h"

namespace veneer {
namespace {

constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorReadFault = 30;

std::filesystem::path pathOf(const std::u16string& text) { return std::filesystem::path(text); }

}  // namespace

std::u16string joinPath(std::u16string_view folder, std::u16string_view relative) {
#ifdef _WIN32
  constexpr char16_t kSeparator = u'\\';
#else
  constexpr char16_t kSeparator = u'/';
#endif
  std::u16string path(folder);
  if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path += kSeparator;
  for (char16_t c : relative) path += (c == u'\\' || c == u'/') ? kSeparator : c;
  return path;
}

bool fileSize(const std::u16string& path, std::uint64_t& size) {
  std::error_code ec;
  const auto p = pathOf(path);
  if (!std::filesystem::is_regular_file(p, ec)) return false;
  size = std::filesystem::file_size(p, ec);
  return !ec;
}

bool readFileInto(const std::u16string& path, void* buffer, std::size_t capacity, std::size_t& read,
                  std::uint32_t& error) {
  std::uint64_t size = 0;
  if (!fileSize(path, size)) {
    error = kErrorFileNotFound;
    return false;
  }
  if (size > capacity) {
    error = kErrorInsufficientBuffer;
    return false;
  }
  std::ifstream in(pathOf(path), std::ios::binary);
  in.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
  read = static_cast<std::size_t>(in.gcount());
  if (read != size) {
    error = kErrorReadFault;
    return false;
  }
  return true;
}

bool readWholeFile(const std::u16string& path, std::vector<char>& bytes) {
  std::uint64_t size = 0;
  if (!fileSize(path, size) || size > (std::uint64_t{1} << 31)) return false;
  bytes.resize(static_cast<std::size_t>(size));
  std::size_t read = 0;
  std::uint32_t error = 0;
  return size == 0 || readFileInto(path, bytes.data(), bytes.size(), read, error);
}

}  // namespace veneer
