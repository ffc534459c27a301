#include "linkwarden/log_texts.h"

namespace linkwarden::texts {

const char* const kStarted = "linkwarden 开始 1";
const char* const kBadOptions = "启动参数错误";
const char* const kWatching = "linkwarden 开始声明cur_forward";
const char* const kExiting = "linkwarden 退出";

}  // namespace linkwarden::texts
