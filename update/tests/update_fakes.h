// Test doubles for the worker: a scripted HTTP response, an in-memory file
// system with injected failures, and a sink that records every message.
#pragma once

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/option_text.h"
#include "common/publisher_policy.h"
#include "update/update_worker.h"
#include "update/update_ports.h"

namespace update::testing {

// One scripted answer.
struct FakeResponse {
  OpenResult opened = OpenResult::kOpened;
  int status = 200;
  std::optional<std::uint64_t> length;  // no Content-Length when empty
  std::optional<std::u16string> contentRange, retryAfter;
  std::vector<std::string> chunks;      // what each read delivers, in order
  bool readFailsAtEnd = false;
};

// The first attempt gets the answer of the fields below; attempt k > 1 gets
// later[k - 2], and the first answer again once those are used up.
class FakeHttp final : public HttpSession {
 public:
  bool openFails = false;
  int status = 200;
  std::optional<std::uint64_t> length;  // no Content-Length when empty
  std::vector<std::string> chunks;      // what each read delivers, in order
  bool readFailsAtEnd = false;
  std::vector<FakeResponse> later;
  bool proxy = false;  // the system's settings name a proxy
  std::u16string openedUrl;
  std::vector<std::string> requests;  // "from=N", with " direct" past the proxy, of every open
  int closes = 0;

  OpenResult open(const HttpRequest& request) override {
    openedUrl = request.url;
    requests.push_back("from=" + std::to_string(request.from) + (request.direct ? " direct" : ""));
    const std::size_t index = attempt_++;
    if (index >= 1 && index - 1 < later.size()) {
      current_ = later[index - 1];
    } else {
      current_ = FakeResponse{openFails ? OpenResult::kFailed : OpenResult::kOpened, status, length, {}, {}, chunks,
                              readFailsAtEnd};
    }
    next_ = 0;
    return current_.opened;
  }
  bool viaProxy() override { return proxy; }
  int statusCode() override { return current_.status; }
  bool contentLength(std::uint64_t& out) override {
    if (!current_.length) return false;
    out = *current_.length;
    return true;
  }
  std::optional<std::u16string> header(HttpHeader which) override {
    return which == HttpHeader::kContentRange ? current_.contentRange : current_.retryAfter;
  }
  bool read(void* buffer, std::uint32_t size, std::uint32_t& got) override {
    got = 0;
    if (next_ == current_.chunks.size()) return !current_.readFailsAtEnd;
    const std::string& chunk = current_.chunks[next_++];
    if (chunk.size() > size) throw std::logic_error("chunk larger than the read");
    std::memcpy(buffer, chunk.data(), chunk.size());
    got = static_cast<std::uint32_t>(chunk.size());
    return true;
  }
  void close() override { ++closes; }

 private:
  FakeResponse current_;
  std::size_t attempt_ = 0;
  std::size_t next_ = 0;
};

class FakeFiles final : public UpdateFiles {
 public:
  std::map<std::u16string, std::string> files;
  std::set<std::u16string> folders;
  std::set<std::u16string> failCreate, failCopyTo, failMoveTo;
  std::uint32_t writeLimit = UINT32_MAX;  // bytes a file takes before writes fall short
  std::vector<std::string> calls;
  std::vector<std::uint32_t> writeSizes;  // of every file, in order

  void createFolder(std::u16string_view path) override {
    calls.push_back("folder");
    folders.insert(std::u16string(path));
  }
  std::unique_ptr<FileWriter> createFile(std::u16string_view path) override {
    calls.push_back("create");
    if (failCreate.count(std::u16string(path))) return nullptr;
    files[std::u16string(path)].clear();
    return std::make_unique<Writer>(files[std::u16string(path)], writeLimit, writeSizes);
  }
  bool copyFile(std::u16string_view from, std::u16string_view to) override {
    calls.push_back("copy");
    auto it = files.find(std::u16string(from));
    if (it == files.end() || failCopyTo.count(std::u16string(to))) return false;
    files[std::u16string(to)] = it->second;
    return true;
  }
  bool moveReplacing(std::u16string_view from, std::u16string_view to) override {
    calls.push_back("move");
    auto it = files.find(std::u16string(from));
    if (it == files.end() || failMoveTo.count(std::u16string(to))) return false;
    files[std::u16string(to)] = it->second;
    files.erase(std::u16string(from));
    return true;
  }
  bool deleteFile(std::u16string_view path) override {
    calls.push_back("delete");
    return files.erase(std::u16string(path)) != 0;
  }
  bool samePath(std::u16string_view a, std::u16string_view b) override { return common::equalsIgnoringAsciiCase(a, b); }

 private:
  class Writer final : public FileWriter {
   public:
    Writer(std::string& content, std::uint32_t limit, std::vector<std::uint32_t>& sizes)
        : content_(content), limit_(limit), sizes_(sizes) {}
    bool write(const void* data, std::uint32_t size) override {
      sizes_.push_back(size);
      const std::uint32_t room = limit_ - static_cast<std::uint32_t>(std::min<std::size_t>(content_.size(), limit_));
      const std::uint32_t n = std::min(size, room);
      content_.append(static_cast<const char*>(data), n);
      return n == size;
    }

   private:
    std::string& content_;
    std::uint32_t limit_;
    std::vector<std::uint32_t>& sizes_;
  };
};

// Signatures by path; a path not listed carries none.
class FakeSignatures final : public SignatureCheck {
 public:
  std::map<std::u16string, FileSignature> byPath;
  FileSignature examine(std::u16string_view path) override {
    const auto it = byPath.find(std::u16string(path));
    return it == byPath.end() ? FileSignature{} : it->second;
  }
};

// Messages as "P total received", "S w l" and "E text".
class RecordingSink final : public UpdateSink {
 public:
  std::vector<std::string> messages;
  void downloadProgress(std::uint32_t total, std::uint32_t received) override {
    messages.push_back("P " + std::to_string(total) + " " + std::to_string(received));
  }
  void installStep(int w, int l) override { messages.push_back("S " + std::to_string(w) + " " + std::to_string(l)); }
  void updateError(std::u16string_view text) override { messages.push_back("E " + std::string(text.begin(), text.end())); }
};

}  // namespace update::testing
