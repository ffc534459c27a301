#include "stagehand/plugin_stack.h"

#include <algorithm>
#include <string>

namespace stagehand {

char16_t* PluginContext::variable(int index) const {
  if (variables == nullptr || index < 0 || index >= kVariableCount || stringSize <= 0) return nullptr;
  return variables + static_cast<std::ptrdiff_t>(index) * stringSize;
}

void PluginContext::push(std::u16string_view text) const {
  if (stackTop == nullptr || stringSize <= 0) return;
  const std::size_t units = static_cast<std::size_t>(stringSize);
  // The host's own entry size: the entry record (link and one unit, padded:
  // 8 bytes in the 32-bit product) and N units, so 2N + 8 bytes there.
  auto* entry = static_cast<StackEntry*>(heap.allocateZeroed(sizeof(StackEntry) + units * sizeof(char16_t)));
  if (entry == nullptr) return;
  const std::size_t copied = std::min(text.size(), units - 1);
  std::copy_n(text.data(), copied, entry->text);
  entry->text[copied] = u'\0';
  entry->next = *stackTop;
  *stackTop = entry;
}

void PluginContext::pushNumber(int number) const {
  const std::string digits = std::to_string(number);
  push(std::u16string(digits.begin(), digits.end()));
}

bool PluginContext::pop(std::u16string& out) const {
  if (stackTop == nullptr || *stackTop == nullptr) return false;
  StackEntry* top = *stackTop;
  const std::size_t units = stringSize > 0 ? static_cast<std::size_t>(stringSize) : 0;
  out.assign(top->text, std::find(top->text, top->text + units, u'\0'));
  *stackTop = top->next;
  heap.release(top);
  return true;
}

}  // namespace stagehand
