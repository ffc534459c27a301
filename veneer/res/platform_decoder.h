#pragma once

#include <string_view>

#include "veneer/res/image.h"

namespace veneer {

// The platform's own decoders ("imgdecoder-gdip" on Windows); null elsewhere.
IImageDecoder* CreatePlatformImageDecoder(std::string_view name);

}  // namespace veneer
