#pragma once

#include "veneer/res/image.h"

namespace veneer {

class StbImageDecoder final : public TObjRefImpl<IImageDecoder> {
 public:
  bool DecodeImage(const void* bytes, std::size_t size, IBitmap& into) override;
  IImageFrames* DecodeFrames(const void* bytes, std::size_t size) override;
};

}  // namespace veneer
