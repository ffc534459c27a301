#include "linkwarden/journal_store_win.h"

#include <aclapi.h>
#include <sddl.h>

#include "common/code_page.h"
#include "common/security_win.h"
#include "common/unique_handle_win.h"
#include "common/wide_win.h"

namespace linkwarden {
namespace {

// Made by the tool with this descriptor: owned by the Administrators group,
// written by it and by the system only, read by users too (the uninstaller,
// which runs as the user, looks for entries), nothing inherited from above.
constexpr wchar_t kJournalDescriptor[] = L"O:BAD:P(A;OICI;KA;;;BA)(A;OICI;KA;;;SY)(A;OICI;KR;;;BU)";
// The rights that let somebody change what the journal says.
constexpr ACCESS_MASK kWriting = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | WRITE_DAC | WRITE_OWNER |
                                 DELETE | GENERIC_WRITE | GENERIC_ALL | MAXIMUM_ALLOWED;

bool isAdministratorsOrSystem(PSID sid) {
  return sid != nullptr && (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid));
}

std::string sidText(PSID sid) {
  std::uint32_t error = 0;
  const std::u16string text = common::sidText(sid, error);
  return text.empty() ? "an unreadable SID" : common::toGbk(text);
}

// Whether only administrators and the system own and may write `key`; the
// refusal says who else could.
bool onlyAdministratorsWrite(HKEY key, const char* what, std::string& refusal) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error = GetSecurityInfo(key, SE_REGISTRY_KEY, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                      &owner, nullptr, &dacl, nullptr, &descriptor);
  if (error != ERROR_SUCCESS) {
    refusal = std::string(what) + ": its security cannot be read (error " + std::to_string(error) + ")";
    return false;
  }
  common::UniqueLocal owned(descriptor);
  if (!isAdministratorsOrSystem(owner)) {
    refusal = std::string(what) + " is owned by " + sidText(owner) + ", not by the administrators or the system";
    return false;
  }
  if (dacl == nullptr) {
    refusal = std::string(what) + " has no access list: everybody may write it";
    return false;
  }
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACE_HEADER* header = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) {
      refusal = std::string(what) + ": its access list cannot be read";
      return false;
    }
    if (header->AceFlags & INHERIT_ONLY_ACE) continue;  // for what lies below, which has its own list
    if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
      refusal = std::string(what) + " has an access entry of type " + std::to_string(header->AceType);
      return false;
    }
    const auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
    PSID sid = const_cast<DWORD*>(&allowed->SidStart);
    if ((allowed->Mask & kWriting) != 0 && !isAdministratorsOrSystem(sid)) {
      refusal = std::string(what) + " lets " + sidText(sid) + " write it";
      return false;
    }
  }
  return true;
}

}  // namespace

bool WinJournalStore::open(std::string& refusal) {
  key_.reset();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kJournalDescriptor, SDDL_REVISION_1, &descriptor,
                                                            nullptr)) {
    refusal = "no descriptor (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  common::UniqueLocal ownedDescriptor(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  // The 64-bit view for both builds: a 32-bit tool and a 64-bit one share it.
  // Each key from the product's down is checked, and the next one opened
  // below the checked handle: whoever may write a parent may replace what
  // lies below it.
  common::UniqueHKey opened;
  HKEY parent = HKEY_LOCAL_MACHINE;
  std::string shown = "HKLM";
  for (const wchar_t* part : {kProductKey, kJournalSubkey}) {
    common::UniqueHKey key;
    DWORD disposition = 0;
    const LSTATUS status = RegCreateKeyExW(parent, part, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | WRITE_DAC | WRITE_OWNER |
                                               KEY_WOW64_64KEY,
                                           &attributes, key.put(), &disposition);
    shown += "\\" + common::toGbk(common::fromWide(part));
    if (status != ERROR_SUCCESS) {
      refusal = shown + " cannot be opened (error " + std::to_string(status) + ")";
      return false;
    }
    // Set again on a key this run made: Wine gives a new key its default
    // descriptor whatever the creation asked for.
    if (disposition == REG_CREATED_NEW_KEY) {
      RegSetKeySecurity(key.get(),
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                        descriptor);
    }
    // One made before this run is trusted only after the check, whoever made it.
    if (!onlyAdministratorsWrite(key.get(), shown.c_str(), refusal)) return false;
    opened = std::move(key);
    parent = opened.get();
  }
  key_ = std::move(opened);
  return true;
}

std::vector<std::u16string> WinJournalStore::names() {
  std::vector<std::u16string> found;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    const LSTATUS status = RegEnumValueW(key_.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) continue;  // no name of ours is that long
    if (status != ERROR_SUCCESS) break;
    found.push_back(common::fromWide(std::wstring(name, length)));
  }
  return found;
}

bool WinJournalStore::read(std::u16string_view name, std::size_t limit, std::string& bytes) {
  bytes.clear();
  const std::wstring wide = common::toWide(name);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key_.get(), wide.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_BINARY || size > limit) {
    return false;
  }
  bytes.resize(size);
  if (RegQueryValueExW(key_.get(), wide.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) !=
      ERROR_SUCCESS) {
    bytes.clear();
    return false;
  }
  bytes.resize(size);
  return true;
}

bool WinJournalStore::write(std::u16string_view name, std::string_view bytes) {
  const std::wstring wide = common::toWide(name);
  if (bytes.size() > MAXDWORD) return false;
  if (RegSetValueExW(key_.get(), wide.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size())) != ERROR_SUCCESS) {
    return false;
  }
  // Written through before the change it guards is made.
  return RegFlushKey(key_.get()) == ERROR_SUCCESS;
}

bool WinJournalStore::remove(std::u16string_view name) {
  const std::wstring wide = common::toWide(name);
  const LSTATUS status = RegDeleteValueW(key_.get(), wide.c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return false;
  return RegFlushKey(key_.get()) == ERROR_SUCCESS;
}

ToolIdentity WinToolProcesses::self() {
  FILETIME created{}, exited{}, kernel{}, user{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  return ToolIdentity{GetCurrentProcessId(),
                      (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime};
}

bool WinToolProcesses::runs(const ToolIdentity& tool) {
  common::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, tool.pid));
  // A process that exists but cannot be opened is taken for the tool: a living
  // tool's changes must never be undone under it.
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) return false;
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) return true;
  const std::uint64_t started = (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  return started == tool.started;  // another process under a reused id is not the tool
}

}  // namespace linkwarden
