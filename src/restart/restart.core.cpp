#include "restart/restart.hpp"

#include "services/text.hpp"

SystemText resetFailureText(RestartFailure failure, std::u16string_view path,
                            std::u16string_view reason) {
  std::string_view what;
  switch (failure) {
    case RestartFailure::executableMissing: what = "找不到程序文件："; break;
    case RestartFailure::scriptNotWritten: what = "无法写入重启脚本："; break;
    case RestartFailure::scriptNotStarted: what = "无法启动重启脚本："; break;
  }
  SystemText text =
      toSystemText(concatTexts({"复位失败，秒表未重新启动，计时和记次都保留。\r\n\r\n", what}));
  text.append(path).append(toSystemText("\r\n原因：")).append(reason);
  return text;
}
