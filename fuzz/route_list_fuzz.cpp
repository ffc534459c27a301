// The route list file: any bytes parse, and every mask is a prefix mask.
#include <vector>

#include "fuzz/fuzz_input.h"
#include "linkwarden/route_list.h"

namespace {

bool isPrefixMask(std::uint32_t networkOrder) {
  const auto* b = reinterpret_cast<const std::uint8_t*>(&networkOrder);
  const std::uint32_t host = std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
  const std::uint32_t zeros = ~host;
  return (zeros & (zeros + 1)) == 0;  // ones, then only zeros
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<linkwarden::RoutePrefix> prefixes;
  linkwarden::parseRouteList(std::string_view(reinterpret_cast<const char*>(data), size), prefixes);
  std::size_t slashes = 0;
  for (std::size_t i = 0; i < size; ++i) slashes += data[i] == '/';
  FUZZ_CHECK(prefixes.size() <= slashes);
  for (const auto& prefix : prefixes) FUZZ_CHECK(isPrefixMask(prefix.mask));
  return 0;
}
