#include "update/http_session_win.h"

#include <string>

#include "common/wide_win.h"

namespace update {

bool WinInetSession::open(std::u16string_view url) {
  // No agent, the system's proxy configuration, no proxy or bypass list, no flags.
  session_.reset(InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session_) return false;
  const std::wstring target = common::toWide(url);
  request_.reset(InternetOpenUrlW(session_.get(), target.c_str(), nullptr, 0, kRequestFlags, 0));
  if (!request_) {
    session_.reset();
    return false;
  }
  return true;
}

int WinInetSession::statusCode() {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoW(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
    return 0;
  }
  return static_cast<int>(status);
}

bool WinInetSession::contentLength(std::uint64_t& length) {
  // Read as text so that lengths beyond 32 bits are seen as what they are.
  wchar_t text[32] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  if (!HttpQueryInfoW(request_.get(), HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return false;
  std::uint64_t value = 0;
  const wchar_t* p = text;
  if (*p < L'0' || *p > L'9') return false;
  for (; *p >= L'0' && *p <= L'9'; ++p) {
    if (value > (UINT64_MAX - 9) / 10) return false;
    value = value * 10 + static_cast<std::uint64_t>(*p - L'0');
  }
  if (*p != L'\0') return false;
  length = value;
  return true;
}

bool WinInetSession::read(void* buffer, std::uint32_t size, std::uint32_t& got) {
  DWORD read = 0;
  const BOOL ok = InternetReadFile(request_.get(), buffer, size, &read);
  got = ok ? read : 0;
  return ok != FALSE;
}

void WinInetSession::close() {
  request_.reset();
  session_.reset();
}

}  // namespace update
