// The tool's log texts, as GBK (code page 936) bytes: the log files hold GBK.
#pragma once

namespace linkwarden::texts {

extern const char* const kStarted;          // "linkwarden 开始 1"
extern const char* const kBadOptions;       // "启动参数错误"
extern const char* const kWatching;         // "linkwarden 开始声明cur_forward"
extern const char* const kExiting;          // "linkwarden 退出"
extern const char* const kRoutesBegin;      // "linkwarden 开始赋值 forward"
extern const char* const kRoutesEnd;        // "linkwarden 结束赋值 forward"
extern const char* const kRoutesCleaning;   // "linkwarden 正在清理 forward"
extern const char* const kRoutesCleaned;    // "linkwarden 清理完成 forward"
extern const char* const kInstallFailed;    // "安装驱动[%s]失败", the service name in GBK
extern const char* const kRemoveFailed;     // "卸载驱动[%s]失败"
extern const char* const kDialUpBegin;      // "linkwarden 开始删除连接"
extern const char* const kDialUpHungUp;     // "linkwarden 删除链接, 准备清理 forward"

}  // namespace linkwarden::texts
