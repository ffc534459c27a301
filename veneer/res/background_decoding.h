// Images decoded on a thread of their own while the program goes on. A PNG's
// size is in its header, so its bitmap can be handed out at once, with that
// size; the first look at its pixels waits for the decoding. The updater
// decodes its skins this way while its window is created and shown (the
// first decoding through GDI+ loads the system's image codecs, about a tenth
// of its start), and paints them when they are there.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "veneer/res/image.h"

namespace veneer {

struct ImageSize {
  int width = 0;
  int height = 0;
};

// The size a PNG's header gives; none for data that is not a PNG with a
// plausible header (both sides 1 to 16384 pixels).
std::optional<ImageSize> PngHeaderSize(const void* bytes, std::size_t size);

// Every chunk after the signature lies within the data and matches its
// CRC-32, up to and including IEND.
bool PngChunksIntact(const void* bytes, std::size_t size);

class BackgroundDecoding {
 public:
  BackgroundDecoding();
  // Finishes what was asked for first: a bitmap handed out is never left waiting.
  ~BackgroundDecoding();
  BackgroundDecoding(const BackgroundDecoding&) = delete;
  BackgroundDecoding& operator=(const BackgroundDecoding&) = delete;

  // A bitmap of the PNG in `bytes` (which must stay valid until it is
  // decoded), decoded in the background; other data, a PNG with a chunk cut
  // short or not matching its checksum among it, is decoded here and now, as
  // DecodeBitmap does (null when it cannot be decoded). An intact PNG whose
  // pixels still cannot be decoded gives transparent pixels of its header's size.
  IBitmap* Decode(IImageDecoder* decoder, const void* bytes, std::size_t size);

 private:
  class PendingBitmap;
  struct Job {
    VRef<PendingBitmap> bitmap;
    VRef<IImageDecoder> decoder;
    const void* bytes = nullptr;
    std::size_t size = 0;
  };
  void run();

  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool ending_ = false;
  std::thread thread_;  // started with the first job
};

}  // namespace veneer
