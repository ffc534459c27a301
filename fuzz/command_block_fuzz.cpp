// A poll pass over a command block of arbitrary bytes with every `pending`
// raised: each request is served once, in order, and acknowledged; the
// handlers read the strings within their fields (ASan watches the reads).
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/fixed_field.h"
#include "fuzz/fuzz_input.h"
#include "linkwarden/poll_pass.h"

namespace {

class ReadingHandlers final : public linkwarden::DriverRequests,
                              public linkwarden::DnsRequests,
                              public linkwarden::RouteRequests,
                              public linkwarden::DialUpCleanup {
 public:
  std::string order;
  void handle(linkwarden::DriverRequest& r) override {
    order += 'v';
    FUZZ_CHECK(common::readField(r.serviceName).size() <= linkwarden::kNameUnits);
    FUZZ_CHECK(common::readField(r.imagePath).size() <= linkwarden::kPathUnits);
  }
  void handle(linkwarden::DnsRequest& r) override {
    order += 'd';
    FUZZ_CHECK(common::readField(r.primaryServer).size() <= linkwarden::kNameUnits);
    FUZZ_CHECK(common::readField(r.secondaryServer).size() <= linkwarden::kNameUnits);
  }
  void handle(linkwarden::RouteRequest& r) override {
    order += 'r';
    FUZZ_CHECK(common::readField(r.listPath).size() <= linkwarden::kPathUnits);
  }
  void removeInstalled() override {}
  void restoreSaved() override {}
  void deleteAdded() override {}
  void hangUpProductConnection() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The block lives on the heap at its exact size, so any read past it is caught.
  auto block = std::make_unique<linkwarden::CommandBlock>();
  std::memcpy(block.get(), data, std::min(size, sizeof(linkwarden::CommandBlock)));
  const bool raised[3] = {block->driver.pending != 0, block->dns.pending != 0, block->route.pending != 0};
  ReadingHandlers handlers;
  linkwarden::RequestHandlers all{handlers, handlers, handlers, handlers};
  std::atomic<bool> clean{true};
  linkwarden::runPass(*block, all, clean);
  std::string expected;
  if (raised[0]) expected += 'v';
  if (raised[1]) expected += 'd';
  if (raised[2]) expected += 'r';
  FUZZ_CHECK(handlers.order == expected);
  FUZZ_CHECK(block->driver.pending == 0 && block->dns.pending == 0 && block->route.pending == 0);
  return 0;
}
