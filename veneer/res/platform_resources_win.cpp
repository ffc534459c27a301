#include "veneer/res/platform_resources.h"

#include <windows.h>

#include "veneer/res/res_provider_pe_win.h"

namespace veneer {

IResProvider* CreateEmbeddedProvider(IImageDecoder* decoder) { return new VResProviderPE(decoder); }

void* LoadStandardCursor(int id) { return LoadCursorW(nullptr, MAKEINTRESOURCEW(id)); }

}  // namespace veneer
