#include "restart/restart_script.hpp"

#include <algorithm>
#include <cstring>

#include "services/text.hpp"

namespace {

const ReplaceOptions kEvery{std::nullopt, std::nullopt, true};

// 255 blanks and the terminating zero byte: room for any path of the system's usual limit.
constexpr std::int32_t kShortPathBlanks = 255;

}  // namespace

std::int32_t restartDelay(std::optional<std::int32_t> delaySeconds) {
  return delaySeconds && *delaySeconds >= 1 ? *delaySeconds : 2;
}

std::string restartScript(std::string_view executablePath, std::optional<std::int32_t> delaySeconds) {
  // Walks by characters, as cmd reads the script in the ANSI code page.
  const std::string escapedPath = replaceSubtext(executablePath, "%", "%%", kEvery);
  const std::string withPath =
      replaceSubtext(restartScriptTemplate, "<文件名>", escapedPath, kFirstOnly);
  return replaceSubtext(withPath, "秒数", toText(restartDelay(delaySeconds)), kFirstOnly);
}

std::string shortPathOf(const std::string& path, const ShortPathQuery& query) {
  // The size given is the long path's length: a short form that fits is shorter than the path,
  // and one that is not shorter is not worth having. The buffer always holds at least that size,
  // so a path beyond 255 bytes gets a larger buffer rather than an answer past the end.
  const std::int32_t size = textLength(path);
  std::string buffer = blankText(std::max(kShortPathBlanks, size));
  query(path.c_str(), buffer.data(), static_cast<std::uint32_t>(size));
  if (trimBothEnds(buffer).empty()) return path;
  return std::string(buffer.c_str());
}

void answerShortPathQuery(std::string_view shortForm, char* buffer, std::uint32_t bufferSize) {
  if (shortForm.empty() || shortForm.size() + 1 > bufferSize) return;
  std::memcpy(buffer, shortForm.data(), shortForm.size());
  buffer[shortForm.size()] = '\0';
}
