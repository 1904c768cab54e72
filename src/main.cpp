#include <windows.h>

#include "app/program.hpp"
#include "shell/shell.hpp"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // No box for a critical error or a missing file: a file operation on an unready drive fails.
  SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  (void)programMain();  // always 0; the exit code is the one the quit message carried
  finishProgram();
}
