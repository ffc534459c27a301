// The GBK bytes of the tool's log texts, written out so that every compiler
// produces the same bytes whatever its execution character set.
#include "linkwarden/log_texts.h"

namespace linkwarden::texts {

const char* const kStarted = "linkwarden \xbf\xaa\xca\xbc 1";  // linkwarden 开始 1
const char* const kBadOptions = "\xc6\xf4\xb6\xaf\xb2\xce\xca\xfd\xb4\xed\xce\xf3";  // 启动参数错误
const char* const kWatching = "linkwarden \xbf\xaa\xca\xbc\xc9\xf9\xc3\xf7" "cur_forward";  // linkwarden 开始声明cur_forward
const char* const kExiting = "linkwarden \xcd\xcb\xb3\xf6";  // linkwarden 退出
const char* const kRoutesBegin = "linkwarden \xbf\xaa\xca\xbc\xb8\xb3\xd6\xb5 forward";  // linkwarden 开始赋值 forward
const char* const kRoutesEnd = "linkwarden \xbd\xe1\xca\xf8\xb8\xb3\xd6\xb5 forward";  // linkwarden 结束赋值 forward
const char* const kRoutesCleaning = "linkwarden \xd5\xfd\xd4\xda\xc7\xe5\xc0\xed forward";  // linkwarden 正在清理 forward
const char* const kRoutesCleaned = "linkwarden \xc7\xe5\xc0\xed\xcd\xea\xb3\xc9 forward";  // linkwarden 清理完成 forward
const char* const kInstallFailed = "\xb0\xb2\xd7\xb0\xc7\xfd\xb6\xaf[%s]\xca\xa7\xb0\xdc";  // 安装驱动[%s]失败
const char* const kRemoveFailed = "\xd0\xb6\xd4\xd8\xc7\xfd\xb6\xaf[%s]\xca\xa7\xb0\xdc";  // 卸载驱动[%s]失败
const char* const kDialUpBegin = "linkwarden \xbf\xaa\xca\xbc\xc9\xbe\xb3\xfd\xc1\xac\xbd\xd3";  // linkwarden 开始删除连接
const char* const kDialUpHungUp = "linkwarden \xc9\xbe\xb3\xfd\xc1\xb4\xbd\xd3, \xd7\xbc\xb1\xb8\xc7\xe5\xc0\xed forward";  // linkwarden 删除链接, 准备清理 forward

}  // namespace linkwarden::texts
