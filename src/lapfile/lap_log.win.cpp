#include "lapfile/lap_log.hpp"

#include <windows.h>

#include "services/files.hpp"
#include "services/system_error.hpp"
#include "services/text.hpp"

LapLogResult appendLapLog(std::string_view baseName, std::string_view text) {
  return appendLapLogIn(systemRunDirectory(), baseName, text);
}

LapLogResult appendLapLogIn(std::string_view directory, std::string_view baseName,
                            std::string_view text) {
  return appendLapLogIn(toSystemText(directory), baseName, text);
}

LapLogResult appendLapLogIn(const SystemText& directory, std::string_view baseName,
                            std::string_view text) {
  const SystemText path = directory + u"\\" + toSystemText(baseName) + u".txt";
  LapLogResult result{false, path, ERROR_SUCCESS};
  // Created when missing in the same call that opens it: a separate test for the file and a
  // creation that empties could wipe a log another instance has just made and appended to. A
  // directory of that name is refused by the system, so it is never taken for the log.
  bool created = false;
  const FileNumber log = openFile(path, kReadWriteCreating, kShareReadWrite, created);
  if (log == kNoFile) {
    result.systemError = GetLastError();
    return result;
  }
  result.saved = appendLocked(log, toBytes(concatTexts({text, "\r\n"})));
  if (!result.saved) result.systemError = GetLastError();
  closeFile(log);
  // appendLocked has cut a log that was there back to its old end; one that this save created
  // (on a full disk, say) would stay behind empty, so it goes again. Best effort: the save has
  // failed already, and its reason is the one to tell.
  if (!result.saved && created) (void)DeleteFileW(systemChars(path));
  return result;
}

SystemText lapLogWarningText(const LapLogResult& result) {
  return lapLogWarningText(result.path, systemErrorText(result.systemError));
}
