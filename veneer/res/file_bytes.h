// Reading whole files by UTF-16 path, for the folder provider and the "file" type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace veneer {

// The file's size; nothing when it does not exist or is no regular file.
bool fileSize(const std::u16string& path, std::uint64_t& size);

// Reads the whole file into `buffer` of `capacity` bytes: fails for a missing
// file, with kErrorInsufficientBuffer when it is longer than `capacity`, and
// when fewer bytes than its size could be read.
bool readFileInto(const std::u16string& path, void* buffer, std::size_t capacity, std::size_t& read,
                  std::uint32_t& error);

bool readWholeFile(const std::u16string& path, std::vector<char>& bytes);

// `folder` and `relative` joined with the platform's separator.
std::u16string joinPath(std::u16string_view folder, std::u16string_view relative);

}  // namespace veneer
