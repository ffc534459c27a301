// The tool's Windows adapters against Wine's real APIs.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>

#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "linkwarden/route_table_win.h"
#include "linkwarden/system_win.h"
#include "tests/e2e/process_win.h"

namespace linkwarden {
namespace {

using e2e::RecorderFile;

const std::wstring kRecorder = e2e::windowsPath(RECORD_ARGS_EXE);

// netsh is started through the shell, hidden, with the parameters as given,
// and waited for.
TEST(NetshRunner, RunsHiddenWithTheParametersAndWaits) {
  RecorderFile record;
  WinNetshRunner runner(kRecorder, 30000);
  std::uint32_t error = 0;
  EXPECT_EQ(runner.run(u" interface ip set dnsservers \"Ethernet\" static 10.0.0.1 validate=no", error),
            NetshOutcome::kEnded);
  EXPECT_EQ(record.text(), "show=0 args= interface ip set dnsservers \"Ethernet\" static 10.0.0.1 validate=no\n");
}

// A child that does not end is ended after the limit, and the tool goes on:
// it never gets to its record.
TEST(NetshRunner, EndsTheChildAfterItsLimit) {
  RecorderFile record;
  WinNetshRunner runner(kRecorder, 300);
  std::uint32_t error = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(runner.run(u"--sleep=1500", error), NetshOutcome::kTimedOut);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_LT(waited, std::chrono::milliseconds(1200));
  EXPECT_EQ(error, 0u);
  Sleep(2000);
  EXPECT_EQ(record.text(), "");
}

TEST(NetshRunner, MissingProgram) {
  WinNetshRunner runner(L"C:\\nowhere\\netsh-missing.exe", 1000);
  std::uint32_t error = 0;
  EXPECT_EQ(runner.run(u"x", error), NetshOutcome::kNotStarted);
  EXPECT_TRUE(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) << error;
}

// What is not there: no name for an interface or a key that does not exist,
// and a system version that picks "dnsservers" (6 and later).
TEST(DnsSystem, AnswersForWhatIsNotThere) {
  WinDnsSystem dns;
  EXPECT_EQ(dns.adapterName(0xFFFFFF), u"");
  EXPECT_EQ(dns.friendlyName(0xFFFFFF), u"");
  EXPECT_EQ(dns.nameServerValue(u"SYSTEM\\NoSuchKey"), u"");
  EXPECT_GE(dns.majorVersion(), 6u);
}

// The interface table and the adapter's names: every interface the system
// lists has a braced adapter GUID, which is what the registry key needs. A
// system without adapters is reported as skipped, not passed (the recorded
// scenario covers the names against scripted adapters).
TEST(DnsSystem, InterfaceNames) {
  ULONG size = 0;
  GetInterfaceInfo(nullptr, &size);
  std::vector<BYTE> buffer(size + sizeof(IP_INTERFACE_INFO));
  ASSERT_EQ(GetInterfaceInfo(reinterpret_cast<PIP_INTERFACE_INFO>(buffer.data()), &size), static_cast<DWORD>(NO_ERROR));
  const auto* table = reinterpret_cast<const IP_INTERFACE_INFO*>(buffer.data());
  if (table->NumAdapters == 0) GTEST_SKIP() << "the system lists no adapter";
  WinDnsSystem dns;
  for (LONG i = 0; i < table->NumAdapters; ++i) {
    const std::u16string name = dns.adapterName(table->Adapter[i].Index);
    EXPECT_NE(name.find(u'{'), std::u16string::npos);
  }
}

// Wine has no dial-up connections.
TEST(RemoteAccess, NoConnectionsUnderWine) {
  WinRemoteAccess ras;
  std::vector<RasConnection> connections;
  EXPECT_EQ(ras.activeConnections(connections), RasListing::kNone);
  EXPECT_TRUE(connections.empty());
}

// The full path of a relative driver file is taken from the current folder.
TEST(ServiceManager, FullPathFromTheCurrentFolder) {
  WinServiceManager services;
  wchar_t current[MAX_PATH];
  const DWORD n = GetCurrentDirectoryW(MAX_PATH, current);
  std::wstring expected(current, n);
  if (expected.back() != L'\\') expected += L'\\';
  expected += L"drivers\\lw.sys";
  EXPECT_EQ(services.fullPath(u"drivers\\lw.sys"), std::u16string(expected.begin(), expected.end()));
  EXPECT_EQ(services.fullPath(u"C:\\a\\..\\b.sys"), u"C:\\b.sys");
}

// The route list is opened impersonating the client: with the client's token
// it is read and the thread is itself again afterwards; without a token of
// the client nothing is opened. (Wine sets the thread token but checks file
// access by Unix permissions only, so a file the client could not read is
// not something it can show.)
TEST(ClientFiles, OpenedWithTheClientsRightsOnly) {
  const std::wstring path = e2e::tempPath(L"lw-routes") + L".txt";
  std::ofstream(path.c_str(), std::ios::binary) << "10.0.0.0/8\r\n";
  ClientRights rights;
  WinFileSource files(rights);
  std::string bytes;
  std::uint64_t size = 0;
  EXPECT_EQ(files.readAll(common::fromWide(path), 1024, bytes, size), ReadResult::kMissing);

  common::UniqueHandle client(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, GetCurrentProcessId()));
  DWORD error = 0;
  ASSERT_TRUE(rights.adopt(client.get(), error)) << error;
  EXPECT_EQ(files.readAll(common::fromWide(path), 1024, bytes, size), ReadResult::kRead);
  EXPECT_EQ(bytes, "10.0.0.0/8\r\n");
  common::UniqueHandle threadToken;
  EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, threadToken.put()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_TOKEN));
  DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace linkwarden
