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
    if (const int failure = openSection(options.sectionName); failure != kExitOk) return failure;
    ClientWatch client = system_.watchClient(options.clientPid);
    if (!client.watch) {
      // Nothing can be served without the client, but the clean-up that
      // needs no request (the dial-up hang-up) still runs.
      log_.write(logq::LOG_ERROR, __LINE__,
                 "linkwarden: cannot open client process %u (error %u): nothing is served, the clean-up runs, exit %d",
                 options.clientPid, client.error, kExitOk);
      return exitSequence();
    }
    client_ = std::move(client.watch);
    if (!trustsClient(options.clientPid, client.identity)) return kExitClientRefused;
    if (const int failure = checkView(); failure != kExitOk) return failure;
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

  // Opens the client's section; the tool never serves a section it created itself.
  int openSection(std::u16string_view name) {
    common::SectionOpening opening = system_.openSection(name);
    sectionName_ = common::toGbk(name);
    if (!opening.section || opening.createdNew) {
      log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: no section \"%s\" from the client (error %u), exit %d",
                 sectionName_.c_str(), opening.error, kExitNoSection);
      return kExitNoSection;
    }
    section_ = std::move(opening.section);
    sectionOwner_ = std::move(opening.owner);
    return kExitOk;
  }

  // Checks that a view of the whole block can be mapped, so that no pass ever runs on a bad view.
  int checkView() {
    std::uint32_t error = 0;
    if (section_->mapView(kCommandBlockSize, error) == nullptr) {
      log_.write(logq::LOG_ERROR, __LINE__,
                 "linkwarden: cannot map the %u-byte command block of section \"%s\" (error %u), exit %d",
                 static_cast<unsigned>(kCommandBlockSize), sectionName_.c_str(), error, kExitViewUnavailable);
      return kExitViewUnavailable;
    }
    section_->unmapView();
    return kExitOk;
  }

  // The tool runs elevated and does what the section asks. It serves the
  // client that started it whatever its account (a standard user's client
  // gets the tool through an administrator's account), but only one on the
  // tool's own desktop session, through a section that the client's account
  // owns, so that nobody else can plant a section under the name.
  bool trustsClient(std::uint32_t clientPid, const ClientIdentity& who) {
    const auto refuse = [&](const std::string& why) {
      log_.write(logq::LOG_ERROR, __LINE__, "linkwarden: client process %u refused: %s, exit %d", clientPid,
                 why.c_str(), kExitClientRefused);
      return false;
    };
    if (who.clientUser.empty() || who.toolUser.empty()) {
      return refuse("its user cannot be read (error " + std::to_string(who.error) + ")");
    }
    if (who.clientSession != who.toolSession) {
      return refuse("it runs in session " + std::to_string(who.clientSession) + ", not in this tool's session " +
                    std::to_string(who.toolSession));
    }
    if (sectionOwner_.empty()) return refuse("section \"" + sectionName_ + "\" has an unknown owner");
    if (sectionOwner_ != who.clientUser && sectionOwner_ != who.clientOwner) {
      return refuse("section \"" + sectionName_ + "\" is owned by " + common::toGbk(sectionOwner_) +
                    ", not by its user " + common::toGbk(who.clientUser));
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
    if (guard_) guard_->close();
    return kExitOk;
  }

  ToolSystem& system_;
  RequestHandlers& handlers_;
  logq::SourceLog log_;
  std::atomic<bool> environmentClean_{true};
  std::unique_ptr<common::SharedSection> section_;
  std::string sectionName_;     // as the log shows it
  std::u16string sectionOwner_;
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
