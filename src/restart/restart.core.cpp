#include "restart/restart.hpp"

#include "services/text.hpp"

std::string resetFailureText(RestartFailure failure, std::string_view path, std::string_view reason) {
  std::string_view what;
  switch (failure) {
    case RestartFailure::executableMissing: what = "找不到程序文件："; break;
    case RestartFailure::scriptNotWritten: what = "无法写入重启脚本："; break;
    case RestartFailure::scriptNotStarted: what = "无法启动重启脚本："; break;
  }
  return concatTexts({"复位失败，秒表未重新启动，计时和记次都保留。\r\n\r\n", what, path,
                      "\r\n原因：", reason});
}
