#include "update/update_worker.h"

#include <memory>
#include <string>

#include "common/no_throw.h"
#include "update/transfer_rules.h"
#include "veneer/core/toolkit_log.h"

namespace update {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;

class Worker {
 public:
  Worker(const UpdateArgs& args, WorkerPorts& ports) : args_(args), ports_(ports) {}

  int run() {
    // Downloading over the installer itself would destroy it before anything
    // was received; a replace path the window cannot start is refused as well.
    const bool sameFile = !args_.dlpath.empty() && ports_.files.samePath(args_.dlpath, args_.rppath);
    if (args_.rppath.size() >= kMaxPath || sameFile) {
      return fail(u"{replace fail}", kDone);
    }
    const int downloaded = download();
    if (downloaded != kDone) return downloaded;
    ports_.sink.installStep(3, 0);
    // Checked while the verify page shows; a refused download is not kept
    // where the next run or a user could start it.
    if (!verified()) {
      ports_.files.deleteFile(args_.dlpath);
      return fail(u"{sign fail}", kFailed);
    }
    return replace();
  }

 private:
  int fail(std::u16string_view key, int result) {
    const std::u16string text = ports_.translate(key);
    ports_.sink.updateError(text);
    return result;
  }

  // How one attempt ended.
  enum class Outcome {
    kComplete,  // every announced byte is in the file
    kRetry,     // worth another attempt (`reason` says why)
    kFinal,     // not worth another: `errorKey` is shown
  };
  struct Attempt {
    Outcome outcome = Outcome::kRetry;
    const char16_t* errorKey = u"{net error}";
    std::string reason;
    bool noConnection = false;
    std::optional<std::uint32_t> retryAfterMs;
  };
  static Attempt finalAttempt(const char16_t* errorKey, std::string reason) {
    Attempt a;
    a.outcome = Outcome::kFinal;
    a.errorKey = errorKey;
    a.reason = std::move(reason);
    return a;
  }

  // Attempts until the file is whole, an answer is final, or kAttempts in a
  // row brought no byte. The bytes already written stay: the next attempt
  // asks for the rest.
  int download() {
    int failures = 0;
    bool direct = false;
    bool triedDirect = false;
    for (int attempt = 1;; ++attempt) {
      const std::uint32_t before = received_;
      Attempt a = transfer(direct);
      ports_.http.close();
      if (a.outcome == Outcome::kComplete) return finish();
      if (a.outcome == Outcome::kFinal) {
        log("attempt " + std::to_string(attempt) + " failed for good: " + a.reason);
        return fail(a.errorKey, kFailed);
      }
      failures = received_ > before ? 1 : failures + 1;
      // A proxy that does not answer (a client that died leaves the system
      // proxy on its own port) gets one attempt past it, at once.
      if (a.noConnection && !direct && !triedDirect && proxied_) {
        log("attempt " + std::to_string(attempt) + " failed: " + a.reason +
            "; the proxy does not answer: the next attempt goes direct");
        direct = triedDirect = true;
        continue;
      }
      if (a.noConnection && direct) direct = false;  // neither way: the proxy settings again
      if (failures >= kAttempts) {
        log("attempt " + std::to_string(attempt) + " failed: " + a.reason + "; " + std::to_string(kAttempts) +
            " attempts in a row brought nothing: giving up");
        return fail(a.errorKey, kFailed);
      }
      const std::uint32_t wait =
          a.retryAfterMs ? *a.retryAfterMs : BackoffMs(failures, ports_.jitter * static_cast<std::uint32_t>(attempt));
      log("attempt " + std::to_string(attempt) + " failed: " + a.reason + "; the next in " + std::to_string(wait) +
          " ms" + (received_ > 0 ? " from byte " + std::to_string(received_) : std::string()));
      if (ports_.pause) ports_.pause(wait);
    }
  }

  Attempt transfer(bool direct) {
    Attempt a;
    const bool resuming = file_ != nullptr && received_ > 0;
    const OpenResult opened = ports_.http.open(HttpRequest{args_.dlurl, resuming ? received_ : 0, direct});
    proxied_ = proxied_ || (!direct && ports_.http.viaProxy());
    if (opened != OpenResult::kOpened) {
      a.noConnection = opened == OpenResult::kNoConnection;
      a.reason = a.noConnection ? "no connection" : "the request could not be made";
      return a;
    }
    const int status = ports_.http.statusCode();
    if (status < 200 || status > 299) {
      a.reason = "the server answered " + std::to_string(status);
      if (!RetriableStatus(status)) {
        a.outcome = Outcome::kFinal;
      } else if (const auto text = ports_.http.header(HttpHeader::kRetryAfter)) {
        a.retryAfterMs = ParseRetryAfterMs(*text);
        if (a.retryAfterMs) a.reason += " with Retry-After " + std::to_string(*a.retryAfterMs / 1000) + " s";
      }
      return a;
    }
    if (resuming && status == 206) {
      const auto text = ports_.http.header(HttpHeader::kContentRange);
      const auto range = text ? ParseContentRange(*text) : std::nullopt;
      if (!range || range->first != received_ || range->total != total_) {
        a.reason = "the answer to the range request does not go on at byte " + std::to_string(received_);
        return a;
      }
      return receive();
    }
    // The whole file: the first answer, or a server that ignored the range.
    std::uint64_t length = 0;
    // An error page is no installer, and a length the window cannot count is refused.
    if (status == 206 || !ports_.http.contentLength(length) || length > kLargestDownload) {
      return finalAttempt(u"{net error}",
                          status == 206 ? "a range it was not asked for" : "no length the window can count");
    }
    if (resuming) log("the server ignored the range: the download starts again");
    total_ = static_cast<std::uint32_t>(length);
    received_ = 0;
    ports_.sink.downloadProgress(total_, 0);
    if (!startFile()) return finalAttempt(u"{create file error}", "the download's file could not be created");
    return receive();
  }

