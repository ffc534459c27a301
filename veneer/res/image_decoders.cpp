#include "veneer/res/image.h"
#include "veneer/res/platform_decoder.h"
#include "veneer/res/stb_decoder.h"

namespace veneer {

IImageDecoder* CreateImageDecoder(std::string_view name) {
  // The four names the toolkit knows, compared case-sensitively. The PNG
  // decoder is the portable one; a name whose library is not built here
  // (WIC, and GDI+ off Windows) gets the platform's decoder, or the portable
  // one where the platform has none.
  if (name == "imgdecoder-stb" || name == "imgdecoder-png") return new StbImageDecoder;
  if (name != "imgdecoder-gdip" && name != "imgdecoder-wic") return nullptr;
  if (IImageDecoder* platform = CreatePlatformImageDecoder("imgdecoder-gdip")) return platform;
  return new StbImageDecoder;
}

}  // namespace veneer
