// How the writer creates the log folders and opens a log file. An elevated
// program writes its log below its current folder, which may be one that
// others can write: a junction, symbolic link or mount point put there would
// make it create and write files wherever the link leads. So each folder on
// the way and the file itself are opened one after the other, and every one
// is checked on its open handle before the next is made (a check by name
// first could be undone before the open); one that leads elsewhere refuses
// the whole path.
#pragma once

#include <cstdio>
#include <string>

namespace logq {

struct LogFileOpening {
  std::FILE* file = nullptr;  // for appending, binary; null when it failed or was refused
  std::string link;           // when refused: the part of the path that leads elsewhere
};

class LogFiles {
 public:
  virtual ~LogFiles() = default;
  // Creates the missing folders of `folder` (the logger's path with its
  // month folder, ending in a separator) and opens `name` in it.
  virtual LogFileOpening openForAppend(const std::string& folder, const std::string& name) = 0;
};

// The platform's: O_NOFOLLOW opens relative to each folder's descriptor on
// POSIX; on Windows each handle's resolved path must be its parent's and its
// own name.
LogFiles& systemLogFiles();

}  // namespace logq
