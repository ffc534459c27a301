// The worker's message sequence and what it leaves on disk, for good runs
// and for every failure, with a scripted server and an in-memory disk.
#include <gtest/gtest.h>

#include "update/tests/update_fakes.h"
#include "update/transfer_rules.h"
#include "update/update_worker.h"

namespace update {
namespace {

using testing::FakeFiles;
using testing::FakeHttp;
using testing::FakeResponse;
using testing::RecordingSink;
using Messages = std::vector<std::string>;

class UpdateWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    args.dlurl = u"http://127.0.0.1/setup.exe";
    args.dlpath = u"C:\\dl\\new\\setup.exe";
    args.rppath = u"C:\\app\\setup.exe";
    files.files[args.rppath] = "old installer";
  }

  int run() {
    return RunUpdateWorker(args, WorkerPorts{http, files, sink, signatures,
                                             [](std::u16string_view key) { return u"tr" + std::u16string(key); },
                                             [this](std::uint32_t ms) { pauses.push_back(ms); }});
  }
  void serve(std::vector<std::string> chunks) {
    std::uint64_t total = 0;
    for (const auto& c : chunks) total += c.size();
    http.length = total;
    http.chunks = std::move(chunks);
  }

  UpdateArgs args;
  FakeHttp http;
  FakeFiles files;
  RecordingSink sink;
  testing::FakeSignatures signatures;
  std::vector<std::uint32_t> pauses;
};

// A good run: one (total, 0), one message per chunk before its write, then the four steps in order.
TEST_F(UpdateWorkerTest, GoodRunSendsEveryMessageInOrder) {
  serve({std::string(2048, 'a'), std::string(100, 'b'), std::string(2048, 'c')});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(sink.messages, (Messages{"P 4196 0", "P 4196 2048", "P 4196 2148", "P 4196 4196", "S 3 0", "S 0 1",
                                     "S 0 2", "S 0 0"}));
  EXPECT_EQ(http.openedUrl, u"http://127.0.0.1/setup.exe");
  EXPECT_EQ(http.closes, 1);
  EXPECT_EQ(files.files[args.rppath], std::string(2048, 'a') + std::string(100, 'b') + std::string(2048, 'c'));
  EXPECT_EQ(files.files.size(), 1u);  // the download and the staged copy are gone
  EXPECT_EQ(files.folders, std::set<std::u16string>{u"C:\\dl\\new"});
}

// Content length 0: (0, 0), no read delivers anything, and an empty file replaces the old one.
TEST_F(UpdateWorkerTest, EmptyBody) {
  serve({});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(sink.messages, (Messages{"P 0 0", "S 3 0", "S 0 1", "S 0 2", "S 0 0"}));
  EXPECT_EQ(files.files[args.rppath], "");
}

// A replace path that does not exist yet is simply created.
TEST_F(UpdateWorkerTest, MissingOldInstallerIsCreated) {
  files.files.clear();
  serve({"new"});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(files.files[args.rppath], "new");
}

TEST_F(UpdateWorkerTest, NetworkErrors) {
  http.openFails = true;
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(sink.messages, Messages{"E tr{net error}"});
  EXPECT_TRUE(files.calls.empty());

  // No Content-Length: the error comes right after connecting, even though a body could be read.
  sink.messages.clear();
  http = FakeHttp{};
  http.chunks = {"body"};
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(sink.messages, Messages{"E tr{net error}"});
  EXPECT_EQ(http.closes, 1);
  EXPECT_EQ(files.files[args.rppath], "old installer");
}

// An error page is not downloaded over the installer, however long its body.
TEST_F(UpdateWorkerTest, StatusOutside2xxIsANetworkError) {
  serve({"<html>not found</html>"});
  http.status = 404;
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(sink.messages, Messages{"E tr{net error}"});
  EXPECT_TRUE(files.calls.empty());
  EXPECT_EQ(files.files[args.rppath], "old installer");
}

TEST_F(UpdateWorkerTest, LengthsOf2GiBAndMoreAreRefused) {
  http.length = 0x80000000u;
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(sink.messages, Messages{"E tr{net error}"});
}

// A transfer that ends before the announced length (closed, or a failed
// read) is asked for again from where the file stopped, after 1, 2, 4, 8 s;
// when kAttempts in a row bring nothing, the old installer stays.
TEST_F(UpdateWorkerTest, ShortTransferKeepsTheOldInstaller) {
  serve({std::string(2048, 'a'), "b"});
  http.length = 5000;
  http.readFailsAtEnd = true;  // the server ignores the range: each answer starts over and breaks
  EXPECT_EQ(run(), 1);
  const Messages attempt{"P 5000 0", "P 5000 2048", "P 5000 2049"};
  Messages expected;
  for (int i = 0; i < kAttempts; ++i) expected.insert(expected.end(), attempt.begin(), attempt.end());
  expected.push_back("E tr{viryfy fail}");
  EXPECT_EQ(sink.messages, expected);
  EXPECT_EQ(http.requests, (std::vector<std::string>{"from=0", "from=2049", "from=2049", "from=2049", "from=2049"}));
  EXPECT_EQ(pauses, (std::vector<std::uint32_t>{1000, 2000, 4000, 8000}));
  EXPECT_EQ(http.closes, kAttempts);
  EXPECT_EQ(files.files[args.rppath], "old installer");
}

