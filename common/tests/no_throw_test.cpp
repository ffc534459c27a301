// The boundary guard: whatever the body throws ends in the guard, described,
// even when the report itself throws.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "common/no_throw.h"

namespace common {
namespace {

TEST(NoThrow, EveryExceptionEndsAtTheBoundary) {
  std::string seen;
  const auto remember = [&](const char* what) { seen = what; };
  EXPECT_TRUE(callWithoutThrowing([] {}, remember));
  EXPECT_EQ(seen, "");
  EXPECT_FALSE(callWithoutThrowing([] { throw std::runtime_error("disk gone"); }, remember));
  EXPECT_EQ(seen, "disk gone");
  EXPECT_FALSE(callWithoutThrowing([] { throw 42; }, remember));
  EXPECT_EQ(seen, "an exception of unknown type");
  EXPECT_FALSE(callWithoutThrowing([] { throw std::bad_alloc(); }, [](const char*) { throw std::bad_alloc(); }));
}

}  // namespace
}  // namespace common
