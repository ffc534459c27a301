// "imgdecoder-gdip": images decoded by GDI+.
#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <climits>

#include "veneer/res/platform_decoder.h"

namespace veneer {
namespace {

class GdiplusDecoder final : public TObjRefImpl<IImageDecoder> {
 public:
  GdiplusDecoder() {
    Gdiplus::GdiplusStartupInput input;
    started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
  }
  ~GdiplusDecoder() override {
    if (started_) Gdiplus::GdiplusShutdown(token_);
  }

  bool DecodeImage(const void* bytes, std::size_t size, IBitmap& into) override {
    if (!started_ || bytes == nullptr || size == 0 || size > UINT_MAX) return false;
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(bytes), static_cast<UINT>(size));
    if (stream == nullptr) return false;
    bool ok = false;
    {
      Gdiplus::Bitmap bitmap(stream, FALSE);
      const int width = static_cast<int>(bitmap.GetWidth());
      const int height = static_cast<int>(bitmap.GetHeight());
      Gdiplus::Rect all(0, 0, width, height);
      Gdiplus::BitmapData data{};
      if (bitmap.GetLastStatus() == Gdiplus::Ok && width > 0 && height > 0 &&
          bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) == Gdiplus::Ok) {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y) {
          const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(data.Scan0) +
                                                                   static_cast<std::ptrdiff_t>(y) * data.Stride);
          std::copy(row, row + width, pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
        }
        bitmap.UnlockBits(&data);
        ok = into.Assign(width, height, std::move(pixels));
      }
    }
    stream->Release();
    return ok;
  }

  IImageFrames* DecodeFrames(const void* bytes, std::size_t size) override {
    IBitmap* frame = DecodeBitmap(this, bytes, size);
    if (frame == nullptr) return nullptr;
    auto* frames = new VImageFrames;
    frames->Append(frame);
    return frames;
  }

 private:
  ULONG_PTR token_ = 0;
  bool started_ = false;
};

}  // namespace

IImageDecoder* CreatePlatformImageDecoder(std::string_view name) {
  if (name == "imgdecoder-gdip") return new GdiplusDecoder;
  return nullptr;
}

}  // namespace veneer
