#include "veneer/res/platform_resources.h"

namespace veneer {

IResProvider* CreateEmbeddedProvider(IImageDecoder*) { return nullptr; }

void* LoadStandardCursor(int) { return nullptr; }

}  // namespace veneer