// What each answer after a break leads to. The file ends byte for byte as the
// server has it, or the old installer stays.
TEST_F(UpdateWorkerTest, BreaksRetriesAndTheProxy) {
  const std::string whole = std::string(2048, 'a') + std::string(2048, 'b') + "c";
  const auto answer = [](int status, std::optional<std::uint64_t> length, std::vector<std::string> chunks) {
    FakeResponse response;
    response.status = status;
    response.length = length;
    response.chunks = std::move(chunks);
    return response;
  };
  FakeResponse rest = answer(206, 2048, {std::string(2047, 'b'), "c"});
  rest.contentRange = u"bytes 2049-4096/4097";
  const FakeResponse restart = answer(200, 4097, {std::string(2048, 'a'), std::string(2048, 'b'), "c"});
  FakeResponse busy = answer(503, {}, {});
  busy.retryAfter = u" 1 ";
  FakeResponse elsewhere = rest;
  elsewhere.contentRange = u"bytes 100-4096/4097";
  FakeResponse unreachable;
  unreachable.opened = OpenResult::kNoConnection;
  const FakeResponse notFound = answer(404, {}, {});
  struct Case {
    const char* what;
    std::vector<FakeResponse> later;
    bool proxy;
    std::vector<std::string> requests;
    std::vector<std::uint32_t> pauses;
    const char* error;  // null: the update is done
  } cases[] = {
      {"206 from where the file stopped", {rest}, false, {"from=0", "from=2049"}, {1000}, nullptr},
      {"the range ignored: from the start", {restart}, false, {"from=0", "from=2049"}, {1000}, nullptr},
      {"503 with Retry-After, then the rest", {busy, rest}, false, {"from=0", "from=2049", "from=2049"},
       {1000, 1000}, nullptr},
      {"a 206 that starts elsewhere", {elsewhere, rest}, false, {"from=0", "from=2049", "from=2049"}, {1000, 2000},
       nullptr},
      {"a proxy that does not answer: at once past it", {unreachable, rest}, true,
       {"from=0", "from=2049", "from=2049 direct"}, {1000}, nullptr},
      {"404 is final", {notFound}, false, {"from=0", "from=2049"}, {1000}, "E tr{net error}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    files.files = {{args.rppath, "old installer"}};
    sink.messages.clear();
    pauses.clear();
    http = FakeHttp{};
    serve({std::string(2048, 'a'), "b"});
    http.length = 4097;
    http.readFailsAtEnd = true;
    http.later = c.later;
    http.proxy = c.proxy;
    EXPECT_EQ(run(), c.error ? 1 : 0);
    EXPECT_EQ(http.requests, c.requests);
    EXPECT_EQ(pauses, c.pauses);
    EXPECT_EQ(sink.messages.back(), c.error ? c.error : "S 0 0");
    EXPECT_EQ(files.files[args.rppath], c.error ? "old installer" : whole);
  }
}

// A write that falls short is a file error, not a silently shorter installer.
TEST_F(UpdateWorkerTest, FailedWriteIsAFileError) {
  serve({std::string(2048, 'a'), std::string(2048, 'b')});
  files.writeLimit = 3000;
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(sink.messages, (Messages{"P 4096 0", "P 4096 2048", "P 4096 4096", "E tr{create file error}"}));
  EXPECT_EQ(files.files[args.rppath], "old installer");
}

// The chunks reach the file in whole batches, every byte in order, the last
// batch as long as what is left; a batch that falls short ends the download
// there, with no chunk read after it.
TEST_F(UpdateWorkerTest, DownloadIsWrittenInBatches) {
  std::vector<std::string> chunks;
  for (int i = 0; i < 33; ++i) chunks.push_back(std::string(2048, static_cast<char>('0' + i)));
  chunks.push_back("end");
  std::string whole;
  for (const auto& c : chunks) whole += c;
  serve(chunks);
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(files.writeSizes, (std::vector<std::uint32_t>{kWriteBatch, 2048 + 3}));
  EXPECT_EQ(files.files[args.rppath], whole);

  sink.messages.clear();
  files.writeSizes.clear();
  files.writeLimit = 100;
  http = FakeHttp{};
  serve(chunks);
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(files.writeSizes, std::vector<std::uint32_t>{kWriteBatch});
  EXPECT_EQ(sink.messages.size(), 1 + kWriteBatch / 2048 + 1);  // (total, 0), the batch's chunks, the error
  EXPECT_EQ(sink.messages.back(), "E tr{create file error}");
}

// The download takes the old installer's place only when it is signed by the
// same certificate, or when the old installer is not signed at all; a refused
// download is removed and the old installer stays as it was.
TEST_F(UpdateWorkerTest, SignaturePolicy) {
  const auto signedBy = [](std::string cert, bool trusted, std::u16string organization, std::u16string name) {
    FileSignature signature;
    signature.state = Signature::kValid;
    signature.signer = std::move(cert);
    signature.trustedChain = trusted;
    signature.currentlyValid = true;
    signature.organization = std::move(organization);
    signature.commonName = std::move(name);
    return signature;
  };
  FileSignature none, tampered;
  tampered.state = Signature::kInvalid;
  const FileSignature publisher = signedBy("publisher cert", true, u"Tavaro", u"Tavaro Publisher");
  const FileSignature other = signedBy("other cert", true, u"Somebody", u"Somebody");
  // The publisher's renewed certificate; the same name self-signed or under
  // an untrusted root; the name without an organisation; another name under the trusted root.
  const FileSignature renewed = signedBy("renewed cert", true, u"Tavaro", u"Tavaro Publisher");
  const FileSignature lookalike = signedBy("lookalike cert", false, u"Tavaro", u"Tavaro Publisher");
  const FileSignature untrustedOld = signedBy("publisher cert", false, u"Tavaro", u"Tavaro Publisher");
  const FileSignature noOrganization = signedBy("bare cert", true, u"", u"Tavaro Publisher");
  const FileSignature oldNoOrganization = signedBy("old bare cert", true, u"", u"Tavaro Publisher");
  const FileSignature otherName = signedBy("other name cert", true, u"Tavaro", u"Tavaro Other");
  FileSignature expiredOld = publisher, expiredRenewed = renewed;
  expiredOld.currentlyValid = expiredRenewed.currentlyValid = false;
  const Messages done{"P 3 0", "P 3 3", "S 3 0", "S 0 1", "S 0 2", "S 0 0"};
  const Messages refused{"P 3 0", "P 3 3", "S 3 0", "E tr{sign fail}"};
  const struct {
    FileSignature oldInstaller, download;
    bool replaced;
  } cases[] = {
      {publisher, publisher, true}, {publisher, tampered, false}, {publisher, none, false},
      {publisher, other, false},    {none, publisher, true},      {none, tampered, true},
      {none, none, true},           {tampered, other, true},
      {publisher, renewed, true},   {publisher, lookalike, false}, {untrustedOld, renewed, false},
      {untrustedOld, untrustedOld, true}, {oldNoOrganization, noOrganization, false}, {publisher, otherName, false},
      {expiredOld, renewed, true},  {publisher, expiredRenewed, false},
  };
  for (const auto& c : cases) {
    files.files = {{args.rppath, "old installer"}};
    sink.messages.clear();
    http = FakeHttp();
    serve({"new"});
    signatures.byPath = {{args.rppath, c.oldInstaller}, {args.dlpath, c.download}};
    EXPECT_EQ(run(), c.replaced ? 0 : 1);
    EXPECT_EQ(sink.messages, c.replaced ? done : refused);
    EXPECT_EQ(files.files, (std::map<std::u16string, std::string>{{args.rppath, c.replaced ? "new" : "old installer"}}));
  }
  // The log's reason follows the same rule: no organisation is no publisher's name.
  EXPECT_EQ(WhyRefused(oldNoOrganization, noOrganization), "it is signed by another publisher");
  EXPECT_EQ(WhyRefused(publisher, lookalike),
               "its certificate names the publisher, but no trusted root vouches for it");
  EXPECT_EQ(WhyRefused(publisher, expiredRenewed), "its certificate names the publisher, but it is not valid now");
  EXPECT_EQ(WhyRefused(untrustedOld, renewed), "the old installer's certificate chains to no trusted root");
}

// A port that throws ends the worker on the error page, not in the thread's start.
TEST_F(UpdateWorkerTest, ThrowingPortEndsOnTheErrorPage) {
  serve({std::string(2048, 'a'), std::string(kChunkSize + 1, 'b')});  // the fake throws on the oversized chunk
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(sink.messages, (Messages{"P 4097 0", "P 4097 2048", "E tr{replace fail}"}));
  EXPECT_EQ(files.files[args.rppath], "old installer");
}

TEST_F(UpdateWorkerTest, DownloadFileThatCannotBeCreated) {
  serve({"x"});
  files.failCreate.insert(args.dlpath);
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(sink.messages, (Messages{"P 1 0", "E tr{create file error}"}));
  EXPECT_EQ(http.closes, 1);
  // Paths that do not fit the 260-character buffers are refused the same way.
  sink.messages.clear();
  http = FakeHttp{};
  serve({"x"});
  args.dlpath = u"C:\\" + std::u16string(300, u'd');
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(sink.messages.back(), "E tr{create file error}");
}

// The same file under two spellings is refused before anything is downloaded or deleted.
TEST_F(UpdateWorkerTest, ReplacePathEqualToDownloadPathIsRefused) {
  args.dlpath = u"c:\\APP\\Setup.exe";
  serve({"x"});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(sink.messages, Messages{"E tr{replace fail}"});
  EXPECT_TRUE(files.calls.empty());
  EXPECT_EQ(http.openedUrl, u"");
  EXPECT_EQ(files.files[args.rppath], "old installer");
}

// A failed copy or a failed move leaves the old installer and the download where they were.
TEST_F(UpdateWorkerTest, FailedReplacementKeepsTheOldInstaller) {
  serve({"new"});
  files.failCopyTo.insert(StagingPathFor(args.rppath));
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(sink.messages, (Messages{"P 3 0", "P 3 3", "S 3 0", "E tr{replace fail}"}));
  EXPECT_EQ(files.files[args.rppath], "old installer");
  EXPECT_EQ(files.files[args.dlpath], "new");

  sink.messages.clear();
  files.failCopyTo.clear();
  files.failMoveTo.insert(args.rppath);  // the old installer is in use
  http = FakeHttp{};
  serve({"new"});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(sink.messages, (Messages{"P 3 0", "P 3 3", "S 3 0", "S 0 1", "E tr{replace fail}"}));
  EXPECT_EQ(files.files[args.rppath], "old installer");
  EXPECT_EQ(files.files.count(StagingPathFor(args.rppath)), 0u);
}

// No options at all: the empty URL fails to open, a network error, as before any path is looked at.
TEST_F(UpdateWorkerTest, EmptyOptionsGiveANetworkError) {
  args = UpdateArgs{};
  http.openFails = true;  // as an empty URL does
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(sink.messages, Messages{"E tr{net error}"});
}

// The answers worth another attempt, the waits, and the two headers as servers write them.
TEST(TransferRulesTest, StatusWaitsAndHeaders) {
  for (int status : {408, 429, 500, 502, 503, 599}) EXPECT_TRUE(RetriableStatus(status)) << status;
  for (int status : {0, 200, 206, 301, 400, 401, 403, 404, 416, 600}) EXPECT_FALSE(RetriableStatus(status)) << status;
  for (int failures = 1; failures <= 6; ++failures) {
    const std::uint32_t base = 1000u << (std::min(failures, kAttempts - 1) - 1);
    EXPECT_EQ(BackoffMs(failures, 0), base);
    for (std::uint32_t jitter : {1u, 77u, 4'000'000'000u}) {
      EXPECT_GE(BackoffMs(failures, jitter), base);
      EXPECT_LE(BackoffMs(failures, jitter), base + base / 4);
    }
  }
  const auto range = ParseContentRange(u"Bytes 2049-4096/4097");
  ASSERT_TRUE(range);
  EXPECT_EQ(range->first, 2049u);
  EXPECT_EQ(range->last, 4096u);
  EXPECT_EQ(range->total, 4097u);
  for (const char16_t* bad : {u"bytes */4097", u"bytes 5-4/10", u"bytes 0-10/10", u"bytes 1-2", u"items 1-2/3",
                              u"bytes 1-2/3x", u"bytes 99999999999999999999-1/2", u""}) {
    EXPECT_FALSE(ParseContentRange(bad)) << std::string(bad, bad + std::char_traits<char16_t>::length(bad));
  }
  EXPECT_EQ(ParseRetryAfterMs(u" 1 "), 1000u);
  EXPECT_EQ(ParseRetryAfterMs(u"0"), 0u);
  EXPECT_EQ(ParseRetryAfterMs(u"3600"), kLongestRetryAfterMs);
  EXPECT_EQ(ParseRetryAfterMs(u"99999999999999999999999"), std::nullopt);
  EXPECT_EQ(ParseRetryAfterMs(u"Fri, 31 Dec 1999 23:59:59 GMT"), std::nullopt);
  EXPECT_EQ(ParseRetryAfterMs(u"-1"), std::nullopt);
}

TEST(FolderOfTest, CutsTheLastComponent) {
  EXPECT_EQ(FolderOf(u"C:\\a\\b\\f.exe"), u"C:\\a\\b");
  EXPECT_EQ(FolderOf(u"C:\\f.exe"), u"C:\\");
  EXPECT_EQ(FolderOf(u"f.exe"), u"");
  EXPECT_EQ(FolderOf(u"/tmp/x"), u"/tmp");
}

}  // namespace
}  // namespace update
