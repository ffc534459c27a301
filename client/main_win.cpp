// client.exe: the stand-in for the product's client, as far as linkwarden
// sees it. It creates the named section, starts the tool with its two
// options, runs its script against the command block, and ends, which is the
// tool's signal to clean up.
//
//   client.exe [--tool=PATH] [--section=NAME] [--report=FILE] [--give-tool-to=PID] step...
//   client.exe --idle=MS       only waits that long and ends (the local proxy of a demo)
//   client.exe                 nothing to do: ends at once (a program for kickoff to open)
//
// Exit codes: 0 done; 2 bad script; 3 the section or the tool could not be
// set up; 4 the tool did not acknowledge a raised request in time;
// 5 an event wait timed out. (An acknowledgement may take up to a minute.)
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "client/client_script.h"
#include "kickoff/start_request.h"
#include "common/option_text.h"
#include "common/process_start_win.h"
#include "common/security_win.h"
#include "common/unique_handle_win.h"
#include "common/wide_win.h"

namespace {

constexpr DWORD kAcknowledgeMillis = 60000;  // a DNS request may run netsh 22 times
constexpr DWORD kEventMillis = 30000;

enum ClientExit : int { kOk = 0, kBadScript = 2, kSetupFailed = 3, kNotAcknowledged = 4, kEventTimeout = 5 };

class Reporter {
 public:
  explicit Reporter(const std::wstring& path) {
    if (!path.empty()) file_ = _wfopen(path.c_str(), L"ab");
  }
  ~Reporter() {
    if (file_ != nullptr) std::fclose(file_);
  }
  Reporter(const Reporter&) = delete;
  Reporter& operator=(const Reporter&) = delete;

  void line(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::printf("client: %s\n", text);
    std::fflush(stdout);
    if (file_ != nullptr) {
      std::fprintf(file_, "%s\n", text);
      std::fflush(file_);
    }
  }

 private:
  std::FILE* file_ = nullptr;
};

std::string narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

std::wstring folderOfProgram() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path, n);
  return text.substr(0, text.find_last_of(L'\\') + 1);
}

std::atomic_ref<std::uint8_t> pendingOf(linkwarden::CommandBlock& block, unsigned section) {
  switch (section) {
    case client::kFilledDriver: return std::atomic_ref<std::uint8_t>(block.driver.pending);
    case client::kFilledDns: return std::atomic_ref<std::uint8_t>(block.dns.pending);
    default: return std::atomic_ref<std::uint8_t>(block.route.pending);
  }
}

const char* sectionNames(unsigned filled) {
  static const char* const kNames[] = {"", "driver", "dns", "driver dns", "route", "driver route", "dns route",
                                       "driver dns route"};
  return kNames[filled & 7];
}

// Raises every filled section's `pending` back to back, then waits until the tool cleared them all.
int raise(linkwarden::CommandBlock& block, unsigned filled, Reporter& report) {
  for (unsigned section : {client::kFilledDriver, client::kFilledDns, client::kFilledRoute}) {
    if (filled & section) pendingOf(block, section).store(1, std::memory_order_release);
  }
  report.line("raised %s", sectionNames(filled));
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    unsigned waiting = 0;
    for (unsigned section : {client::kFilledDriver, client::kFilledDns, client::kFilledRoute}) {
      if ((filled & section) && pendingOf(block, section).load(std::memory_order_acquire) != 0) waiting |= section;
    }
    const ULONGLONG elapsed = GetTickCount64() - start;
    if (waiting == 0) {
      report.line("acknowledged %s in %llu ms", sectionNames(filled), elapsed);
      if (filled & client::kFilledRoute) report.line("route metric %u", block.route.templateRow.dwForwardMetric1);
      return kOk;
    }
    if (elapsed > kAcknowledgeMillis) {
      report.line("not acknowledged: %s", sectionNames(waiting));
      return kNotAcknowledged;
    }
    Sleep(10);
  }
}

int waitForEvent(const std::u16string& name, Reporter& report) {
  common::UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, common::toWide(name).c_str()));
  if (!event || WaitForSingleObject(event.get(), kEventMillis) != WAIT_OBJECT_0) {
    report.line("event %s not signalled", narrow(name).c_str());
    return kEventTimeout;
  }
  report.line("event %s signalled", narrow(name).c_str());
  return kOk;
}

