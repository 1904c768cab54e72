// Checks of a window's frame that several end-to-end tests make.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

// The window's outer size, and its place centred on the screen.
inline void expectCentredOuterSize(HWND window, int width, int height) {
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, width);
  EXPECT_EQ(r.bottom - r.top, height);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
}
