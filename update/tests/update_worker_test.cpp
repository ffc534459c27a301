// The worker's message sequence and what it leaves on disk, for good runs
// and for every failure, with a scripted server and an in-memory disk.
#include <gtest/gtest.h>

#include "update/tests/update_fakes.h"
#include "update/update_worker.h"

namespace update {
namespace {

using testing::FakeFiles;
using testing::FakeHttp;
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
    return RunUpdateWorker(args, WorkerPorts{http, files, sink, signatures, [](std::u16string_view key) {
                                               return u"tr" + std::u16string(key);
                                             }});
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

// A transfer that ends before the announced length keeps the old installer.
TEST_F(UpdateWorkerTest, ShortTransferKeepsTheOldInstaller) {
  serve({std::string(2048, 'a'), "b"});
  http.length = 5000;
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(sink.messages, (Messages{"P 5000 0", "P 5000 2048", "P 5000 2049", "E tr{viryfy fail}"}));
  EXPECT_EQ(files.files[args.rppath], "old installer");

  // A read that fails midway ends the transfer the same way.
  sink.messages.clear();
  http = FakeHttp{};
  http.length = 10;
  http.chunks = {"12345"};
  http.readFailsAtEnd = true;
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(sink.messages.back(), "E tr{viryfy fail}");
  EXPECT_EQ(files.files[args.rppath], "old installer");
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
  const FileSignature none{}, publisher{Signature::kValid, "publisher cert"};
  const FileSignature tampered{Signature::kInvalid, ""}, other{Signature::kValid, "other cert"};
  const Messages done{"P 3 0", "P 3 3", "S 3 0", "S 0 1", "S 0 2", "S 0 0"};
  const Messages refused{"P 3 0", "P 3 3", "S 3 0", "E tr{sign fail}"};
  const struct {
    FileSignature oldInstaller, download;
    bool replaced;
  } cases[] = {
      {publisher, publisher, true}, {publisher, tampered, false}, {publisher, none, false},
      {publisher, other, false},    {none, publisher, true},      {none, tampered, true},
      {none, none, true},           {tampered, other, true},
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

TEST(FolderOfTest, CutsTheLastComponent) {
  EXPECT_EQ(FolderOf(u"C:\\a\\b\\f.exe"), u"C:\\a\\b");
  EXPECT_EQ(FolderOf(u"C:\\f.exe"), u"C:\\");
  EXPECT_EQ(FolderOf(u"f.exe"), u"");
  EXPECT_EQ(FolderOf(u"/tmp/x"), u"/tmp");
}

}  // namespace
}  // namespace update
