// The download worker fed by a scripted server: random status, announced
// length, chunk sizes, read failures, write limits and replacement failures.
// Whatever happens, the messages are well formed and the installer is either
// untouched or the whole body.
#include <algorithm>
#include <string>

#include "fuzz/fuzz_input.h"
#include "update/tests/update_fakes.h"
#include "update/update_worker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  update::testing::FakeHttp http;
  update::testing::FakeFiles files;
  update::testing::RecordingSink sink;
  update::testing::FakeSignatures signatures;  // none signed: the old behaviour
  update::UpdateArgs args;
  args.dlurl = u"http://h/x";
  args.dlpath = (input.byte() & 1) ? u"C:\\app\\SETUP.exe" : u"C:\\dl\\setup.exe";  // sometimes the same file
  args.rppath = u"C:\\app\\setup.exe";
  const std::string old = "old installer";
  files.files[args.rppath] = old;

  const std::uint8_t flags = input.byte();
  http.openFails = flags & 1;
  http.status = (flags & 2) ? 404 : 200;
  http.readFailsAtEnd = flags & 4;
  if (flags & 8) files.failCreate.insert(args.dlpath);
  if (flags & 16) files.failCopyTo.insert(update::StagingPathFor(args.rppath));
  if (flags & 32) files.failMoveTo.insert(args.rppath);
  if (flags & 64) files.writeLimit = input.number() % 20000;
  std::string body;
  while (!input.empty()) {
    const std::size_t n = input.byte() * 8u + input.byte() % 8u;  // 0..2047
    std::string chunk = input.bytes(std::min<std::size_t>(n, update::kChunkSize));
    if (chunk.empty()) break;
    body += chunk;
    http.chunks.push_back(std::move(chunk));
  }
  if (!(flags & 128)) http.length = (flags & 64) ? body.size() + (input.number() % 3) - 1 : body.size();
  // Later attempts, answered as a server would: refused or errors, the
  // whole body with 200, or with 206 the bytes from some point on, which the
  // Content-Range names truly; any of them may break off.
  http.proxy = input.byte() & 1;
  for (std::size_t n = input.byte() % 4; n > 0 && !input.empty(); --n) {
    update::testing::FakeResponse answer;
    const std::uint8_t kind = input.byte();
    answer.opened = static_cast<update::OpenResult>(kind % 3);
    answer.status = (kind & 8) ? 206 : (kind & 16) ? 503 : 200;
    if (kind & 64) answer.retryAfter = u"0";
    const std::size_t from = (answer.status == 206 && !body.empty()) ? input.number() % body.size() : 0;
    if (answer.status == 206) {
      const auto text = [](std::size_t v) {
        const std::string digits = std::to_string(v);
        return std::u16string(digits.begin(), digits.end());
      };
      answer.contentRange = u"bytes " + text(from) + u"-" + text(body.size() - 1) + u"/" + text(body.size());
    }
    answer.length = body.size() - from;
    const std::size_t end = (kind & 32) ? from + (body.size() - from) / 2 : body.size();
    for (std::size_t at = from; at < end; at += update::kChunkSize) {
      answer.chunks.push_back(body.substr(at, std::min<std::size_t>(update::kChunkSize, end - at)));
    }
    answer.readFailsAtEnd = kind & 128;
    http.later.push_back(std::move(answer));
  }

  const int result = update::RunUpdateWorker(args, update::WorkerPorts{http, files, sink, signatures, [](std::u16string_view k) {
                                                                         return std::u16string(k);
                                                                       }});
  FUZZ_CHECK(result == 0 || result == 1);
  FUZZ_CHECK(!sink.messages.empty());
  const bool failed = sink.messages.back().starts_with("E ");
  // Exactly one error, and only as the last message.
  for (std::size_t i = 0; i + 1 < sink.messages.size(); ++i) FUZZ_CHECK(!sink.messages[i].starts_with("E "));
  const std::string& installer = files.files[args.rppath];
  if (failed) {
    FUZZ_CHECK(installer == old);  // a failed update never harms the old installer
  } else {
    FUZZ_CHECK(installer == body);
    FUZZ_CHECK(files.files.count(args.dlpath) == 0);
    const std::size_t n = sink.messages.size();
    FUZZ_CHECK(n >= 5 && sink.messages[n - 4] == "S 3 0" && sink.messages[n - 3] == "S 0 1" &&
               sink.messages[n - 2] == "S 0 2" && sink.messages[n - 1] == "S 0 0");
  }
  FUZZ_CHECK(files.files.count(update::StagingPathFor(args.rppath)) == 0);  // nothing staged is left behind
  return 0;
}
