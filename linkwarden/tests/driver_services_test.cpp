#include "linkwarden/driver_services.h"

#include <gtest/gtest.h>

#include "common/fixed_field.h"
#include "linkwarden/tests/fake_service_manager.h"
#include "linkwarden/tests/log_capture.h"

namespace linkwarden {
namespace {

using Records = std::vector<std::string>;

const std::string kInstallFailed = "LOG_ERROR \xb0\xb2\xd7\xb0\xc7\xfd\xb6\xaf[lwdrv]\xca\xa7\xb0\xdc linkwarden:";
const std::string kRemoveFailed = "LOG_ERROR \xd0\xb6\xd4\xd8\xc7\xfd\xb6\xaf[lwdrv]\xca\xa7\xb0\xdc linkwarden:";

class DriverServicesTest : public ::testing::Test {
 protected:
  void request(const char16_t* name, bool install, const char16_t* path = u"") {
    DriverRequest r{};
    r.install = install;
    common::writeField(r.serviceName, name);
    common::writeField(r.imagePath, path);
    drivers.handle(r);
  }

  testing::FakeServiceManager scm;
  testing::LogCapture capture;
  DriverServices drivers{scm, capture.logs};
};

// A service that exists and runs: two warnings, success, no request failure.
TEST_F(DriverServicesTest, InstallOfARunningService) {
  scm.services[u"lwdrv"].running = true;
  request(u"lwdrv", true, u"C:\\drv\\lw.sys");
  EXPECT_EQ(capture.records(), (Records{"LOG_WARN  Service Is Exist\n driver:",
                                        "LOG_WARN  Service Had Been Started\n driver:"}));
  EXPECT_EQ(scm.services[u"lwdrv"].binaryPath, u"");  // an existing service keeps its configuration
}

// A driver that cannot be loaded: created, start fails, the request fails,
// and the exit removes the service all the same.
TEST_F(DriverServicesTest, DriverThatCannotLoad) {
  scm.startErrorForNew = 1114;
  request(u"lwdrv", true, u"drivers\\lw.sys");
  EXPECT_EQ(scm.services[u"lwdrv"].binaryPath, u"C:\\work\\drivers\\lw.sys");  // relative to the current folder
  scm.calls.clear();
  drivers.removeInstalled();
  EXPECT_EQ(scm.calls, (std::vector<std::string>{"connect", "open lwdrv", "stop lwdrv", "delete lwdrv"}));
  EXPECT_TRUE(scm.services.empty());
  EXPECT_EQ(capture.records(), (Records{"LOG_ERROR Start Service Fail: 1114\n driver:", kInstallFailed,
                                        "LOG_ERROR Control Service Stop Fail: 1062\n driver:"}));
}

TEST_F(DriverServicesTest, StartFailureIsLogged) {
  scm.services[u"lwdrv"].startError = 1114;  // exists already, registered with a bad file
  request(u"lwdrv", true, u"C:\\x.sys");
  EXPECT_EQ(capture.records(), (Records{"LOG_WARN  Service Is Exist\n driver:",
                                        "LOG_ERROR Start Service Fail: 1114\n driver:", kInstallFailed}));
  EXPECT_TRUE(drivers.serviceStates().at(u"lwdrv"));
}

// Removing a service that does not exist: three failure lines and the request failure.
TEST_F(DriverServicesTest, RemovalOfAMissingService) {
  request(u"lwdrv", false);
  EXPECT_EQ(capture.records(),
            (Records{"LOG_ERROR Open Service Fail: 1060\n driver:", "LOG_ERROR Control Service Stop Fail: 6\n driver:",
                     "LOG_ERROR Delete Service Fail: 6\n driver:", kRemoveFailed}));
}

// A stopped service: the stop fails and is logged, the service is deleted, success.
TEST_F(DriverServicesTest, RemovalOfAStoppedService) {
  scm.services[u"lwdrv"];
  request(u"lwdrv", false);
  EXPECT_EQ(capture.records(), (Records{"LOG_ERROR Control Service Stop Fail: 1062\n driver:"}));
  EXPECT_TRUE(scm.services.empty());
  EXPECT_FALSE(drivers.serviceStates().at(u"lwdrv"));
}

// The manager cannot be opened: install fails at once; removal still tries and logs.
TEST_F(DriverServicesTest, ManagerUnavailable) {
  scm.connectError = 5;
  request(u"lwdrv", true, u"C:\\x.sys");
  EXPECT_EQ(capture.records(), (Records{"LOG_ERROR OpenSCManager Fail: 5\n driver:", kInstallFailed}));
}

// Names differing only in case are two entries; the exit removes, in code-unit
// order, only those whose latest request was an install.
TEST_F(DriverServicesTest, ExitRemovesInstalledInCodeUnitOrder) {
  request(u"lwdrv", true, u"C:\\a.sys");
  request(u"LWDRV", true, u"C:\\b.sys");
  request(u"other", true, u"C:\\c.sys");
  request(u"other", false);
  request(u"again", true, u"C:\\d.sys");
  request(u"again", false);
  request(u"again", true, u"C:\\d.sys");
  scm.calls.clear();
  drivers.removeInstalled();
  std::vector<std::string> opened;
  for (const std::string& call : scm.calls) {
    if (call.starts_with("open ")) opened.push_back(call.substr(5));
  }
  EXPECT_EQ(opened, (std::vector<std::string>{"LWDRV", "again", "lwdrv"}));
  EXPECT_TRUE(scm.services.empty());
}

}  // namespace
}  // namespace linkwarden
