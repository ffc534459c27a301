// The portable image decoder, on the stb_image single-file library.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wdouble-promotion"
#pragma GCC diagnostic ignored "-Wpedantic"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include <climits>
#include <cstring>

#include "veneer/res/stb_decoder.h"

namespace veneer {
namespace {

std::vector<std::uint32_t> toArgb(const unsigned char* rgba, std::size_t count) {
  std::vector<std::uint32_t> pixels(count);
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char* p = rgba + 4 * i;
    pixels[i] = static_cast<std::uint32_t>(p[3]) << 24 | static_cast<std::uint32_t>(p[0]) << 16 |
                static_cast<std::uint32_t>(p[1]) << 8 | p[2];
  }
  return pixels;
}

}  // namespace

bool StbImageDecoder::DecodeImage(const void* bytes, std::size_t size, IBitmap& into) {
  if (bytes == nullptr || size == 0 || size > static_cast<std::size_t>(INT_MAX)) return false;
  int width = 0;
  int height = 0;
  int channels = 0;
  stbi_uc* rgba = stbi_load_from_memory(static_cast<const stbi_uc*>(bytes), static_cast<int>(size), &width, &height,
                                        &channels, 4);
  if (rgba == nullptr) return false;
  const bool ok =
      into.Assign(width, height, toArgb(rgba, static_cast<std::size_t>(width) * static_cast<std::size_t>(height)));
  stbi_image_free(rgba);
  return ok;
}

IImageFrames* StbImageDecoder::DecodeFrames(const void* bytes, std::size_t size) {
  // One frame for the still images the toolkit reads.
  IBitmap* frame = DecodeBitmap(this, bytes, size);
  if (frame == nullptr) return nullptr;
  auto* frames = new VImageFrames;
  frames->Append(frame);
  return frames;
}

}  // namespace veneer
