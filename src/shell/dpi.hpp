// The display scale a window is laid out for, asked of the system in the newest way it answers:
// per window where the system knows per-monitor DPI, else the system DPI (Windows 7 and 8).
#pragma once

#include <windows.h>

#include "services/handles.hpp"

int systemDpi();
int dpiOf(HWND window);
// A system metric as it is at that DPI.
int systemMetricForDpi(int index, int dpi);
// The font for buttons and edit boxes at that DPI: the stock GUI font itself (an empty handle)
// where the DPI is the one the stock font was made for, else a copy of it scaled to the DPI.
FontHandle guiFontForDpi(int dpi);
