// The program under test as the tests know it from outside: its executable's name and the
// classes of its two windows, by which its windows are found.
#pragma once

inline constexpr char kExeName[] = "LumoStopwatch.exe";
inline constexpr char kMainClass[] = "3443";
inline constexpr char kViewerClass[] = "LumoLapViewer";
