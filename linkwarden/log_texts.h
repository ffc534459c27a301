// The tool's log texts. Those with Chinese characters are GBK (code page 936)
// bytes: log_texts.cpp is compiled with that execution character set.
#pragma once

namespace linkwarden::texts {

extern const char* const kStarted;          // "linkwarden 开始 1"
extern const char* const kBadOptions;       // "启动参数错误"
extern const char* const kWatching;         // "linkwarden 开始声明cur_forward"
extern const char* const kExiting;          // "linkwarden 退出"

}  // namespace linkwarden::texts
