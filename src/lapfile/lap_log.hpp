// The lap log: the lap viewer's text appended to a file next to the executable, never read back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "services/system_text.hpp"

// The log's file name in the run directory, and the name without its extension, which the
// append takes. On the disk the name is their UTF-16 form (toSystemText), the same on every system.
inline constexpr std::string_view lapLogFileName = "Lumo秒计时器记次复制文本.txt";
inline constexpr std::string_view lapLogBaseName =
    lapLogFileName.substr(0, lapLogFileName.size() - std::string_view(".txt").size());

struct LapLogResult {
  bool saved;
  SystemText path;            // the log file's full path
  std::uint32_t systemError;  // GetLastError of the step that failed; 0 when saved
};

// Appends the text's bytes and CR LF to runDirectory\<baseName>.txt, creating the file when it is
// missing; the path is the run directory's UTF-16 form, so any directory the executable can be in
// will do. The block goes in with one write under a lock that every instance of the program
// honours, so saves from several instances at once all arrive whole. On failure the disk is left
// as it was: a log that was there keeps its bytes, and one that the save created is removed.
LapLogResult appendLapLog(std::string_view baseName, std::string_view text);
// The same in a given directory.
LapLogResult appendLapLogIn(const SystemText& directory, std::string_view baseName,
                            std::string_view text);
LapLogResult appendLapLogIn(std::string_view directory, std::string_view baseName,
                            std::string_view text);

// For the warning box shown when a save failed.
inline constexpr std::string_view kLapLogWarningCaption = "记次文本未保存";
// Says that the lap text was not saved, names the file and gives the reason. A system text: the
// path and the reason are the system's, and GBK may have no characters for them.
SystemText lapLogWarningText(std::u16string_view path, std::u16string_view reason);
// The same with the system's wording for the result's error.
SystemText lapLogWarningText(const LapLogResult& result);
