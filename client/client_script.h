// The stand-in client's script: what a test or the demo asks it to do, one
// step after the other, written as command-line tokens after the options.
//
//   driver-install NAME PATH   fill the driver request (install)
//   driver-remove NAME         fill the driver request (stop and delete)
//   dns-apply IF PRIMARY SECONDARY | dns-dhcp IF | dns-restore
//   route-add LISTPATH | route-delete LISTPATH (PATTERN fields come from route-pattern)
//   route-pattern NEXTHOP IFINDEX METRIC   the pattern row of later route requests
//   raise                      raise every request filled since the last raise,
//                              in one go, and wait until the tool has cleared them
//   sleep MS | wait-event NAME | signal-event NAME
//   kickoff PATH               start kickoff.exe on a section of its own that names PATH,
//                              and wait until it has opened it
//   sentinel PATH              start PATH as the client's local proxy, then sentinel.exe
//                              watching this client and that proxy
//   update URL VERSION DLPATH RPPATH LANG
//                              start update.exe (beside the client) with its five options,
//                              as the client does when a new version is out, and go on
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "linkwarden/command_block.h"

namespace client {

struct Step {
  enum class Kind {
    kDriverInstall, kDriverRemove, kDnsApply, kDnsDhcp, kDnsRestore, kRouteAdd, kRouteDelete, kRoutePattern,
    kRaise, kSleep, kWaitEvent, kSignalEvent, kKickoff, kSentinel, kUpdate,
  };
  Kind kind;
  std::vector<std::u16string> args;
};

struct ScriptError {
  std::size_t token;  // index of the offending token
  std::string message;
};

// Parses the tokens; nothing on success, otherwise the first error.
std::optional<ScriptError> parseScript(std::span<const std::u16string> tokens, std::vector<Step>& steps);

// Which request sections a step filled (bits: 1 driver, 2 DNS, 4 route).
enum Filled : unsigned { kFilledDriver = 1, kFilledDns = 2, kFilledRoute = 4 };

// Writes a request step's fields into `block` (never a `pending` byte).
// Returns the section it filled, 0 for steps that fill none, or nothing when
// a value does not fit its field.
std::optional<unsigned> fillRequest(const Step& step, linkwarden::CommandBlock& block);

// Dotted IPv4 text as the 32-bit value in network byte order (first octet in
// the lowest byte), as the forward row holds it.
std::optional<std::uint32_t> parseIpv4(std::u16string_view text);

}  // namespace client
