#include <gtest/gtest.h>

#include "common/long_path.h"

namespace common {
namespace {

TEST(LongPath, ExtendedLengthForms) {
  EXPECT_EQ(extendedLengthPath(u"C:\\app\\setup.exe"), u"\\\\?\\C:\\app\\setup.exe");
  EXPECT_EQ(extendedLengthPath(u"\\\\server\\share\\setup.exe"), u"\\\\?\\UNC\\server\\share\\setup.exe");
  EXPECT_EQ(extendedLengthPath(u"\\\\?\\C:\\app\\setup.exe"), u"\\\\?\\C:\\app\\setup.exe");
}

}  // namespace
}  // namespace common
