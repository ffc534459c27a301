#include "linkwarden/tool_system_win.h"

#include "common/channel_win.h"
#include "common/security_win.h"

namespace linkwarden {
namespace {

// The size asked for when the tool itself would create the section. A client
// always creates it first (at least 1496 bytes), and then this size is ignored.
constexpr DWORD kRequestedSectionSize = 270;

}  // namespace

WinToolSystem::WinToolSystem(HINSTANCE instance, logq::ILogManager& logs, ClientRights& clientRights)
    : instance_(instance), clientRights_(clientRights), log_(logs, logq::kMainLoggerId, "linkwarden/linkwarden") {}

common::SectionOpening WinToolSystem::openSection(std::u16string_view name) {
  return common::openNamedSection(name, kRequestedSectionSize);
}

ClientWatch WinToolSystem::watchClient(std::uint32_t pid) {
  ClientWatch client;
  common::UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) {
    client.error = GetLastError();
    return client;
  }
  // Everything below is read from this one handle, the one the tool waits on.
  ClientIdentity& identity = client.identity;
  common::TokenUsers users;
  if (common::ownTokenUsers(users, identity.error)) {
    identity.toolUser = users.user;
    identity.toolSession = users.session;
  }
  if (common::processTokenUsers(process.get(), users, identity.error)) {
    identity.clientUser = users.user;
    identity.clientOwner = users.owner;
    identity.clientSession = users.session;
  }
  DWORD rightsError = 0;
  if (!clientRights_.adopt(process.get(), rightsError)) {
    log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: no token of client process %u to open its files with (error %lu)",
               pid, rightsError);
  }
  client.watch = common::watchOpenedProcess(std::move(process));
  return client;
}

std::unique_ptr<SessionGuard> WinToolSystem::startSessionGuard(const std::atomic<bool>& environmentClean) {
  return startHiddenWindow(instance_, environmentClean, log_);
}

}  // namespace linkwarden
