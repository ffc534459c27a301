#include "linkwarden/linkwarden.h"

#include <atomic>
#include <memory>

#include "common/code_page.h"
#include "linkwarden/command_block.h"
#include "linkwarden/log_texts.h"
#include "linkwarden/poll_pass.h"
#include "common/channel_options.h"
#include "common/option_text.h"
#include "utils/log_format.h"

namespace linkwarden {
namespace {

constexpr char kSource[] = "linkwarden/linkwarden";

class Tool {
 public:
  Tool(ToolSystem& system, RequestHandlers& handlers, logq::ILogManager& logs, Recovery* recovery)
      : system_(system), handlers_(handlers), log_(logs, logq::kMainLoggerId, kSource), recovery_(recovery) {}

  int run(std::span<const std::u16string> tokens) {
    startLogging();
    if (common::lastOptionValue(tokens, u"--recover=")) return recoverOnly();
    const common::ChannelOptions options = common::parseChannelOptions(tokens);
    if (!options.valid()) {
      log_.write(logq::LOG_ERROR, __LINE__, "%s", texts::kBadOptions);
      return kExitBadOptions;
    }
    // What tools that ended without their clean-up left is undone first.
    if (recovery_ != nullptr && recovery_->journal.open()) recovery_->journal.recover(recovery_->undo);
    if (const int failure = openSection(options.sectionName, options.clientPid); failure != kExitOk) return failure;
    client_ = system_.watchClient(options.clientPid);
    guard_ = system_.startSessionGuard(environmentClean_);
    log_.write(logq::LOG_ERROR, __LINE__, "%s", texts::kWatching);

    using common::WaitResult;
    if (client_->waitForExit(kPollMillis) == WaitResult::kTimedOut) {
      do {
        pass();
      } while (client_->waitForExit(kPollMillis) == WaitResult::kTimedOut);
    }
    return exitSequence();
  }

 private:
  int recoverOnly() {
    if (recovery_ == nullptr || !recovery_->journal.open()) return kExitJournalRefused;
    const RecoveryCounts counts = recovery_->journal.recover(recovery_->undo);
    log_.write(logq::LOG_ERROR, __LINE__,
               "linkwarden: recovery undid %d entries, discarded %d, left %d of running tools, exit %d", counts.undone,
               counts.discarded, counts.living, kExitRecovered);
    return kExitRecovered;
  }

  void startLogging() {
    logq::ILogManager& logs = log_.manager();
    logs.setName(logq::kMainLoggerId, "linkwarden");
    logs.setLevel(logq::kMainLoggerId, logq::LOG_WARN);
    logs.start();
    log_.write(logq::LOG_ERROR, __LINE__, "%s", texts::kStarted);
  }

  // Opens the client's section and checks that a view of the whole block can
  // be mapped, so that no pass ever runs on a bad view.
  int openSection(std::u16string_view name, std::uint32_t clientPid) {
    common::SectionOpening opening = system_.openSection(name);
    const std::string shown = common::toGbk(name);
    if (!opening.section || opening.createdNew) {
      log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: no section \"%s\" from the client (error %u), exit %d",
                 shown.c_str(), opening.error, kExitNoSection);
      return kExitNoSection;
    }
    if (!trustsSection(shown, opening.owner, clientPid)) return kExitNoSection;
    std::uint32_t error = 0;
    if (opening.section->mapView(kCommandBlockSize, error) == nullptr) {
      log_.write(logq::LOG_ERROR, __LINE__,
                 "linkwarden: cannot map the %u-byte command block of section \"%s\" (error %u), exit %d", static_cast<unsigned>(kCommandBlockSize),
                 shown.c_str(), error, kExitViewUnavailable);
      return kExitViewUnavailable;
    }
    opening.section->unmapView();
    section_ = std::move(opening.section);
    return kExitOk;
  }

  // The tool runs elevated and does what the section asks: it serves only a
  // client of its own user, through a section that client's user owns, so
  // that nobody else can plant a section under the name or a process to watch.
  bool trustsSection(const std::string& shown, const std::u16string& owner, std::uint32_t clientPid) {
    const ClientIdentity who = system_.identifyClient(clientPid);
    if (who.clientUser.empty() || who.toolUser.empty()) {
      log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: cannot read the user of client process %u (error %u), exit %d",
                 clientPid, who.error, kExitNoSection);
      return false;
    }
    if (who.clientUser != who.toolUser) {
      log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: client process %u runs as %s, not as this tool's user %s, exit %d",
                 clientPid, common::toGbk(who.clientUser).c_str(), common::toGbk(who.toolUser).c_str(), kExitNoSection);
      return false;
    }
    if (owner.empty() || (owner != who.clientUser && owner != who.clientOwner)) {
      log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: section \"%s\" is owned by %s, not by the client's user %s, exit %d",
                 shown.c_str(), owner.empty() ? "an unknown owner" : common::toGbk(owner).c_str(),
                 common::toGbk(who.clientUser).c_str(), kExitNoSection);
      return false;
    }
    return true;
  }

  void pass() {
    std::uint32_t error = 0;
    auto* block = static_cast<CommandBlock*>(section_->mapView(kCommandBlockSize, error));
    if (block == nullptr) {
      // Requests wait for the next pass; the failure is logged once per streak.
      if (!viewFailing_) {
        log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: cannot map the command block (error %u)", error);
      }
      viewFailing_ = true;
      return;
    }
    viewFailing_ = false;
    runPass(*block, handlers_, environmentClean_);
    section_->unmapView();
  }

  int exitSequence() {
    log_.write(logq::LOG_DEBUG, __LINE__, "%s", texts::kExiting);
    handlers_.driver.removeInstalled();
    handlers_.dns.restoreSaved();
    handlers_.dialUp.hangUpProductConnection();
    handlers_.routes.deleteAdded();
    // The window answers a held session-end query once this is true, so it is
    // set before the window is asked to close.
    environmentClean_.store(true);
    if (recovery_ != nullptr) recovery_->journal.finish();
    section_.reset();
    guard_->close();
    return kExitOk;
  }

  ToolSystem& system_;
  RequestHandlers& handlers_;
  logq::SourceLog log_;
  std::atomic<bool> environmentClean_{true};
  std::unique_ptr<common::SharedSection> section_;
  std::unique_ptr<common::ProcessWatch> client_;
  std::unique_ptr<SessionGuard> guard_;
  bool viewFailing_ = false;
  Recovery* recovery_;
};

}  // namespace

int runTool(std::span<const std::u16string> tokens, ToolSystem& system, RequestHandlers& handlers,
            logq::ILogManager& logs, Recovery* recovery) {
  return Tool(system, handlers, logs, recovery).run(tokens);
}

}  // namespace linkwarden
