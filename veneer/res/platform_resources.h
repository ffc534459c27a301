// What of the resources only the platform has: the embedded-resource
// provider (a program's own resources) and the standard cursors.
#pragma once

#include "veneer/res/image.h"
#include "veneer/res/res_provider.h"

namespace veneer {

// A new embedded-resource provider, with one reference for the caller; null
// where the platform has none.
IResProvider* CreateEmbeddedProvider(IImageDecoder* decoder);

// The platform's standard cursor of that id (such as 32512, the arrow);
// shared, never destroyed; null where the platform has none.
void* LoadStandardCursor(int id);

}  // namespace veneer
