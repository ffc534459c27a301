// Layout lengths, "pos" values and the default layout from arbitrary text:
// nothing crashes, a parse either succeeds with a sane item or changes
// nothing, and every resolved rectangle edge is an ordinary number.
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "veneer/layout/veneer_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const int scale = 50 + input.byte() * 2;
  const int width = static_cast<int>(input.number() % 5000);
  const int height = static_cast<int>(input.number() % 5000);
  std::vector<veneer::LayoutChild> children;
  for (const std::u16string& text : input.tokens()) {
    if (children.size() >= 8) break;
    veneer::LayoutChild child;
    child.id = static_cast<int>(children.size()) + 1;
    const veneer::VeneerLayoutParam before = child.param;
    if (child.param.SetPos(text) == veneer::SetResult::kInvalidArgument) {
      FUZZ_CHECK(child.param.count == before.count);
    }
    FUZZ_CHECK(child.param.count == 0 || child.param.count == 2 || child.param.count == 4);
    if (auto item = veneer::parsePosItem(text)) FUZZ_CHECK(item->length.value >= 0 && (item->sign == 1 || item->sign == -1));
    child.param.SetOffset(text);
    child.desiredSize = [](int w, int h) { return veneer::LayoutSize{w / 3, h / 5}; };
    children.push_back(std::move(child));
  }
  veneer::LayoutChildren(children, 3, 4, width, height, scale);
  veneer::MeasureChildren(children, scale);
  return 0;
}
