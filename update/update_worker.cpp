#include "update/update_worker.h"

#include <memory>
#include <string>

#include "common/no_throw.h"
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
    if (!ports_.http.open(args_.dlurl)) return fail(u"{net error}", kFailed);
    const int status = ports_.http.statusCode();
    std::uint64_t length = 0;
    // An error page is no installer, and a length the window cannot count is refused.
    if (status < 200 || status > 299 || !ports_.http.contentLength(length) || length > kLargestDownload) {
      ports_.http.close();
      return fail(u"{net error}", kFailed);
    }
    const auto total = static_cast<std::uint32_t>(length);
    ports_.sink.downloadProgress(total, 0);

    const int downloaded = download(total);
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

  int download(std::uint32_t total) {
    std::unique_ptr<FileWriter> file;
    if (args_.dlpath.size() < kMaxPath) {
      ports_.files.createFolder(FolderOf(args_.dlpath));
      file = ports_.files.createFile(args_.dlpath);
    }
    if (!file) {
      ports_.http.close();
      return fail(u"{create file error}", kFailed);
    }
    std::uint32_t received = 0;
    bool written = true;
    // Each chunk is read straight into a batch that is written kWriteBatch
    // bytes at a time: one write per 2048 bytes cost the download about 4 %
    // (7 us a call under Wine), and a chunk buffer of its own a copy of every byte.
    static_assert(kWriteBatch >= kChunkSize);
    const auto batch = std::make_unique<unsigned char[]>(kWriteBatch);
    std::uint32_t held = 0;
    for (;;) {
      std::uint32_t got = 0;
      if (!ports_.http.read(batch.get() + held, kChunkSize, got) || got == 0 || got > kChunkSize) break;
      received += got;
      held += got;
      ports_.sink.downloadProgress(total, received);
      if (held + kChunkSize > kWriteBatch && !writeOut(*file, batch.get(), held)) {
        written = false;
        break;
      }
    }
    if (written && !writeOut(*file, batch.get(), held)) written = false;
    file.reset();
    ports_.http.close();
    // A short file on disk or a transfer that ended early must not replace the installer.
    if (!written) return fail(u"{create file error}", kFailed);
    if (received != total) return fail(u"{viryfy fail}", kFailed);
    return kDone;
  }

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
      case Verdict::kUnverified:
        veneer::ToolkitWarning("the installer being replaced is not signed: the download was not verified");
        return true;
      case Verdict::kRefused:
        break;
    }
    const char* why = download.state == Signature::kNone      ? "it is not signed"
                      : download.state == Signature::kInvalid ? "its signature does not match its content"
                                                              : "it is signed by another publisher";
    veneer::ToolkitWarning(std::string("the download is refused and removed: ") + why);
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

std::u16string StagingPathFor(std::u16string_view rppath) { return std::u16string(rppath) + u".download"; }

}  // namespace update
