#include "veneer/res/image.h"
#include "veneer/res/platform_decoder.h"
#include "veneer/res/stb_decoder.h"

namespace veneer {

IImageDecoder* CreateImageDecoder(std::string_view name) {
  if (name == "imgdecoder-stb") return new StbImageDecoder;
  return CreatePlatformImageDecoder(name);
}

}  // namespace veneer
