// The installer's plug-in stack under random pushes and pops with random
// string sizes: entries hold at most N − 1 units, pops return what was pushed.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "stagehand/plugin_stack.h"

namespace {

void* allocateZeroed(std::size_t bytes) { return std::calloc(1, bytes); }
void release(void* block) { std::free(block); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const int stringSize = 1 + input.byte() % 64;
  std::vector<char16_t> variables(static_cast<std::size_t>(stagehand::kVariableCount * stringSize));
  stagehand::StackEntry* top = nullptr;
  const stagehand::PluginContext context{stringSize, variables.data(), &top, {&allocateZeroed, &release}};
  std::vector<std::u16string> model;
  while (!input.empty()) {
    const std::uint8_t op = input.byte();
    if (op % 3 != 0) {
      std::u16string text = input.units(op % 80);
      std::replace(text.begin(), text.end(), u'\0', u'x');
      context.push(text);
      model.push_back(text.substr(0, static_cast<std::size_t>(stringSize - 1)));
    } else {
      std::u16string out = u"untouched";
      const bool popped = context.pop(out);
      FUZZ_CHECK(popped == !model.empty());
      if (popped) {
        FUZZ_CHECK(out == model.back());
        model.pop_back();
      } else {
        FUZZ_CHECK(out == u"untouched");
      }
    }
    FUZZ_CHECK(context.variable(op % 30) == (op % 30 < 25 ? variables.data() + (op % 30) * stringSize : nullptr));
  }
  std::u16string rest;
  while (context.pop(rest)) {
  }
  return 0;
}
