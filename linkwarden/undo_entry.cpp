#include "linkwarden/undo_entry.h"

#include <array>
#include <cstring>

#include "common/crc32.h"

namespace linkwarden {
namespace {

// "LWJ1", then the fields little-endian, then a CRC-32 of everything before it.
constexpr char kMagic[4] = {'L', 'W', 'J', '1'};
constexpr std::size_t kServerUnits = 63;   // as the request's and SavedDns's fields
constexpr std::size_t kServiceUnits = kNameUnits - 1;
constexpr std::uint8_t kHasDns = 1;

}  // namespace

std::uint32_t undoEntryChecksum(std::string_view bytes) { return common::crc32(bytes); }

namespace {

void put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put64(std::string& out, std::uint64_t v) {
  put32(out, static_cast<std::uint32_t>(v));
  put32(out, static_cast<std::uint32_t>(v >> 32));
}
void putText(std::string& out, const std::u16string& text, std::size_t units) {
  const std::size_t n = std::min(text.size(), units);
  out.push_back(static_cast<char>(n));
  for (std::size_t i = 0; i < n; ++i) {
    out.push_back(static_cast<char>(text[i] & 0xFF));
    out.push_back(static_cast<char>(text[i] >> 8));
  }
}

// Reads fields from the front of the bytes; any read past the end fails the whole decoding.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool u8(std::uint8_t& v) {
    if (bytes_.size() < 1) return false;
    v = static_cast<std::uint8_t>(bytes_[0]);
    bytes_.remove_prefix(1);
    return true;
  }
  bool u32(std::uint32_t& v) {
    if (bytes_.size() < 4) return false;
    v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(bytes_[static_cast<std::size_t>(i)]);
    bytes_.remove_prefix(4);
    return true;
  }
  bool u64(std::uint64_t& v) {
    std::uint32_t low = 0, high = 0;
    if (!u32(low) || !u32(high)) return false;
    v = (static_cast<std::uint64_t>(high) << 32) | low;
    return true;
  }
  bool text(std::u16string& out, std::size_t units) {
    std::uint8_t n = 0;
    if (!u8(n) || n > units || bytes_.size() < 2u * n) return false;
    out.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      out[i] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes_[2 * i]) |
                                     (static_cast<std::uint8_t>(bytes_[2 * i + 1]) << 8));
    }
    bytes_.remove_prefix(2u * n);
    return true;
  }
  std::size_t left() const { return bytes_.size(); }

 private:
  std::string_view bytes_;
};

void putRow(std::string& out, const ForwardRow& row) {
  std::array<std::uint32_t, 14> fields{};
  static_assert(sizeof(ForwardRow) == sizeof fields);
  std::memcpy(fields.data(), &row, sizeof row);
  for (std::uint32_t f : fields) put32(out, f);
}
bool readRow(Reader& in, ForwardRow& row) {
  std::array<std::uint32_t, 14> fields{};
  for (std::uint32_t& f : fields) {
    if (!in.u32(f)) return false;
  }
  std::memcpy(&row, fields.data(), sizeof row);
  return true;
}

}  // namespace

std::string encodeUndoEntry(const UndoEntry& entry) {
  std::string out(kMagic, sizeof kMagic);
  put32(out, entry.tool.pid);
  put64(out, entry.tool.started);
  out.push_back(static_cast<char>(entry.dns ? kHasDns : 0));
  if (entry.dns) {
    put32(out, entry.dns->interfaceIndex);
    out.push_back(static_cast<char>(entry.dns->useDhcp ? 1 : 0));
    putText(out, entry.dns->primaryServer, kServerUnits);
    putText(out, entry.dns->secondaryServer, kServerUnits);
  }
  putRow(out, entry.routePattern);
  const std::size_t routes = std::min(entry.routes.size(), kMaxJournalRoutes);
  put32(out, static_cast<std::uint32_t>(routes));
  for (std::size_t i = 0; i < routes; ++i) {
    put32(out, entry.routes[i].destination);
    put32(out, entry.routes[i].mask);
  }
  const std::size_t services = std::min(entry.services.size(), kMaxJournalServices);
  put32(out, static_cast<std::uint32_t>(services));
  for (std::size_t i = 0; i < services; ++i) putText(out, entry.services[i], kServiceUnits);
  put32(out, undoEntryChecksum(out));
  return out;
}

std::optional<UndoEntry> decodeUndoEntry(std::string_view bytes) {
  if (bytes.size() < sizeof kMagic + 4 || bytes.size() > kMaxEntryBytes) return std::nullopt;
  if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return std::nullopt;
  const std::string_view body = bytes.substr(0, bytes.size() - 4);
  Reader check(bytes.substr(bytes.size() - 4));
  std::uint32_t stored = 0;
  if (!check.u32(stored) || stored != undoEntryChecksum(body)) return std::nullopt;

  Reader in(body.substr(sizeof kMagic));
  UndoEntry entry;
  std::uint8_t hasDns = 0;
  if (!in.u32(entry.tool.pid) || !in.u64(entry.tool.started) || !in.u8(hasDns) || hasDns > kHasDns) {
    return std::nullopt;
  }
  if (hasDns) {
    SavedDns dns;
    std::uint8_t dhcp = 0;
    if (!in.u32(dns.interfaceIndex) || !in.u8(dhcp) || dhcp > 1 || !in.text(dns.primaryServer, kServerUnits) ||
        !in.text(dns.secondaryServer, kServerUnits)) {
      return std::nullopt;
    }
    dns.useDhcp = dhcp != 0;
    entry.dns = dns;
  }
  std::uint32_t routes = 0;
  if (!readRow(in, entry.routePattern) || !in.u32(routes) || routes > kMaxJournalRoutes ||
      in.left() < 8ull * routes) {
    return std::nullopt;
  }
  entry.routes.resize(routes);
  for (RoutePrefix& prefix : entry.routes) {
    if (!in.u32(prefix.destination) || !in.u32(prefix.mask)) return std::nullopt;
  }
  std::uint32_t services = 0;
  if (!in.u32(services) || services > kMaxJournalServices) return std::nullopt;
  entry.services.resize(services);
  for (std::u16string& name : entry.services) {
    if (!in.text(name, kServiceUnits) || name.empty()) return std::nullopt;
  }
  if (in.left() != 0) return std::nullopt;
  return entry;
}

std::u16string undoEntryName(const ToolIdentity& tool) {
  const std::string text = std::to_string(tool.pid) + "-" + std::to_string(tool.started);
  return std::u16string(text.begin(), text.end());
}

}  // namespace linkwarden
