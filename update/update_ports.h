// What the download worker needs from the platform: an HTTP download, the
// file system, and the window it reports to. Windows adapters: WinINet,
// the file API and SendMessageW; tests pass fakes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace update {

// One GET request: the whole file, or its bytes from `from` on (a Range
// request); through the system's proxy settings unless `direct`.
struct HttpRequest {
  std::u16string_view url;
  std::uint64_t from = 0;
  bool direct = false;
};

enum class OpenResult {
  kOpened,
  kNoConnection,  // no connection could be made (refused, or no answer), to the server or to the proxy
  kFailed,        // anything else
};

enum class HttpHeader { kContentRange, kRetryAfter };

// One request at a time. Blocking; called from the worker thread only.
class HttpSession {
 public:
  virtual ~HttpSession() = default;
  // Opens the session and the request (no cache on reading or writing).
  virtual OpenResult open(const HttpRequest& request) = 0;
  // Whether the opened session sends its requests through a proxy.
  virtual bool viaProxy() = 0;
  // The response's status code; 0 when it cannot be read.
  virtual int statusCode() = 0;
  // The Content-Length header as a number; false when there is none.
  virtual bool contentLength(std::uint64_t& length) = 0;
  // A header's text; nothing when the response has none.
  virtual std::optional<std::u16string> header(HttpHeader which) = 0;
  // Up to `size` bytes; false when the read fails (no byte for kStallMs
  // included), `got` 0 at the end.
  virtual bool read(void* buffer, std::uint32_t size, std::uint32_t& got) = 0;
  // Closes the request, then the session.
  virtual void close() = 0;
};

class FileWriter {
 public:
  virtual ~FileWriter() = default;
  // False when not every byte was written.
  virtual bool write(const void* data, std::uint32_t size) = 0;
};

class UpdateFiles {
 public:
  virtual ~UpdateFiles() = default;
  // Creates the one folder (its parent must exist); the result does not matter.
  virtual void createFolder(std::u16string_view path) = 0;
  // Creates or truncates the file for writing, sharing reading only; null on failure.
  virtual std::unique_ptr<FileWriter> createFile(std::u16string_view path) = 0;
  // Copies `from` to `to`, replacing `to`.
  virtual bool copyFile(std::u16string_view from, std::u16string_view to) = 0;
  // Moves `from` over `to` in one step, replacing `to`.
  virtual bool moveReplacing(std::u16string_view from, std::u16string_view to) = 0;
  virtual bool deleteFile(std::u16string_view path) = 0;
  // Whether the two paths name the same file, as the platform compares them.
  virtual bool samePath(std::u16string_view a, std::u16string_view b) = 0;
};

// The window, told synchronously: each call returns once the window has handled it.
class UpdateSink {
 public:
  virtual ~UpdateSink() = default;
  virtual void downloadProgress(std::uint32_t total, std::uint32_t received) = 0;
  virtual void installStep(int wParam, int lParam) = 0;
  // `text` stays valid until the call returns.
  virtual void updateError(std::u16string_view text) = 0;
};

}  // namespace update
