#include "client/client_script.h"

#include "common/fixed_field.h"
#include "common/option_text.h"

namespace client {
namespace {

struct StepShape {
  const char16_t* word;
  Step::Kind kind;
  std::size_t arguments;
};

constexpr StepShape kShapes[] = {
    {u"driver-install", Step::Kind::kDriverInstall, 2}, {u"driver-remove", Step::Kind::kDriverRemove, 1},
    {u"dns-apply", Step::Kind::kDnsApply, 3},           {u"dns-dhcp", Step::Kind::kDnsDhcp, 1},
    {u"dns-restore", Step::Kind::kDnsRestore, 0},       {u"route-add", Step::Kind::kRouteAdd, 1},
    {u"route-delete", Step::Kind::kRouteDelete, 1},     {u"route-pattern", Step::Kind::kRoutePattern, 3},
    {u"raise", Step::Kind::kRaise, 0},                  {u"sleep", Step::Kind::kSleep, 1},
    {u"wait-event", Step::Kind::kWaitEvent, 1},         {u"signal-event", Step::Kind::kSignalEvent, 1},
    {u"kickoff", Step::Kind::kKickoff, 1},              {u"sentinel", Step::Kind::kSentinel, 1},
    {u"update", Step::Kind::kUpdate, 5},
};

bool isNumber(std::u16string_view text) {
  if (text.empty() || text.size() > 9) return false;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
  }
  return true;
}

}  // namespace

std::optional<ScriptError> parseScript(std::span<const std::u16string> tokens, std::vector<Step>& steps) {
  for (std::size_t i = 0; i < tokens.size();) {
    const StepShape* shape = nullptr;
    for (const StepShape& s : kShapes) {
      if (tokens[i] == s.word) shape = &s;
    }
    if (shape == nullptr) return ScriptError{i, "unknown step"};
    if (i + shape->arguments >= tokens.size()) return ScriptError{i, "missing arguments"};
    Step step{shape->kind, {tokens.begin() + static_cast<std::ptrdiff_t>(i + 1),
                            tokens.begin() + static_cast<std::ptrdiff_t>(i + 1 + shape->arguments)}};
    const bool numeric = step.kind == Step::Kind::kSleep || step.kind == Step::Kind::kDnsDhcp;
    if (numeric && !isNumber(step.args[0])) return ScriptError{i + 1, "not a number"};
    if (step.kind == Step::Kind::kDnsApply && !isNumber(step.args[0])) return ScriptError{i + 1, "not a number"};
    steps.push_back(std::move(step));
    i += 1 + shape->arguments;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> parseIpv4(std::u16string_view text) {
  std::uint32_t value = 0;
  for (int part = 0; part < 4; ++part) {
    std::size_t digits = 0;
    std::uint32_t octet = 0;
    while (digits < text.size() && text[digits] >= u'0' && text[digits] <= u'9' && digits < 3) {
      octet = octet * 10 + static_cast<std::uint32_t>(text[digits] - u'0');
      ++digits;
    }
    if (digits == 0 || octet > 255) return std::nullopt;
    value |= octet << (8 * part);
    text.remove_prefix(digits);
    if (part < 3) {
      if (text.empty() || text[0] != u'.') return std::nullopt;
      text.remove_prefix(1);
    }
  }
  if (!text.empty()) return std::nullopt;
  return value;
}

std::optional<unsigned> fillRequest(const Step& step, linkwarden::CommandBlock& block) {
  using Kind = Step::Kind;
  switch (step.kind) {
    case Kind::kDriverInstall:
    case Kind::kDriverRemove: {
      block.driver.install = step.kind == Kind::kDriverInstall;
      bool fits = common::writeField(block.driver.serviceName, step.args[0]);
      if (step.kind == Kind::kDriverInstall) fits = fits && common::writeField(block.driver.imagePath, step.args[1]);
      return fits ? std::optional<unsigned>(kFilledDriver) : std::nullopt;
    }
    case Kind::kDnsApply:
    case Kind::kDnsDhcp:
    case Kind::kDnsRestore: {
      block.dns.apply = step.kind != Kind::kDnsRestore;
      block.dns.useDhcp = step.kind == Kind::kDnsDhcp;
      if (step.kind != Kind::kDnsRestore) block.dns.interfaceIndex = common::leadingDecimal(step.args[0]);
      const bool fits = step.kind != Kind::kDnsApply || (common::writeField(block.dns.primaryServer, step.args[1]) &&
                                                         common::writeField(block.dns.secondaryServer, step.args[2]));
      return fits ? std::optional<unsigned>(kFilledDns) : std::nullopt;
    }
    case Kind::kRouteAdd:
    case Kind::kRouteDelete:
      block.route.add = step.kind == Kind::kRouteAdd;
      if (!common::writeField(block.route.listPath, step.args[0])) return std::nullopt;
      return kFilledRoute;
    case Kind::kRoutePattern: {
      const auto nextHop = parseIpv4(step.args[0]);
      if (!nextHop) return std::nullopt;
      block.route.templateRow.dwForwardNextHop = *nextHop;
      block.route.templateRow.dwForwardIfIndex = common::leadingDecimal(step.args[1]);
      block.route.templateRow.dwForwardMetric1 = common::leadingDecimal(step.args[2]);
      block.route.templateRow.dwForwardType = 4;   // indirect
      block.route.templateRow.dwForwardProto = 3;  // static (net management)
      return 0u;
    }
    default:
      return 0u;
  }
}

}  // namespace client
