// Holds a Wine prefix's session up while a test run lasts: as long as one of its programs runs,
// the prefix's wineserver, its services and its desktop stay, so the test programs that follow,
// one for each case, neither start them again nor wait for them to end. scripts/wine-run starts
// it and ends it with the whole prefix.
//   wine_session_holder <file to create once the desktop is up> <seconds at most>
// The limit bounds a session that nobody ends (a run killed half-way).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "services/handles.hpp"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: wine_session_holder <ready file> <seconds>\n");
    return 2;
  }
  // The first call for the desktop starts the desktop process and returns once it is up.
  if (GetDesktopWindow() == nullptr) return 1;
  const FileHandle ready(
      CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!ready) return 1;
  Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) * 1000);
  return 0;
}
