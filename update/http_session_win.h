// The worker's HTTP download through WinINet.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "common/unique_handle_win.h"
#include "update/update_ports.h"

namespace update {

struct InternetHandleTraits {
  using Value = HINTERNET;
  static Value empty() noexcept { return nullptr; }
  static void close(Value v) noexcept { ::InternetCloseHandle(v); }
};
using UniqueInternetHandle = common::UniqueResource<InternetHandleTraits>;

// The request flags: reload, no cache write, pragma no-cache (INTERNET_FLAG_SECURE added for https).
inline constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                       INTERNET_FLAG_PRAGMA_NOCACHE;
static_assert(kRequestFlags == 0x84000100);

// A session per request, so that each attempt can choose the system's
// proxy settings or none; no byte for kStallMs ends a read or a connect.
class WinInetSession final : public HttpSession {
 public:
  OpenResult open(const HttpRequest& request) override;
  bool viaProxy() override;
  int statusCode() override;
  bool contentLength(std::uint64_t& length) override;
  std::optional<std::u16string> header(HttpHeader which) override;
  bool read(void* buffer, std::uint32_t size, std::uint32_t& got) override;
  void close() override;

 private:
  UniqueInternetHandle session_;
  UniqueInternetHandle connection_;
  UniqueInternetHandle request_;
};

}  // namespace update
