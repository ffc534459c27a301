#include "linkwarden/dns_settings.h"

#include <gtest/gtest.h>

#include <map>

#include "common/fixed_field.h"
#include "linkwarden/tests/log_capture.h"

namespace linkwarden {
namespace {

using Commands = std::vector<std::u16string>;

// One interface (index 7, "Ethernet") whose settings netsh changes as asked.
class FakeNetwork final : public DnsSystem, public NetshRunner {
 public:
  std::vector<std::u16string> servers{u""};  // what the adapter reports
  std::u16string nameServer;                   // the registry list; empty means automatic
  bool netshWorks = true;
  std::uint32_t version = 6;
  Commands commands;
  std::vector<std::u16string> keysRead;

  bool adapterDnsServers(std::uint32_t ifIndex, std::vector<std::u16string>& out) override {
    if (ifIndex != 7) return false;
    out = servers;
    return true;
  }
  std::u16string adapterName(std::uint32_t ifIndex) override {
    return ifIndex == 7 ? u"\\DEVICE\\TCPIP_{4D36E972-E325}" : u"";
  }
  std::u16string nameServerValue(std::u16string_view key) override {
    keysRead.emplace_back(key);
    return key.ends_with(u"{4D36E972-E325}") ? nameServer : u"";
  }
  std::u16string friendlyName(std::uint32_t ifIndex) override { return ifIndex == 7 ? u"Ethernet" : u""; }
  std::uint32_t majorVersion() override { return version; }

  NetshOutcome run(std::u16string_view parameters, std::uint32_t&) override {
    commands.emplace_back(parameters);
    if (!netshWorks) return NetshOutcome::kEnded;
    const std::u16string text(parameters);
    if (text.ends_with(u" dhcp")) {
      servers = {u"192.168.1.1"};
      nameServer.clear();
    } else if (const auto at = text.find(u" static "); at != std::u16string::npos) {
      const auto end = text.find(u' ', at + 8);
      servers = {text.substr(at + 8, end - at - 8)};
      nameServer = servers[0];
    } else if (const auto add = text.rfind(u"\" "); add != std::u16string::npos) {
      servers.push_back(text.substr(add + 2, text.find(u' ', add + 2) - add - 2));
    }
    return NetshOutcome::kEnded;
  }
};

class DnsSettingsTest : public ::testing::Test {
 protected:
  void request(bool apply, bool useDhcp = false, const char16_t* primary = u"", const char16_t* secondary = u"",
               std::uint32_t ifIndex = 7) {
    DnsRequest r{};
    r.apply = apply;
    r.useDhcp = useDhcp;
    r.interfaceIndex = ifIndex;
    common::writeField(r.primaryServer, primary);
    common::writeField(r.secondaryServer, secondary);
    dns.handle(r);
  }

