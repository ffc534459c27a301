#include "veneer/res/background_decoding.h"

#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "common/crc32.h"

namespace veneer {
namespace {

// PNG's numbers are 32-bit big-endian.
std::uint32_t bigEndian(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | std::uint32_t{p[3]};
}

}  // namespace

std::optional<ImageSize> PngHeaderSize(const void* bytes, std::size_t size) {
  // The signature, then the IHDR chunk: length 13, type, width and height (big-endian).
  static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  static constexpr unsigned char kHeaderChunk[8] = {0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  constexpr std::uint32_t kLargest = 16384;
  if (bytes == nullptr || size < 24) return std::nullopt;
  const auto* b = static_cast<const unsigned char*>(bytes);
  if (std::memcmp(b, kSignature, 8) != 0 || std::memcmp(b + 8, kHeaderChunk, 8) != 0) return std::nullopt;
  const std::uint32_t width = bigEndian(b + 16);
  const std::uint32_t height = bigEndian(b + 20);
  if (width == 0 || height == 0 || width > kLargest || height > kLargest) return std::nullopt;
  return ImageSize{static_cast<int>(width), static_cast<int>(height)};
}

// Its size from the start, its pixels once the decoding thread has them.
class BackgroundDecoding::PendingBitmap final : public TObjRefImpl<IBitmap> {
 public:
  explicit PendingBitmap(ImageSize size) : width_(size.width), height_(size.height) {}

  // The size is the header's until Assign, on the thread that owns the bitmap.
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  const std::uint32_t* Pixels() const override {
    std::unique_lock guard(lock_);
    done_.wait(guard, [this] { return decoded_; });
    return pixels_.data();
  }
  bool Assign(int width, int height, std::vector<std::uint32_t> pixels) override {
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
      return false;
    }
    std::unique_lock guard(lock_);
    done_.wait(guard, [this] { return decoded_; });  // the decoding thread's pixels must not come after these
    width_ = width;
    height_ = height;
    pixels_ = std::move(pixels);
    return true;
  }

  // The decoded pixels, or transparent ones when they do not match the size handed out.
  void Finish(IBitmap* decoded) {
    std::vector<std::uint32_t> pixels;
    std::lock_guard guard(lock_);
    if (decoded != nullptr && decoded->Width() == width_ && decoded->Height() == height_) {
      const std::uint32_t* from = decoded->Pixels();
      pixels.assign(from, from + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    } else {
      pixels.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0);
    }
    pixels_ = std::move(pixels);
    decoded_ = true;
    done_.notify_all();
  }

 private:
  mutable std::mutex lock_;
  mutable std::condition_variable done_;
  bool decoded_ = false;
  int width_;
  int height_;
  std::vector<std::uint32_t> pixels_;
};

BackgroundDecoding::BackgroundDecoding() = default;

BackgroundDecoding::~BackgroundDecoding() {
  {
    std::lock_guard guard(lock_);
    ending_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

bool PngChunksIntact(const void* bytes, std::size_t size) {
  if (bytes == nullptr || size < 8) return false;
  const auto* b = static_cast<const unsigned char*>(bytes);
  for (std::size_t at = 8; size - at >= 12;) {
    const std::uint32_t length = bigEndian(b + at);
    if (length > size - at - 12) return false;
    const std::string_view typeAndData(reinterpret_cast<const char*>(b + at + 4), std::size_t{length} + 4);
    if (common::crc32(typeAndData) != bigEndian(b + at + 8 + length)) return false;
    if (typeAndData.substr(0, 4) == "IEND") return true;
    at += std::size_t{length} + 12;
  }
  return false;
}

IBitmap* BackgroundDecoding::Decode(IImageDecoder* decoder, const void* bytes, std::size_t size) {
  const std::optional<ImageSize> header = PngHeaderSize(bytes, size);
  // Only a PNG whose every chunk is whole and matches its checksum is handed
  // out before it is decoded; anything else is decoded here and now, so that
  // what cannot be decoded gives no bitmap.
  if (decoder == nullptr || !header || !PngChunksIntact(bytes, size)) return DecodeBitmap(decoder, bytes, size);
  VRef<PendingBitmap> bitmap = VRef<PendingBitmap>::Adopt(new PendingBitmap(*header));
  {
    std::lock_guard guard(lock_);
    jobs_.push_back(Job{bitmap, VRef<IImageDecoder>::Share(decoder), bytes, size});
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
  }
  wake_.notify_one();
  return bitmap.Detach();
}

void BackgroundDecoding::run() {
  for (;;) {
    Job job;
    {
      std::unique_lock guard(lock_);
      wake_.wait(guard, [this] { return ending_ || !jobs_.empty(); });
      if (jobs_.empty()) return;  // ending, and nothing is left
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    VRef<IBitmap> decoded = VRef<IBitmap>::Adopt(DecodeBitmap(job.decoder.get(), job.bytes, job.size));
    job.bitmap->Finish(decoded.get());
  }
}

}  // namespace veneer
