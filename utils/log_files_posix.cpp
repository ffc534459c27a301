#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "utils/log_files.h"

namespace logq {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = other.release();
    }
    return *this;
  }
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_;
};

// Refused when `name` below `folder` is a symbolic link (open's ELOOP, or
// ENOTDIR for a link to a file where a folder was expected).
bool isLink(int folder, const std::string& name) {
  struct stat status;
  return ::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(status.st_mode);
}

class PosixLogFiles final : public LogFiles {
 public:
  LogFileOpening openForAppend(const std::string& folder, const std::string& name) override {
    LogFileOpening opening;
    const bool absolute = !folder.empty() && (folder[0] == '/' || folder[0] == '\\');
    Descriptor current(::open(absolute ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::string walked = absolute ? "/" : "";
    for (std::size_t start = 0; current && start < folder.size();) {
      std::size_t end = folder.find_first_of("/\\", start);
      if (end == std::string::npos) end = folder.size();
      const std::string part = folder.substr(start, end - start);
      start = end + 1;
      if (part.empty() || part == ".") continue;
      walked += part + "/";
      ::mkdirat(current.get(), part.c_str(), 0755);  // an existing one is opened below like a new one
      Descriptor next(::openat(current.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (!next && isLink(current.get(), part)) {
        opening.link = walked;
        return opening;
      }
      current = std::move(next);
    }
    if (!current) return opening;
    Descriptor file(::openat(current.get(), name.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
    struct stat status;
    // A second name of the file (a hard link) could be any file of the machine.
    if ((!file && isLink(current.get(), name)) || (file && ::fstat(file.get(), &status) == 0 && status.st_nlink > 1)) {
      opening.link = walked + name;
      return opening;
    }
    if (!file) return opening;
    opening.file = ::fdopen(file.get(), "ab");
    if (opening.file != nullptr) file.release();
    return opening;
  }
};

}  // namespace

LogFiles& systemLogFiles() {
  static PosixLogFiles files;
  return files;
}

}  // namespace logq
