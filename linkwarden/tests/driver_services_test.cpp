#include "linkwarden/driver_services.h"

#include <gtest/gtest.h>

#include "common/code_page.h"
#include "common/fixed_field.h"
#include "linkwarden/tests/fake_service_manager.h"
#include "linkwarden/tests/log_capture.h"

namespace linkwarden {
namespace {

using Records = std::vector<std::string>;

const std::string kInstallFailed = "LOG_ERROR \xb0\xb2\xd7\xb0\xc7\xfd\xb6\xaf[lwdrv]\xca\xa7\xb0\xdc linkwarden:";
const std::string kRemoveFailed = "LOG_ERROR \xd0\xb6\xd4\xd8\xc7\xfd\xb6\xaf[lwdrv]\xca\xa7\xb0\xdc linkwarden:";

// The line that names the file a trusted install hands to the service manager.
std::string taken(const char* path) {
  return std::string("LOG_WARN  linkwarden: driver of service [lwdrv] taken: ") + path +
         " lies in the tool's folder and is signed by its publisher driver:";
}

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
  testing::FakeDriverOrigin origin;
  testing::LogCapture capture;
  DriverServices drivers{scm, origin, capture.logs};
};

// A service that exists and runs: two warnings, success, no request failure.
TEST_F(DriverServicesTest, InstallOfARunningService) {
  scm.services[u"lwdrv"] = {u"\\??\\C:\\work\\lw.sys", true, 0};
  request(u"lwdrv", true, u"C:\\work\\lw.sys");
  EXPECT_EQ(capture.records(), (Records{taken("C:\\work\\lw.sys"), "LOG_WARN  Service Is Exist\n driver:",
                                        "LOG_WARN  Service Had Been Started\n driver:"}));
  EXPECT_EQ(scm.services[u"lwdrv"].binaryPath, u"\\??\\C:\\work\\lw.sys");  // an existing service keeps its configuration
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
  EXPECT_EQ(capture.records(), (Records{taken("C:\\work\\drivers\\lw.sys"), "LOG_ERROR Start Service Fail: 1114\n driver:", kInstallFailed,
                                        "LOG_ERROR Control Service Stop Fail: 1062\n driver:"}));
}

TEST_F(DriverServicesTest, StartFailureIsLogged) {
  scm.services[u"lwdrv"] = {u"C:\\work\\x.sys", false, 1114};  // exists already, its file cannot load
  request(u"lwdrv", true, u"C:\\work\\x.sys");
  EXPECT_EQ(capture.records(), (Records{taken("C:\\work\\x.sys"), "LOG_WARN  Service Is Exist\n driver:",
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
  scm.services[u"lwdrv"].binaryPath = u"C:\\work\\lw.sys";
  request(u"lwdrv", false);
  EXPECT_EQ(capture.records(), (Records{"LOG_ERROR Control Service Stop Fail: 1062\n driver:"}));
  EXPECT_TRUE(scm.services.empty());
  EXPECT_FALSE(drivers.serviceStates().at(u"lwdrv"));
}

// A service of that name that is not the product's (its file lies elsewhere)
// is neither started by an install request nor stopped and deleted by a
// removal request or the exit.
TEST_F(DriverServicesTest, ForeignServicesAreNeitherStartedNorRemoved) {
  scm.services[u"lwdrv"].binaryPath = u"\\SystemRoot\\System32\\drivers\\old.sys";
  request(u"lwdrv", true, u"lw.sys");
  request(u"lwdrv", false);
  drivers.removeInstalled();
  EXPECT_FALSE(scm.services.at(u"lwdrv").running);
  EXPECT_EQ(scm.calls, (std::vector<std::string>{"connect", "create lwdrv", "open lwdrv", "connect", "open lwdrv"}));
  const Records records = capture.records();
  ASSERT_EQ(records.size(), 6u);
  EXPECT_NE(records[2].find("existing service [lwdrv] not started: the driver it is registered with is refused: it "
                            "lies outside the tool's folder C:\\work"),
            std::string::npos) << records[2];
  EXPECT_EQ(records[3], kInstallFailed);
  EXPECT_NE(records[4].find("service [lwdrv] is not removed: its driver \\SystemRoot\\System32\\drivers\\old.sys "
                            "lies outside the tool's folder"),
            std::string::npos) << records[4];
  EXPECT_EQ(records[5], kRemoveFailed);
}

// The manager cannot be opened: install fails at once; removal still tries and logs.
TEST_F(DriverServicesTest, ManagerUnavailable) {
  scm.connectError = 5;
  request(u"lwdrv", true, u"C:\\work\\x.sys");
  EXPECT_EQ(capture.records(), (Records{taken("C:\\work\\x.sys"), "LOG_ERROR OpenSCManager Fail: 5\n driver:", kInstallFailed}));
}

// Names differing only in case are two entries; the exit removes, in code-unit
// order, only those whose latest request was an install.
TEST_F(DriverServicesTest, ExitRemovesInstalledInCodeUnitOrder) {
  request(u"lwdrv", true, u"C:\\work\\a.sys");
  request(u"LWDRV", true, u"C:\\work\\b.sys");
  request(u"other", true, u"C:\\work\\c.sys");
  request(u"other", false);
  request(u"again", true, u"C:\\work\\d.sys");
  request(u"again", false);
  request(u"again", true, u"C:\\work\\d.sys");
  scm.calls.clear();
  drivers.removeInstalled();
  std::vector<std::string> opened;
  for (const std::string& call : scm.calls) {
    if (call.starts_with("open ")) opened.push_back(call.substr(5));
  }
  EXPECT_EQ(opened, (std::vector<std::string>{"LWDRV", "again", "lwdrv"}));
  EXPECT_TRUE(scm.services.empty());
}

// Only the product's own driver is loaded: a file inside the tool's folder
// once its links are resolved, signed by the tool's publisher. A refusal
// names its reason, touches no service and leaves nothing for the exit.
struct DriverCase {
  const char* what;
  DriverFile file;
  common::FileSignature tool;
  const char* refusal;  // null: installed from the resolved path
};

common::FileSignature signedBy(const char* cert, const char16_t* organization, bool trusted = true) {
  return common::FileSignature{common::Signature::kValid, cert, trusted, true, organization, organization};
}

TEST(DriverTrustTest, OnlyTheProductsOwnDriverIsLoaded) {
  using common::Signature;
  const common::FileSignature publisher = testing::FakeDriverOrigin::publisher();
  const std::u16string beside = u"\\\\?\\C:\\work\\lw.sys";
  const DriverCase cases[] = {
      {"the tool's own publisher, beside it", {beside, 0, publisher}, publisher, nullptr},
      {"below the tool's folder, letter case aside", {u"\\\\?\\c:\\WORK\\drivers\\lw.sys", 0, publisher}, publisher, nullptr},
      {"the publisher's renewed certificate", {beside, 0, signedBy("renewed-cert", u"Tavaro")}, publisher, nullptr},
      {"outside the folder", {u"\\\\?\\C:\\Users\\me\\lw.sys", 0, publisher}, publisher,
       "refused: it lies outside the tool's folder C:\\work (resolved: C:\\Users\\me\\lw.sys)"},
      {"a folder whose name only starts like the tool's", {u"\\\\?\\C:\\workshop\\lw.sys", 0, publisher}, publisher,
       "it lies outside the tool's folder"},
      {"through a link that leads out", {u"\\\\?\\UNC\\host\\share\\lw.sys", 0, publisher}, publisher,
       "(resolved: \\\\host\\share\\lw.sys)"},
      {"unsigned", {beside, 0, common::FileSignature{}}, publisher, "refused: it is not signed (C:\\work\\lw.sys)"},
      {"tampered", {beside, 0, common::FileSignature{Signature::kInvalid, "", false, false, u"", u""}}, publisher, "its signature does not match its content"},
      {"another publisher", {beside, 0, signedBy("other-cert", u"Somebody Else")}, publisher,
       "it is signed by another publisher"},
      {"the publisher's name under no trusted root", {beside, 0, signedBy("lookalike", u"Tavaro", false)}, publisher,
       "no trusted root vouches for it"},
      {"a tool that is not signed", {beside, 0, publisher}, common::FileSignature{}, "this tool is not signed"},
      {"a file that cannot be opened", {u"", 2, common::FileSignature{}}, publisher, "refused: it cannot be opened (error 2)"},
  };
  for (const DriverCase& c : cases) {
    SCOPED_TRACE(c.what);
    testing::FakeServiceManager scm;
    testing::FakeDriverOrigin origin;
    testing::LogCapture capture;
    DriverServices drivers{scm, origin, capture.logs};
    origin.own = c.tool;
    origin.files[u"C:\\work\\lw.sys"] = c.file;
    DriverRequest r{};
    r.install = 1;
    common::writeField(r.serviceName, u"lwdrv");
    common::writeField(r.imagePath, u"lw.sys");
    drivers.handle(r);
    if (c.refusal == nullptr) {
      EXPECT_EQ(scm.services.at(u"lwdrv").binaryPath, c.file.resolvedPath.substr(4));
      EXPECT_EQ(capture.records(), (Records{"LOG_WARN  linkwarden: driver of service [lwdrv] taken: " +
                                            common::toGbk(c.file.resolvedPath.substr(4)) +
                                            " lies in the tool's folder and is signed by its publisher driver:"}));
      continue;
    }
    EXPECT_TRUE(scm.calls.empty());
    EXPECT_EQ(drivers.serviceStates().count(u"lwdrv"), 0u);
    const Records records = capture.records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_NE(records[0].find(c.refusal), std::string::npos) << records[0];
    EXPECT_NE(records[0].find("driver of service [lwdrv] refused"), std::string::npos) << records[0];
    EXPECT_EQ(records[1], kInstallFailed);
  }
}

}  // namespace
}  // namespace linkwarden
