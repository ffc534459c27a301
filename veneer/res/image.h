// Decoded images and the decoders that make them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "veneer/core/ref_counted.h"

namespace veneer {

// 32-bit pixels, 0xAARRGGBB, rows top to bottom, not premultiplied.
class IBitmap : public IObjRef {
 public:
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual const std::uint32_t* Pixels() const = 0;
  // Replaces the content; false for a size that is not positive or does not fit the pixels.
  virtual bool Assign(int width, int height, std::vector<std::uint32_t> pixels) = 0;
};

class IImageFrames : public IObjRef {
 public:
  virtual int FrameCount() const = 0;
  virtual IBitmap* Frame(int index) const = 0;  // borrowed; null outside 0..count-1
};

class IImageDecoder : public IObjRef {
 public:
  // Decodes the first frame into `into`; false (and `into` unchanged) for data it cannot read.
  virtual bool DecodeImage(const void* bytes, std::size_t size, IBitmap& into) = 0;
  // Every frame; null for data it cannot read.
  virtual IImageFrames* DecodeFrames(const void* bytes, std::size_t size) = 0;
};

class VBitmap final : public TObjRefImpl<IBitmap> {
 public:
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  const std::uint32_t* Pixels() const override { return pixels_.data(); }
  bool Assign(int width, int height, std::vector<std::uint32_t> pixels) override;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

class VImageFrames final : public TObjRefImpl<IImageFrames> {
 public:
  ~VImageFrames() override;
  int FrameCount() const override { return static_cast<int>(frames_.size()); }
  IBitmap* Frame(int index) const override;
  void Append(IBitmap* frame) { frames_.push_back(frame); }  // takes the caller's reference

 private:
  std::vector<IBitmap*> frames_;
};

// Makes the bitmaps images are decoded into: the render back end's own kind.
class IRenderFactory : public IObjRef {
 public:
  virtual IBitmap* CreateBitmap() = 0;  // empty, one reference for the caller
  // The decoder that images for this back end are read with (a reference of its own).
  virtual void SetImgDecoderFactory(IImageDecoder* decoder) = 0;
  virtual IImageDecoder* GetImgDecoderFactory() const = 0;  // borrowed; may be null
};

// The usual implementation of the decoder slot.
template <class Interface>
class TRenderFactoryImpl : public TObjRefImpl<Interface> {
 public:
  void SetImgDecoderFactory(IImageDecoder* decoder) override { decoder_ = VRef<IImageDecoder>::Share(decoder); }
  IImageDecoder* GetImgDecoderFactory() const override { return decoder_.get(); }

 private:
  VRef<IImageDecoder> decoder_;
};

// The application's render factory (the software one until another is set);
// the hook takes a reference, null restores the software factory.
void SetRenderFactory(IRenderFactory* factory);
VRef<IRenderFactory> CurrentRenderFactory();

// A new bitmap from the render factory, decoded from `bytes`, with one
// reference for the caller; null when there is no decoder or it cannot read the bytes.
IBitmap* DecodeBitmap(IImageDecoder* decoder, const void* bytes, std::size_t size);

// The decoder registered under `name` ("imgdecoder-stb" everywhere,
// "imgdecoder-gdip" on Windows), with one reference; null for an unknown name.
IImageDecoder* CreateImageDecoder(std::string_view name);

}  // namespace veneer