  FakeNetwork net;
  testing::LogCapture capture;
  DnsSettings dns{net, net, capture.logs};
};

const std::u16string kDhcp = u" interface ip set dnsservers \"Ethernet\" dhcp";

// Apply 127.0.0.1 on an automatic interface: captured as automatic, and the
// exit switches the captured interface back to automatic.
TEST_F(DnsSettingsTest, CaptureAutomaticThenRestoreAtExit) {
  net.servers = {u"192.168.1.1"};
  request(true, false, u"127.0.0.1");
  EXPECT_TRUE(dns.saved().useDhcp);
  EXPECT_EQ(dns.saved().interfaceIndex, 7u);
  EXPECT_EQ(net.commands, Commands{u" interface ip set dnsservers \"Ethernet\" static 127.0.0.1 validate=no"});
  EXPECT_EQ(net.keysRead.front(),
            u"SYSTEM\\ControlSet001\\services\\Tcpip\\Parameters\\Interfaces\\{4D36E972-E325}");
  net.commands.clear();
  dns.restoreSaved();
  EXPECT_EQ(net.commands, Commands{kDhcp});
}

// A first server of 127.0.0.1 with a configured registry list is still
// captured as automatic.
TEST_F(DnsSettingsTest, LoopbackFirstServerCapturedAsAutomatic) {
  net.servers = {u"127.0.0.1", u"8.8.8.8"};
  net.nameServer = u"127.0.0.1,8.8.8.8";
  request(true, false, u"10.0.0.1");
  EXPECT_TRUE(dns.saved().useDhcp);
  EXPECT_EQ(dns.saved().secondaryServer, u"8.8.8.8");
  net.commands.clear();
  dns.restoreSaved();
  EXPECT_EQ(net.commands, Commands{kDhcp});
}

// One command a pass with one server, two with both; the settings take at once.
TEST_F(DnsSettingsTest, OneOrTwoCommandsPerPass) {
  request(true, false, u"10.0.0.1");
  EXPECT_EQ(net.commands.size(), 1u);
  net.commands.clear();
  request(true, false, u"10.0.0.2", u"10.0.0.3");
  EXPECT_EQ(net.commands, (Commands{u" interface ip set dnsservers \"Ethernet\" static 10.0.0.2 validate=no",
                                    u" interface ip add dnsservers \"Ethernet\" 10.0.0.3 validate=no"}));
}

// An empty first server: no first command, and the re-check never succeeds
// while the interface reports a first server, so 11 passes of the second.
TEST_F(DnsSettingsTest, EmptyFirstServerGivesElevenPasses) {
  net.servers = {u"192.168.1.1"};
  request(true, false, u"", u"10.0.0.3");
  EXPECT_EQ(net.commands.size(), 11u);
  EXPECT_EQ(net.commands.front(), u" interface ip add dnsservers \"Ethernet\" 10.0.0.3 validate=no");
}

// netsh that changes nothing: 11 passes and no more.
TEST_F(DnsSettingsTest, RejectedCommandsStopAfterElevenPasses) {
  net.nameServer = u"10.9.9.9";  // configured servers: not automatic, and netsh will not change that
  net.netshWorks = false;
  request(true, true);
  EXPECT_EQ(net.commands, Commands(11, kDhcp));
}

// Major version 5 says "dns".
TEST_F(DnsSettingsTest, KeywordByVersion) {
  net.version = 5;
  request(true, true);
  EXPECT_EQ(net.commands.front(), u" interface ip set dns \"Ethernet\" dhcp");
}

// Two restore requests and the exit restore the same capture three times.
TEST_F(DnsSettingsTest, RestoresThreeTimes) {
  net.servers = {u"10.1.1.1", u"10.1.1.2"};
  net.nameServer = u"10.1.1.1 10.1.1.2";
  request(true, false, u"10.0.0.1");
  EXPECT_FALSE(dns.saved().useDhcp);
  EXPECT_EQ(dns.saved().primaryServer, u"10.1.1.1");
  net.commands.clear();
  request(false);
  request(false);
  dns.restoreSaved();
  const std::u16string restore = u" interface ip set dnsservers \"Ethernet\" static 10.1.1.1 validate=no";
  const std::u16string second = u" interface ip add dnsservers \"Ethernet\" 10.1.1.2 validate=no";
  EXPECT_EQ(net.commands, (Commands{restore, second, restore, second, restore, second}));
}

// A capture that finds neither automatic DNS nor a first server captures
// nothing, so the next request captures again.
TEST_F(DnsSettingsTest, EmptyCaptureIsTakenAgain) {
  net.servers = {u""};
  net.nameServer = u"10.9.9.9";
  net.netshWorks = false;
  request(true, true);
  EXPECT_FALSE(dns.saved().captured());
  net.servers = {u"10.9.9.9"};
  request(true, true);
  EXPECT_TRUE(dns.saved().captured());
  EXPECT_EQ(dns.saved().primaryServer, u"10.9.9.9");
}

// An interface that matches no adapter reads the bare registry prefix, which
// holds no list: captured as automatic; netsh is told no interface name.
TEST_F(DnsSettingsTest, UnknownInterface) {
  request(true, true, u"", u"", 99);
  EXPECT_TRUE(dns.saved().useDhcp);
  EXPECT_EQ(net.keysRead.front(), kInterfacesKey);
  EXPECT_EQ(net.commands.front(), u" interface ip set dnsservers \"\" dhcp");
}

// Server texts that are not IPv4 addresses never reach netsh.
TEST_F(DnsSettingsTest, RefusesNonAddressServers) {
  request(true, false, u"1.1.1.1 & net user x /add");
  request(true, false, u"10.0.0.1", u"8.8.8.8\" \"x");
  EXPECT_TRUE(net.commands.empty());
  const auto records = capture.records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], "LOG_ERROR linkwarden: DNS server \"1.1.1.1 & net user x /add\" is no IPv4 address; nothing "
                        "changed dns:");
}

TEST(DottedIpv4, StrictForm) {
  for (const char16_t* good : {u"0.0.0.0", u"255.255.255.255", u"10.0.0.1", u"010.1.1.1"}) {
    EXPECT_TRUE(isDottedIpv4(good));
  }
  for (const char16_t* bad : {u"", u"1.2.3", u"1.2.3.4.5", u"256.1.1.1", u"1.2.3.4 ", u" 1.2.3.4", u"1..2.3",
                              u"0x1.1.1.1", u"1.2.3.4/8", u"1111.1.1.1"}) {
    EXPECT_FALSE(isDottedIpv4(bad)) << std::string(bad, bad + std::char_traits<char16_t>::length(bad));
  }
}

}  // namespace
}  // namespace linkwarden
