#include "lapfile/lap_log.hpp"

#include "services/text.hpp"

std::string lapLogWarningText(std::string_view path, std::string_view reason) {
  return concatTexts({"记次文本没有保存。\r\n\r\n文件：", path, "\r\n原因：", reason});
}
