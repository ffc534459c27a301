#pragma once

#include <string>

namespace stagehand {

// Deletes `path` and everything below it, depth first. A path whose listing
// cannot be opened is taken to be a file. Single failures are skipped: a file
// that cannot be deleted leaves its folder in place. A junction or symbolic
// link (the path itself or anything below it) is removed as a link: what it
// points to is never listed or deleted.
void removeTree(const std::wstring& path);

}  // namespace stagehand
