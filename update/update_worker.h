// The download and replacement worker: fetches `dlurl` into `dlpath` in
// 2048-byte chunks, puts it in place of `rppath` and reports every step to
// the window. A break goes on where the file stopped (a Range request), a
// refused or lost connection is tried again after a wait, a dead proxy is
// bypassed once (transfer_rules.h). Runs once, on its own thread; shows
// nothing itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "update/update_args.h"
#include "common/publisher_policy.h"
#include "update/update_ports.h"

namespace update {

// The publisher check is the product's one, shared with the network tool.
using common::FileSignature;
using common::JudgeDownload;
using common::WhyRefused;
using common::Signature;
using common::SignatureCheck;
using common::Verdict;

// Message numbers of the window (WM_APP + n).
inline constexpr unsigned UM_DOWNLOAD_PROGRESS = 0x8001;
inline constexpr unsigned UM_REPLACE_PROGRESS = 0x8002;
inline constexpr unsigned UM_INSTALL_STEP = 0x8003;
inline constexpr unsigned UM_UPDATE_ERROR = 0x8004;

inline constexpr std::uint32_t kChunkSize = 2048;
// The download is written to its file in pieces of at most this many bytes.
inline constexpr std::uint32_t kWriteBatch = 64 * 1024;
// Paths are held in buffers of this many characters, the terminator included.
inline constexpr std::size_t kMaxPath = 260;
// Lengths from here on do not fit the window's signed 32-bit counts.
inline constexpr std::uint64_t kLargestDownload = 0x7FFFFFFF;

// Translates a key of the context "rt.msg".
using TranslateMessage = std::function<std::u16string(std::u16string_view key)>;

struct WorkerPorts {
  HttpSession& http;
  UpdateFiles& files;
  UpdateSink& sink;
  SignatureCheck& signatures;
  TranslateMessage translate;
  // Waits between attempts (none when empty); `jitter` spreads the waits of
  // many updaters that lost the same server at once.
  std::function<void(std::uint32_t ms)> pause = {};
  std::uint32_t jitter = 0;
};

// 0 once the replacement was reached (done or "{replace fail}"), 1 after a
// network, file, incomplete-download (once every attempt failed) or signature error, or an exception of a port
// (logged as a toolkit warning and shown as "{replace fail}"). Never throws.
int RunUpdateWorker(const UpdateArgs& args, WorkerPorts ports);

// `path` without its last component ("C:\d\f.exe" -> "C:\d"); empty when it has no folder.
std::u16string FolderOf(std::u16string_view path);

// Where the download is staged beside the installer it replaces.
std::u16string StagingPathFor(std::u16string_view rppath);

}  // namespace update
