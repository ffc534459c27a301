// The CRC-32 of zlib, PNG and Ethernet (reflected polynomial 0xEDB88320).
#pragma once

#include <cstdint>
#include <string_view>

namespace common {

std::uint32_t crc32(std::string_view bytes);

}  // namespace common
