#include "restart/restart.hpp"

#include <windows.h>

#include "restart/restart_script.hpp"
#include "services/files.hpp"
#include "services/late_bound.hpp"
#include "services/process.hpp"
#include "services/system_error.hpp"
#include "services/text.hpp"

std::string shortPathOf(const std::string& path) {
  return shortPathOf(path, [](const char* longPath, char* buffer, std::uint32_t bufferSize) {
    // Only the buffer tells: it keeps its blanks when there is no short form that fits.
    (void)lateBound::getShortPathName(longPath, buffer, bufferSize);
  });
}

RestartResult restartSelf(std::optional<std::int32_t> delaySeconds, ProgramStart start) {
  const std::string executablePath = concatTexts({runDirectory(), "\\", executableName()});
  if (!fileExists(executablePath)) {
    return {RestartFailure::executableMissing, ERROR_FILE_NOT_FOUND, executablePath};
  }
  const std::string script = restartScript(shortPathOf(executablePath), delaySeconds);
  const std::string scriptPath = concatTexts({runDirectory(), "\\", restartScriptName});
  if (!writeFile(scriptPath, {toBytes(script)})) {
    return {RestartFailure::scriptNotWritten, GetLastError(), scriptPath};
  }
  // Quoted: unquoted, a path with blanks would first be tried as "C:\Program.exe" and the like.
  if (!start(concatTexts({"\"", scriptPath, "\""}), false, kWindowHidden)) {
    const DWORD error = GetLastError();
    (void)DeleteFileA(scriptPath.c_str());  // a script that never ran has nothing to delete it
    return {RestartFailure::scriptNotStarted, error, scriptPath};
  }
  // Nothing is saved or closed first: the new instance begins from zero anyway.
  terminateOwnProcess();
}

bool terminateProcessById(std::uint32_t processId, bool useGiven) {
  const DWORD id = useGiven ? processId : lateBound::getCurrentProcessId();
  const HANDLE process = lateBound::openProcess(PROCESS_TERMINATE, FALSE, id);
  const bool terminated = lateBound::terminateProcess(process, 0) == TRUE;
  (void)lateBound::closeHandle(process);
  return terminated;
}

void terminateOwnProcess() {
  (void)terminateProcessById(lateBound::getCurrentProcessId(), true);
  // Reached only when the system refused; the caller still means this instance to end.
  ExitProcess(0);
}

std::string resetFailureText(const RestartResult& result) {
  return resetFailureText(result.failure, result.path, systemErrorText(result.systemError));
}
