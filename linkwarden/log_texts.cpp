#include "linkwarden/log_texts.h"

namespace linkwarden::texts {

const char* const kStarted = "linkwarden 开始 1";
const char* const kBadOptions = "启动参数错误";
const char* const kWatching = "linkwarden 开始声明cur_forward";
const char* const kExiting = "linkwarden 退出";
const char* const kRoutesBegin = "linkwarden 开始赋值 forward";
const char* const kRoutesEnd = "linkwarden 结束赋值 forward";
const char* const kRoutesCleaning = "linkwarden 正在清理 forward";
const char* const kRoutesCleaned = "linkwarden 清理完成 forward";
const char* const kInstallFailed = "安装驱动[%s]失败";
const char* const kRemoveFailed = "卸载驱动[%s]失败";
const char* const kDialUpBegin = "linkwarden 开始删除连接";
const char* const kDialUpHungUp = "linkwarden 删除链接, 准备清理 forward";

}  // namespace linkwarden::texts