// The client's second channel: kickoff opens the path it is given in a section of its own.
class KickoffChannel {
 public:
  // One kickoff serves the section for as long as this client runs: it is
  // started with the first request only, since two on one section could both
  // act on a request.
  int open(const std::wstring& section, const std::u16string& path, Reporter& report) {
    if (!view_) {
      mapping_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kickoff::kStartRequestSize,
                                        section.c_str()));
      if (mapping_) view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, kickoff::kStartRequestSize));
    }
    if (!view_ || path.size() >= 260) {
      report.line("kickoff: cannot set up section %s", narrow(common::fromWide(section)).c_str());
      return kSetupFailed;
    }
    auto& request = *static_cast<kickoff::StartRequest*>(view_.get());
    path.copy(request.path, path.size());
    request.path[path.size()] = u'\0';
    std::atomic_ref<std::uint8_t>(request.pending).store(1, std::memory_order_release);
    if (process_.handle && WaitForSingleObject(process_.handle.get(), 0) == WAIT_TIMEOUT) {
      report.line("kickoff: pid %lu asked to open %s", process_.pid, narrow(path).c_str());
    } else {
      process_ = common::startProcess(folderOfProgram() + L"kickoff.exe",
                                      L"--filemapping-name=" + section + L" --watch=" +
                                          std::to_wstring(GetCurrentProcessId()));
      if (!process_.handle) {
        report.line("kickoff: cannot start kickoff.exe (error %lu)", GetLastError());
        return kSetupFailed;
      }
      report.line("kickoff: started pid %lu to open %s", process_.pid, narrow(path).c_str());
    }
    const ULONGLONG start = GetTickCount64();
    while (std::atomic_ref<std::uint8_t>(request.pending).load(std::memory_order_acquire) != 0) {
      if (GetTickCount64() - start > kEventMillis) {
        report.line("kickoff: the program was not opened");
        return kNotAcknowledged;
      }
      Sleep(10);
    }
    report.line("kickoff: opened in %llu ms", GetTickCount64() - start);
    return kOk;
  }

 private:
  common::UniqueHandle mapping_;
  common::UniqueView view_;
  common::StartedProcess process_;
};

// The local proxy stand-in and the watchdog that ends it after this client.
int startSentinel(const std::u16string& proxyProgram, Reporter& report) {
  common::StartedProcess proxy = common::startProcess(common::toWide(proxyProgram), L"--idle=120000");
  if (!proxy.handle) {
    report.line("sentinel: cannot start the proxy stand-in (error %lu)", GetLastError());
    return kSetupFailed;
  }
  const common::StartedProcess sentinel = common::startProcess(
      folderOfProgram() + L"sentinel.exe",
      L"--mpid=" + std::to_wstring(GetCurrentProcessId()) + L" --epid=" + std::to_wstring(proxy.pid));
  if (!sentinel.handle) {
    report.line("sentinel: cannot start sentinel.exe (error %lu)", GetLastError());
    TerminateProcess(proxy.handle.get(), 1);
    return kSetupFailed;
  }
  report.line("sentinel: pid %lu watches this client and proxy pid %lu", sentinel.pid, proxy.pid);
  return kOk;
}

// The tool's manifest asks for administrator rights: Windows refuses a
// plain process creation of it (error 740), so it is started through the
// shell's "runas" verb, which asks for them (Wine starts it without asking).
common::StartedProcess startElevated(const std::wstring& program, const std::wstring& arguments) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = L"runas";
  info.lpFile = program.c_str();
  info.lpParameters = arguments.c_str();
  info.nShow = SW_HIDE;
  common::StartedProcess started;
  if (!ShellExecuteExW(&info) || info.hProcess == nullptr) return started;
  started.handle.reset(info.hProcess);
  started.pid = GetProcessId(info.hProcess);
  return started;
}

// The updater with the five options the client gives it; the client goes on
// (the updater reports nothing back but its exit code).
int startUpdate(const std::vector<std::u16string>& args, Reporter& report) {
  static constexpr const char16_t* kOptions[] = {u"--dlurl=", u"--vrc=", u"--dlpath=", u"--rppath=", u"--lang="};
  std::wstring arguments;
  for (std::size_t i = 0; i < 5; ++i) {
    arguments += (i == 0 ? L"\"" : L" \"") + common::toWide(kOptions[i] + args[i]) + L"\"";
  }
  const common::StartedProcess updater = common::startProcess(folderOfProgram() + L"update.exe", arguments);
  if (!updater.handle) {
    report.line("update: cannot start update.exe (error %lu)", GetLastError());
    return kSetupFailed;
  }
  report.line("update: started pid %lu", updater.pid);
  return kOk;
}

