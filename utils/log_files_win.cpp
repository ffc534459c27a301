#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <string>
#include <vector>

#include "common/final_path_win.h"
#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "utils/log_files.h"

namespace logq {
namespace {

std::u16string withoutTrailingSeparator(std::u16string path) {
  while (!path.empty() && path.back() == u'\\') path.pop_back();
  return path;
}

// The long name that `path`'s last part has in its folder (a short 8.3 name
// resolves to it), or the part itself.
std::u16string longNameOf(const std::wstring& path, const std::wstring& part) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return common::fromWide(part);
  FindClose(search);
  return common::fromWide(found.cFileName);
}

// Opened shared for reading and writing but not deleting, so that it cannot
// be renamed or replaced while the handles below it are opened.
common::UniqueFile openEntry(const std::wstring& path, DWORD access, DWORD disposition, DWORD flags) {
  return common::UniqueFile(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        disposition, flags, nullptr));
}

// Whether `entry`, reached as `part` of the folder whose resolved path is
// `parent`, is where its name says: its resolved path is the parent's and
// its own long name, and it is no reparse point (Windows reports one that is
// opened as itself; Wine follows a Unix link and shows where it led).
// `information` is the handle's, read once for the caller too.
bool staysInPlace(HANDLE entry, const std::u16string& parent, const std::wstring& path, const std::wstring& part,
                  std::u16string& resolved, BY_HANDLE_FILE_INFORMATION& information) {
  std::uint32_t error = 0;
  resolved = common::finalPathOf(entry, error);
  if (resolved.empty() || !GetFileInformationByHandle(entry, &information)) return false;
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return false;
  if (part == L"..") return true;
  return common::sameFileName(common::toWide(withoutTrailingSeparator(resolved)),
                              common::toWide(withoutTrailingSeparator(parent) + u"\\" + longNameOf(path, part)));
}

class WinLogFiles final : public LogFiles {
 public:
  LogFileOpening openForAppend(const std::string& folder, const std::string& name) override {
    LogFileOpening opening;
    // The logger's paths are narrow texts in the process's code page, as fopen takes them.
    const std::wstring wideFolder = common::fromAnsi(folder);
    std::vector<std::wstring> parts;
    for (std::size_t start = 0; start < wideFolder.size();) {
      std::size_t end = wideFolder.find_first_of(L"/\\", start);
      if (end == std::wstring::npos) end = wideFolder.size();
      if (end > start) parts.push_back(wideFolder.substr(start, end - start));
      start = end + 1;
    }
    // Where the walk starts: the drive's root for "X:...", the current folder otherwise.
    std::wstring path = L".";
    std::size_t first = 0;
    if (!parts.empty() && parts[0].size() == 2 && parts[0][1] == L':') {
      path = parts[0] + L"\\";
      first = 1;
    }
    constexpr DWORD kFolderFlags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
    std::vector<common::UniqueFile> held;  // every folder on the way stays open until the file is
    // The start is taken as it resolves: the program was started in it.
    held.push_back(openEntry(path, FILE_READ_ATTRIBUTES, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    std::uint32_t error = 0;
    std::u16string resolved = held.back() ? common::finalPathOf(held.back().get(), error) : std::u16string();
    if (resolved.empty()) return opening;
    for (std::size_t i = first; i < parts.size(); ++i) {
      if (parts[i] == L".") continue;
      path += (path.back() == L'\\' ? L"" : L"\\") + parts[i];
      CreateDirectoryW(path.c_str(), nullptr);  // an existing one is opened below like a new one
      common::UniqueFile next = openEntry(path, FILE_READ_ATTRIBUTES, OPEN_EXISTING, kFolderFlags);
      if (!next) return opening;
      std::u16string nextResolved;
      BY_HANDLE_FILE_INFORMATION information;
      if (!staysInPlace(next.get(), resolved, path, parts[i], nextResolved, information)) {
        opening.link = common::toAnsi(path);
        return opening;
      }
      resolved = std::move(nextResolved);
      held.push_back(std::move(next));
    }
    const std::wstring wideName = common::fromAnsi(name);
    path += L"\\" + wideName;
    common::UniqueFile file = openEntry(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
    if (!file) return opening;
    std::u16string fileResolved;
    BY_HANDLE_FILE_INFORMATION information;
    // A second name of the file (a hard link) could be any file of the machine.
    if (!staysInPlace(file.get(), resolved, path, wideName, fileResolved, information) ||
        information.nNumberOfLinks > 1) {
      opening.link = common::toAnsi(path);
      return opening;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_APPEND | _O_BINARY | _O_WRONLY);
    if (descriptor < 0) return opening;
    file.release();  // the descriptor owns the handle now
    opening.file = _fdopen(descriptor, "ab");
    if (opening.file == nullptr) _close(descriptor);
    return opening;
  }
};

}  // namespace

LogFiles& systemLogFiles() {
  static WinLogFiles files;
  return files;
}

}  // namespace logq
