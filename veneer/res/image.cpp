#include "veneer/res/image.h"

#include <mutex>

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

namespace {

class SoftwareRenderFactory final : public TRenderFactoryImpl<IRenderFactory> {
 public:
  IBitmap* CreateBitmap() override { return new VBitmap; }
};

std::mutex& factoryLock() {
  static std::mutex lock;
  return lock;
}

VRef<IRenderFactory>& factorySlot() {
  static VRef<IRenderFactory> factory = VRef<IRenderFactory>::Adopt(new SoftwareRenderFactory);
  return factory;
}

}  // namespace

void SetRenderFactory(IRenderFactory* factory) {
  std::lock_guard guard(factoryLock());
  factorySlot() = factory != nullptr ? VRef<IRenderFactory>::Share(factory)
                                     : VRef<IRenderFactory>::Adopt(new SoftwareRenderFactory);
}

VRef<IRenderFactory> CurrentRenderFactory() {
  std::lock_guard guard(factoryLock());
  return factorySlot();
}

IBitmap* DecodeBitmap(IImageDecoder* decoder, const void* bytes, std::size_t size) {
  if (decoder == nullptr) return nullptr;
  VRef<IBitmap> bitmap = VRef<IBitmap>::Adopt(CurrentRenderFactory()->CreateBitmap());
  if (!bitmap) return nullptr;
  if (!decoder->DecodeImage(bytes, size, *bitmap)) return nullptr;
  return bitmap.Detach();
}

}  // namespace veneer