void signalEvent(const std::u16string& name, Reporter& report) {
  common::UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, common::toWide(name).c_str()));
  if (event) SetEvent(event.get());
  report.line("signalled %s", narrow(name).c_str());
}

}  // namespace

int main() {
  const std::vector<std::u16string> tokens = common::commandLineTokens();
  std::vector<std::u16string> options;
  std::vector<std::u16string> script;
  for (std::size_t i = 1; i < tokens.size(); ++i) (tokens[i].starts_with(u"--") ? options : script).push_back(tokens[i]);
  if (tokens.size() <= 1) return kOk;  // opened with nothing to do
  if (auto idle = common::lastOptionValue(options, u"--idle=")) {
    Sleep(common::leadingDecimal(*idle));
    return kOk;
  }

  const auto reportPath = common::lastOptionValue(options, u"--report=");
  Reporter report(reportPath ? common::toWide(*reportPath) : std::wstring());
  std::vector<client::Step> steps;
  if (auto error = client::parseScript(script, steps)) {
    report.line("bad script at \"%s\": %s", error->token < script.size() ? narrow(script[error->token]).c_str() : "",
                error->message.c_str());
    return kBadScript;
  }

  const auto toolOption = common::lastOptionValue(options, u"--tool=");
  const std::wstring tool = toolOption ? common::toWide(*toolOption) : folderOfProgram() + L"linkwarden.exe";
  const auto sectionOption = common::lastOptionValue(options, u"--section=");
  const std::wstring section =
      sectionOption ? common::toWide(*sectionOption) : L"LwClient" + std::to_wstring(GetCurrentProcessId());

  std::uint32_t sectionError = 0;
  common::UniqueHandle mapping =
      common::createOwnedSection(common::fromWide(section), linkwarden::kCommandBlockSize, sectionError);
  if (!mapping) {
    report.line("cannot create the section (error %lu)", static_cast<unsigned long>(sectionError));
    return kSetupFailed;
  }
  common::UniqueView view(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, linkwarden::kCommandBlockSize));
  if (!view) {
    report.line("cannot map the section (error %lu)", GetLastError());
    return kSetupFailed;
  }
  auto& block = *static_cast<linkwarden::CommandBlock*>(view.get());
  report.line("section %s created (%u bytes)", narrow(common::fromWide(section)).c_str(),
              static_cast<unsigned>(linkwarden::kCommandBlockSize));

  const common::StartedProcess toolProcess =
      startElevated(tool, L"--filemapping-name=" + section + L" --watch=" + std::to_wstring(GetCurrentProcessId()));
  if (!toolProcess.handle) {
    report.line("cannot start %s (error %lu)", narrow(common::fromWide(tool)).c_str(), GetLastError());
    return kSetupFailed;
  }
  report.line("started tool pid %lu", toolProcess.pid);

  // A test that wants to see the tool end after we are gone gets its own handle on it.
  if (auto receiver = common::lastOptionValue(options, u"--give-tool-to=")) {
    common::UniqueHandle target(OpenProcess(PROCESS_DUP_HANDLE, FALSE, common::leadingDecimal(*receiver)));
    HANDLE duplicate = nullptr;
    if (target && DuplicateHandle(GetCurrentProcess(), toolProcess.handle.get(), target.get(), &duplicate,
                                  SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0)) {
      report.line("tool-handle=%llu", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(duplicate)));
    } else {
      report.line("cannot hand over the tool handle (error %lu)", GetLastError());
    }
  }

  unsigned filled = 0;
  KickoffChannel kickoffChannel;
  for (const client::Step& step : steps) {
    using Kind = client::Step::Kind;
    int result = kOk;
    switch (step.kind) {
      case Kind::kRaise:
        result = raise(block, filled, report);
        filled = 0;
        break;
      case Kind::kSleep:
        Sleep(common::leadingDecimal(step.args[0]));
        break;
      case Kind::kWaitEvent:
        result = waitForEvent(step.args[0], report);
        break;
      case Kind::kSignalEvent:
        signalEvent(step.args[0], report);
        break;
      case Kind::kKickoff:
        result = kickoffChannel.open(section + L"Ko", step.args[0], report);
        break;
      case Kind::kSentinel:
        result = startSentinel(step.args[0], report);
        break;
      case Kind::kUpdate:
        result = startUpdate(step.args, report);
        break;
      default: {
        const auto filledNow = client::fillRequest(step, block);
        if (!filledNow) {
          report.line("a value does not fit its field");
          return kBadScript;
        }
        filled |= *filledNow;
      }
    }
    if (result != kOk) return result;
  }
  report.line("exiting");
  return kOk;
}
