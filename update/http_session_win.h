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

// The request flags: reload, no cache write, pragma no-cache.
inline constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                       INTERNET_FLAG_PRAGMA_NOCACHE;
static_assert(kRequestFlags == 0x84000100);

class WinInetSession final : public HttpSession {
 public:
  bool open(std::u16string_view url) override;
  int statusCode() override;
  bool contentLength(std::uint64_t& length) override;
  bool read(void* buffer, std::uint32_t size, std::uint32_t& got) override;
  void close() override;

 private:
  UniqueInternetHandle session_;
  UniqueInternetHandle request_;
};

}  // namespace update
