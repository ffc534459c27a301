#include "linkwarden/poll_pass.h"

namespace linkwarden {
namespace {

// The client raises `pending` last, so it is read with acquire ordering
// before any field, and cleared with release ordering after the handler.
bool isPending(std::uint8_t& pending) {
  return std::atomic_ref<std::uint8_t>(pending).load(std::memory_order_acquire) != 0;
}

void acknowledge(std::uint8_t& pending) {
  std::atomic_ref<std::uint8_t>(pending).store(0, std::memory_order_release);
}

template <class Request, class Handle>
void serve(Request& request, std::uint8_t Request::*action, Handle handle, std::atomic<bool>& environmentClean) {
  if (!isPending(request.pending)) return;
  handle(request);
  acknowledge(request.pending);
  environmentClean.store(request.*action == 0);
}

}  // namespace

void runPass(CommandBlock& block, RequestHandlers& handlers, std::atomic<bool>& environmentClean) {
  serve(block.driver, &DriverRequest::install, [&](DriverRequest& r) { handlers.driver.handle(r); },
        environmentClean);
  serve(block.dns, &DnsRequest::apply, [&](DnsRequest& r) { handlers.dns.handle(r); }, environmentClean);
  serve(block.route, &RouteRequest::add, [&](RouteRequest& r) { handlers.routes.handle(r); }, environmentClean);
}

}  // namespace linkwarden