  bool startFile() {
    file_.reset();
    if (args_.dlpath.size() < kMaxPath) {
      ports_.files.createFolder(FolderOf(args_.dlpath));
      file_ = ports_.files.createFile(args_.dlpath);
    }
    return file_ != nullptr;
  }

  // Reads the body into the file until the announced length, the end or a break.
  Attempt receive() {
    Attempt a;
    // Each chunk is read straight into a batch that is written kWriteBatch
    // bytes at a time: one write per 2048 bytes cost the download about 4 %
    // (7 us a call under Wine), and a chunk buffer of its own a copy of every byte.
    static_assert(kWriteBatch >= kChunkSize);
    if (!batch_) batch_ = std::make_unique<unsigned char[]>(kWriteBatch);
    std::uint32_t held = 0;
    bool readFailed = false;
    for (;;) {
      std::uint32_t got = 0;
      if (!ports_.http.read(batch_.get() + held, kChunkSize, got)) {
        readFailed = true;
        break;
      }
      if (got == 0) break;
      if (got > kChunkSize || got > total_ - received_) {
        // More than the server announced: no length to trust, and nothing to resume.
        return finalAttempt(u"{viryfy fail}",
                            "the server sent more than the " + std::to_string(total_) + " bytes it announced");
      }
      received_ += got;
      held += got;
      ports_.sink.downloadProgress(total_, received_);
      if (held + kChunkSize > kWriteBatch && !writeOut(*file_, batch_.get(), held)) return writeFailed();
    }
    // What arrived before a break is kept: the next attempt asks for the rest.
    if (!writeOut(*file_, batch_.get(), held)) return writeFailed();
    if (received_ == total_) {
      a.outcome = Outcome::kComplete;
      return a;
    }
    // A transfer that ended early must not replace the installer.
    a.errorKey = u"{viryfy fail}";
    a.reason = (readFailed ? "the transfer broke after " : "the connection closed after ") + std::to_string(received_) +
               " of " + std::to_string(total_) + " bytes";
    return a;
  }

  static Attempt writeFailed() {
    return finalAttempt(u"{create file error}", "the download's file could not be written");
  }

  int finish() {
    file_.reset();
    return kDone;
  }

  static void log(const std::string& text) { veneer::ToolkitWarning(text); }

  static bool writeOut(FileWriter& file, const unsigned char* batch, std::uint32_t& held) {
    const bool ok = held == 0 || file.write(batch, held);
    held = 0;
    return ok;
  }

  // Only an installer of the old one's publisher is put in its place and
  // started later: HTTP carries no proof of where the bytes came from.
  bool verified() {
    const FileSignature oldInstaller = ports_.signatures.examine(args_.rppath);
    const FileSignature download = ports_.signatures.examine(args_.dlpath);
    switch (JudgeDownload(oldInstaller, download)) {
      case Verdict::kVerified:
        return true;
      case Verdict::kRenewed:
        veneer::ToolkitWarning("the download is signed with the publisher's renewed certificate: taken");
        return true;
      case Verdict::kUnverified:
        veneer::ToolkitWarning("the installer being replaced is not signed: the download was not verified");
        return true;
      case Verdict::kRefused:
        break;
    }
    veneer::ToolkitWarning(std::string("the download is refused and removed: ") + WhyRefused(oldInstaller, download));
    return false;
  }

  // The old installer is replaced in one step by a copy staged beside it, so
  // that a failed copy leaves it as it was.
  int replace() {
    const std::u16string staged = StagingPathFor(args_.rppath);
    if (!ports_.files.copyFile(args_.dlpath, staged)) {
      ports_.files.deleteFile(staged);
      return fail(u"{replace fail}", kDone);
    }
    ports_.sink.installStep(0, 1);
    if (!ports_.files.moveReplacing(staged, args_.rppath)) {
      ports_.files.deleteFile(staged);
      return fail(u"{replace fail}", kDone);
    }
    ports_.sink.installStep(0, 2);
    ports_.files.deleteFile(args_.dlpath);
    ports_.sink.installStep(0, 0);
    return kDone;
  }

  const UpdateArgs& args_;
  WorkerPorts& ports_;
  std::unique_ptr<FileWriter> file_;
  std::unique_ptr<unsigned char[]> batch_;
  std::uint32_t total_ = 0;
  std::uint32_t received_ = 0;
  bool proxied_ = false;  // an attempt went through a proxy
};

}  // namespace

int RunUpdateWorker(const UpdateArgs& args, WorkerPorts ports) {
  int result = kFailed;
  // A port that throws (out of memory, a broken translation) ends the update
  // on the error page like any failure; the old installer stays as it was
  // unless the one-step move over it had already happened.
  common::callWithoutThrowing([&] { result = Worker(args, ports).run(); },
                              [&](const char* what) {
                                result = kFailed;
                                veneer::ToolkitWarning(std::string("update worker stopped by ") + what);
                                ports.sink.updateError(ports.translate(u"{replace fail}"));
                              });
  return result;
}

std::u16string FolderOf(std::u16string_view path) {
  const std::size_t slash = path.find_last_of(u"\\/");
  if (slash == std::u16string_view::npos) return {};
  // A file in a drive's root keeps the root: "C:\f.exe" -> "C:\", not the drive's current folder.
  const bool driveRoot = slash == 2 && path[1] == u':';
  return std::u16string(path.substr(0, driveRoot ? slash + 1 : slash));
}

std::u16string StagingPathFor(std::u16string_view rppath) {
  return std::u16string(rppath) + u".download";
}

}  // namespace update
