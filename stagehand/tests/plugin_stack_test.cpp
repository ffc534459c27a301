#include "stagehand/plugin_stack.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace stagehand {
namespace {

int liveBlocks = 0;
std::size_t lastBytes = 0;
void* allocateZeroed(std::size_t bytes) {
  ++liveBlocks;
  lastBytes = bytes;
  return std::calloc(1, bytes);
}
void release(void* block) {
  --liveBlocks;
  std::free(block);
}

class PluginStackTest : public ::testing::Test {
 protected:
  PluginStackTest() : variables(static_cast<std::size_t>(kVariableCount) * 8, u'\0') {
    context = PluginContext{8, variables.data(), &top, {&allocateZeroed, &release}};
  }
  ~PluginStackTest() override {
    std::u16string ignored;
    while (context.pop(ignored)) {
    }
    EXPECT_EQ(liveBlocks, 0);
  }

  std::vector<char16_t> variables;
  StackEntry* top = nullptr;
  PluginContext context;
};

// Last in, first out; each entry holds at most N − 1 units and its terminator.
TEST_F(PluginStackTest, PushCutsAtNMinusOneAndPopsInReverse) {
  context.push(u"C:\\Data\\tavarovideo\\V14");
  context.pushNumber(10);
  context.pushNumber(-3);
  std::u16string value;
  ASSERT_TRUE(context.pop(value));
  EXPECT_EQ(value, u"-3");
  ASSERT_TRUE(context.pop(value));
  EXPECT_EQ(value, u"10");
  ASSERT_TRUE(context.pop(value));
  EXPECT_EQ(value, u"C:\\Data");  // 7 of the 8 units
  EXPECT_FALSE(context.pop(value));
  EXPECT_EQ(value, u"C:\\Data");  // an empty stack leaves the buffer alone
  // Each entry is as large as the host makes its own: the link padded to two
  // links' size, then N units (2N + 8 bytes in the 32-bit product).
  EXPECT_EQ(lastBytes, 2 * 8 + 2 * sizeof(void*));
}

// Without a stack-top variable nothing is pushed and nothing popped.
TEST_F(PluginStackTest, NoStackTop) {
  PluginContext none = context;
  none.stackTop = nullptr;
  none.push(u"x");
  EXPECT_EQ(liveBlocks, 0);
  std::u16string value = u"kept";
  EXPECT_FALSE(none.pop(value));
  EXPECT_EQ(value, u"kept");
}

// Entries pushed by the host (possibly without a terminator) are read within N units.
TEST_F(PluginStackTest, PopReadsWithinTheEntry) {
  context.push(u"1234567");
  for (int i = 0; i < 8; ++i) top->text[i] = u'z';  // overwrite the terminator too
  std::u16string value;
  ASSERT_TRUE(context.pop(value));
  EXPECT_EQ(value, std::u16string(8, u'z'));
}

// Variables 0 to 24, N units apart; any other index is no variable.
TEST_F(PluginStackTest, Variables) {
  EXPECT_EQ(context.variable(0), variables.data());
  EXPECT_EQ(context.variable(kInstallFolderVariable), variables.data() + 80);
  EXPECT_EQ(context.variable(24), variables.data() + 192);
  EXPECT_EQ(context.variable(25), nullptr);
  EXPECT_EQ(context.variable(-1), nullptr);
}

}  // namespace
}  // namespace stagehand
