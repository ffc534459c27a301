#include "update/http_session_win.h"

#include <iterator>
#include <string>

#include "common/wide_win.h"
#include "update/transfer_rules.h"

namespace update {

namespace {

// The errors of a connection that could not be made, to the server or to the proxy.
bool noConnection(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_CANNOT_CONNECT:
    case ERROR_INTERNET_TIMEOUT:
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
      return true;
    default:
      return false;
  }
}

}  // namespace

OpenResult WinInetSession::open(const HttpRequest& request) {
  close();
  const std::wstring url = common::toWide(request.url);
  wchar_t host[256] = {};
  wchar_t path[2048] = {};
  wchar_t extra[2048] = {};
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = static_cast<DWORD>(std::size(host));
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = static_cast<DWORD>(std::size(path));
  parts.lpszExtraInfo = extra;
  parts.dwExtraInfoLength = static_cast<DWORD>(std::size(extra));
  if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts) ||
      (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
    return OpenResult::kFailed;
  }
  // No agent, the system's proxy configuration (or none), no proxy or bypass list, no flags.
  session_.reset(InternetOpenW(nullptr, request.direct ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PRECONFIG,
                               nullptr, nullptr, 0));
  if (!session_) return OpenResult::kFailed;
  connection_.reset(InternetConnectW(session_.get(), host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection_) return OpenResult::kFailed;
  // A connection that gives no byte for kStallMs ends the read. The
  // connection handle passes the timeouts on to its requests (Wine ignores
  // them set on the session, or on a request that is already open).
  DWORD stall = kStallMs;
  InternetSetOptionW(connection_.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &stall, sizeof stall);
  InternetSetOptionW(connection_.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &stall, sizeof stall);
  const std::wstring object = std::wstring(path) + extra;
  const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0;
  request_.reset(HttpOpenRequestW(connection_.get(), L"GET", object.c_str(), nullptr, nullptr, nullptr,
                                  kRequestFlags | secure, 0));
  if (!request_) return OpenResult::kFailed;
  const std::wstring range =
      request.from > 0 ? L"Range: bytes=" + std::to_wstring(request.from) + L"-\r\n" : std::wstring();
  if (!HttpSendRequestW(request_.get(), range.empty() ? nullptr : range.c_str(), static_cast<DWORD>(range.size()),
                        nullptr, 0)) {
    const DWORD error = GetLastError();
    return noConnection(error) ? OpenResult::kNoConnection : OpenResult::kFailed;
  }
  return OpenResult::kOpened;
}

bool WinInetSession::viaProxy() {
  if (!session_) return false;
  // INTERNET_PROXY_INFO followed by its strings.
  alignas(INTERNET_PROXY_INFO) unsigned char buffer[4096] = {};
  DWORD size = sizeof buffer;
  if (!InternetQueryOptionW(session_.get(), INTERNET_OPTION_PROXY, buffer, &size)) return false;
  return reinterpret_cast<const INTERNET_PROXY_INFO*>(buffer)->dwAccessType == INTERNET_OPEN_TYPE_PROXY;
}

std::optional<std::u16string> WinInetSession::header(HttpHeader which) {
  wchar_t text[256] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  const DWORD query = which == HttpHeader::kContentRange ? HTTP_QUERY_CONTENT_RANGE : HTTP_QUERY_RETRY_AFTER;
  if (!request_ || !HttpQueryInfoW(request_.get(), query, text, &size, nullptr)) return std::nullopt;
  return common::fromWide(text);
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
  connection_.reset();
  session_.reset();
}

}  // namespace update
