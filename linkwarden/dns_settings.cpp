#include "linkwarden/dns_settings.h"

#include "linkwarden/undo_recorder.h"

#include "common/code_page.h"
#include "common/fixed_field.h"

namespace linkwarden {
namespace {

constexpr std::size_t kServerUnits = 63;    // the request's and SavedDns's fields
constexpr std::size_t kCommandUnits = 1023;  // one netsh command line

std::u16string bounded(std::u16string text, std::size_t units) {
  if (text.size() > units) text.resize(units);
  return text;
}

std::u16string command(std::u16string_view verb, std::u16string_view keyword, std::u16string_view name,
                       std::u16string_view tail) {
  std::u16string text = u" interface ip ";
  text.append(verb).append(u" ").append(keyword).append(u" \"").append(name).append(u"\" ").append(tail);
  return bounded(std::move(text), kCommandUnits);
}

}  // namespace

bool isDottedIpv4(std::u16string_view text) {
  int parts = 0;
  std::size_t i = 0;
  while (parts < 4) {
    std::size_t digits = 0;
    unsigned value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' && digits < 3) {
      value = value * 10 + static_cast<unsigned>(text[i++] - u'0');
      ++digits;
    }
    if (digits == 0 || value > 255) return false;
    if (++parts < 4) {
      if (i >= text.size() || text[i] != u'.') return false;
      ++i;
    }
  }
  return i == text.size();
}

DnsSettings::DnsSettings(DnsSystem& system, NetshRunner& netsh, logq::ILogManager& logs)
    : system_(system), netsh_(netsh), log_(logs, logq::kMainLoggerId, "linkwarden/dns") {}

void DnsSettings::handle(DnsRequest& request) {
  if (!saved_.captured()) {
    saved_.interfaceIndex = request.interfaceIndex;
    saved_.useDhcp = queryInterfaceDns(request.interfaceIndex, saved_.primaryServer, saved_.secondaryServer);
    saved_.primaryServer = bounded(saved_.primaryServer, kServerUnits);
    saved_.secondaryServer = bounded(saved_.secondaryServer, kServerUnits);
    // The client's own local server is no setting to go back to.
    if (saved_.primaryServer == u"127.0.0.1") saved_.useDhcp = true;
    if (saved_.captured() && recorder_ != nullptr) recorder_->dnsCaptured(saved_);
  }
  if (request.apply != 0) {
    applyInterfaceDns(request.interfaceIndex, request.useDhcp != 0, common::readField(request.primaryServer),
                      common::readField(request.secondaryServer));
  } else {
    applyInterfaceDns(request.interfaceIndex, saved_.useDhcp, saved_.primaryServer, saved_.secondaryServer);
  }
}

void DnsSettings::restoreSaved() {
  if (saved_.captured()) {
    applyInterfaceDns(saved_.interfaceIndex, saved_.useDhcp, saved_.primaryServer, saved_.secondaryServer);
  }
}

bool DnsSettings::queryInterfaceDns(std::uint32_t ifIndex, std::u16string& primary, std::u16string& secondary) {
  constexpr std::size_t kQueryUnits = 99;
  std::vector<std::u16string> servers;
  if (system_.adapterDnsServers(ifIndex, servers) && !servers.empty() && !servers[0].empty()) {
    primary = bounded(servers[0], kQueryUnits);
    if (servers.size() > 1) secondary = bounded(servers[1], kQueryUnits);
  }
  std::u16string key = kInterfacesKey;
  const std::u16string adapter = system_.adapterName(ifIndex);
  if (const std::size_t brace = adapter.find(u'{'); brace != std::u16string::npos) key += adapter.substr(brace);
  return system_.nameServerValue(key).empty();
}

void DnsSettings::applyInterfaceDns(std::uint32_t ifIndex, bool useDhcp, const std::u16string& primary,
                                    const std::u16string& secondary, int passes) {
  // These texts end up on an elevated command line: only addresses go there.
  if (!useDhcp) {
    for (const std::u16string* server : {&primary, &secondary}) {
      if (!server->empty() && !isDottedIpv4(*server)) {
        log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: DNS server \"%s\" is no IPv4 address; nothing changed",
                   common::toGbk(bounded(*server, kServerUnits)).c_str());
        return;
      }
    }
  }
  const std::u16string name = system_.friendlyName(ifIndex);
  const std::u16string keyword = system_.majorVersion() >= 6 ? u"dnsservers" : u"dns";
  std::u16string first;
  std::u16string second;
  if (useDhcp) {
    first = command(u"set", keyword, name, u"dhcp");
  } else {
    if (!primary.empty()) first = command(u"set", keyword, name, u"static " + primary + u" validate=no");
    if (!secondary.empty()) second = command(u"add", keyword, name, secondary + u" validate=no");
  }

  std::u16string currentPrimary;
  std::u16string currentSecondary;
  for (int pass = 0; pass < passes; ++pass) {
    for (const std::u16string* line : {&first, &second}) {
      if (line->empty()) continue;
      std::uint32_t error = 0;
      switch (netsh_.run(*line, error)) {
        case NetshOutcome::kEnded: break;
        case NetshOutcome::kTimedOut:
          log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: netsh did not end in time; ended it (error %u), going on", error);
          break;
        case NetshOutcome::kNotStarted:
          log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: netsh could not be started (error %u)", error);
          break;
      }
    }
    const bool automatic = queryInterfaceDns(ifIndex, currentPrimary, currentSecondary);
    if (useDhcp ? automatic : (!automatic && currentPrimary == primary)) break;
  }
}

}  // namespace linkwarden
