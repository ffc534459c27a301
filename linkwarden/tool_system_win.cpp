#include "linkwarden/tool_system_win.h"

#include "common/channel_win.h"
#include "common/security_win.h"

namespace linkwarden {
namespace {

// The size asked for when the tool itself would create the section. A client
// always creates it first (at least 1496 bytes), and then this size is ignored.
constexpr DWORD kRequestedSectionSize = 270;

}  // namespace

WinToolSystem::WinToolSystem(HINSTANCE instance, logq::ILogManager& logs)
    : instance_(instance), log_(logs, logq::kMainLoggerId, "linkwarden/linkwarden") {}

common::SectionOpening WinToolSystem::openSection(std::u16string_view name) {
  return common::openNamedSection(name, kRequestedSectionSize);
}

ClientIdentity WinToolSystem::identifyClient(std::uint32_t pid) {
  ClientIdentity identity;
  common::TokenUsers users;
  if (common::ownTokenUsers(users, identity.error)) identity.toolUser = users.user;
  if (common::processTokenUsers(pid, users, identity.error)) {
    identity.clientUser = users.user;
    identity.clientOwner = users.owner;
  }
  return identity;
}

std::unique_ptr<common::ProcessWatch> WinToolSystem::watchClient(std::uint32_t pid) {
  std::uint32_t error = 0;
  std::unique_ptr<common::ProcessWatch> watch = common::watchProcess(pid, error);
  if (error != 0) log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: cannot open client process %u (error %u)", pid, error);
  return watch;
}

std::unique_ptr<SessionGuard> WinToolSystem::startSessionGuard(const std::atomic<bool>& environmentClean) {
  return startHiddenWindow(instance_, environmentClean, log_);
}

}  // namespace linkwarden
