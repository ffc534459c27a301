#include "veneer/res/image.h"

namespace veneer {

bool VBitmap::Assign(int width, int height, std::vector<std::uint32_t> pixels) {
  if (width <= 0 || height <= 0) return false;
  if (pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) return false;
  width_ = width;
  height_ = height;
  pixels_ = std::move(pixels);
  return true;
}

VImageFrames::~VImageFrames() {
  for (IBitmap* frame : frames_) frame->Release();
}

IBitmap* VImageFrames::Frame(int index) const {
  if (index < 0 || index >= FrameCount()) return nullptr;
  return frames_[static_cast<std::size_t>(index)];
}

IBitmap* DecodeBitmap(IImageDecoder* decoder, const void* bytes, std::size_t size) {
  if (decoder == nullptr) return nullptr;
  VRef<IBitmap> bitmap = VRef<IBitmap>::Adopt(new VBitmap);
  if (!decoder->DecodeImage(bytes, size, *bitmap)) return nullptr;
  return bitmap.Detach();
}

}  // namespace veneer
