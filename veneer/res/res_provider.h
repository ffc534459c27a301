// Resource providers: where the toolkit reads its layouts, definitions,
// translations and images from, by (type, name).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "veneer/core/ref_counted.h"

namespace veneer {

// A decoded image (see image_decoder.h).
class IBitmap;
class IImageFrames;
class IImageDecoder;

inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;  // ERROR_INSUFFICIENT_BUFFER

// What a provider attaches to: the program's module (embedded resources) or a folder.
struct ProviderSource {
  void* module = nullptr;
  std::u16string folder;
};

class IResProvider : public IObjRef {
 public:
  virtual bool Attach(const ProviderSource& source) = 0;
  virtual bool HasRes(std::u16string_view type, std::u16string_view name) = 0;
  // Platform handles (icons, bitmaps, cursors); null where the platform has none.
  virtual void* LoadIconRes(std::u16string_view name, int width, int height) = 0;
  virtual void* LoadBitmapRes(std::u16string_view name) = 0;
  virtual void* LoadCursorRes(std::u16string_view name) = 0;
  // A decoded image with one reference for the caller, or null.
  virtual IBitmap* LoadImageRes(std::u16string_view type, std::u16string_view name) = 0;
  virtual IImageFrames* LoadImageFramesRes(std::u16string_view type, std::u16string_view name) = 0;
  // 0 when the resource is missing or empty.
  virtual std::size_t RawSize(std::u16string_view type, std::u16string_view name) = 0;
  // Copies the resource's bytes (not terminated). Fails for a missing or empty
  // resource, and with the last error kErrorInsufficientBuffer when `capacity` is too small.
  virtual bool ReadRaw(std::u16string_view type, std::u16string_view name, void* buffer, std::size_t capacity,
                       std::uint32_t& error) = 0;
};

enum ProviderKind { kProviderEmbedded = 0, kProviderFolder = 1 };

// A new provider of that kind (0 embedded resources, 1 a folder of files),
// with one reference for the caller; any other number, or a kind the
// platform does not have, creates nothing.
IResProvider* CreateResProvider(int kind, IImageDecoder* decoder);

}  // namespace veneer
