#include "kickoff/kickoff.h"

#include <atomic>
#include <cstring>

#include "common/channel_options.h"
#include "common/fixed_field.h"
#include "kickoff/start_request.h"

namespace kickoff {
namespace {

constexpr std::size_t kDebugUnits = 1023;  // "[kickoff]%s" is formatted into 1024 units

std::u16string debugText(std::u16string_view prefix, std::u16string_view text) {
  std::u16string line(prefix);
  line += text;
  if (line.size() > kDebugUnits) line.resize(kDebugUnits);
  return line;
}

}  // namespace

int runKickoff(std::span<const std::u16string> tokens, KickoffSystem& system) {
  system.debugOutput(u"[kickoff]\u5f00\u59cb\u4e86");  // "[kickoff]开始了"
  const common::ChannelOptions options = common::parseChannelOptions(tokens);
  if (!options.valid()) return kExitBadOptionsOrStart;

  common::SectionOpening opening = system.openSection(options.sectionName);
  if (!opening.section || opening.createdNew) {
    system.debugOutput(u"[kickoff]no section from the client");
    return kExitNoSection;
  }
  std::uint32_t error = 0;
  if (opening.section->mapView(kStartRequestSize, error) == nullptr) {
    system.debugOutput(u"[kickoff]the section cannot be mapped");
    return kExitViewUnavailable;
  }
  opening.section->unmapView();
  std::unique_ptr<common::SharedSection> section = std::move(opening.section);
  std::unique_ptr<common::ProcessWatch> client = system.watchClient(options.clientPid);

  while (client->waitForExit(kPollMillis) == common::WaitResult::kTimedOut) {
    auto* request = static_cast<StartRequest*>(section->mapView(kStartRequestSize, error));
    if (request == nullptr) continue;  // the request waits for the next poll
    std::atomic_ref<std::uint8_t> pending(request->pending);
    if (pending.load(std::memory_order_acquire) != 0) {
      const std::u16string path = common::readField(request->path);
      system.debugOutput(debugText(u"[kickoff]", path));
      if (!system.open(path)) {
        system.debugOutput(u"[kickoff]sign2");
        section->unmapView();
        return kExitBadOptionsOrStart;
      }
      system.debugOutput(u"[kickoff]sign3,\u5e94\u8be5show\u4e86");  // "[kickoff]sign3,应该show了"
      // The path is cleared before `pending` falls: once it has, the client may
      // already be writing its next path.
      std::memset(request->path, 0, sizeof request->path);
      pending.store(0, std::memory_order_release);
    }
    section->unmapView();
  }
  section.reset();
  system.debugOutput(u"[kickoff]sign4");
  return kExitOk;
}

}  // namespace kickoff
