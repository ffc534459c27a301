#include "veneer/res/platform_decoder.h"

namespace veneer {

IImageDecoder* CreatePlatformImageDecoder(std::string_view) { return nullptr; }

}  // namespace veneer
