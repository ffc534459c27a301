#include "stagehand/installer_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace stagehand {
namespace {

InstallerOptions parse(std::vector<std::u16string> tokens) { return parseInstallerOptions(tokens); }

// Options from the second argument on, in any case; later ones win.
TEST(InstallerOptions, Parsing) {
  const InstallerOptions o =
      parse({u"C:\\setup.exe", u"--DELAY=1", u"--runarg=update", u"--Install-Only", u"--clear-first", u"--delay=25x"});
  EXPECT_EQ(o.delayMs, 25);
  EXPECT_TRUE(o.installOnly);
  EXPECT_TRUE(o.clearFirst);
  EXPECT_EQ(o.runArg, u"update");

  const InstallerOptions none = parse({u"--install-only", u"/S"});  // the program path is not an option
  EXPECT_FALSE(none.installOnly);
  EXPECT_EQ(none.delayMs, 0);
  EXPECT_EQ(parse({u"x", u"--runarg=" + std::u16string(300, u'r')}).runArg.size(), kRunArgUnits);

  // A second InitInstall in the same load starts from what the first set:
  // options set values, their absence clears none.
  const std::vector<std::u16string> later{u"setup.exe", u"--delay=3"};
  const InstallerOptions again = parseInstallerOptions(later, o);
  EXPECT_EQ(again.delayMs, 3);
  EXPECT_TRUE(again.installOnly);
  EXPECT_TRUE(again.clearFirst);
  EXPECT_EQ(again.runArg, u"update");
}

// The data folder and the launcher's command line, each argument quoted whole.
TEST(InstallerOptions, PathsAndCommandLine) {
  EXPECT_EQ(dataFolderPath(u"C:\\Users\\me\\AppData\\Roaming"), u"C:\\Users\\me\\AppData\\Roaming\\tavarovideo\\V14");
  EXPECT_EQ(dataFolderPath(u""), u"\\tavarovideo\\V14");
  EXPECT_EQ(launcherPath(u"C:\\Program Files\\Tavaro\\"), u"C:\\Program Files\\Tavaro\\Bin\\tavaro.exe");
  EXPECT_EQ(launcherCommandLine(u"C:\\Tavaro", u"C:\\dl\\setup.exe", u"update"),
            u"\"C:\\Tavaro\\Bin\\tavaro.exe\" \"--loaderpath=C:\\dl\\setup.exe\" \"--startreson=update\"");
  EXPECT_EQ(launcherCommandLine(u"C:\\Tavaro", u"C:\\setup.exe", u""),
            u"\"C:\\Tavaro\\Bin\\tavaro.exe\" \"--loaderpath=C:\\setup.exe\" \"--startreson=\"");
}

}  // namespace
}  // namespace stagehand
