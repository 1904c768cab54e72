// The one rule that lays a window out at any display scale: every figure of the descriptions is a
// 96-DPI figure, scaled by the window's DPI as MulDiv(value, dpi, 96) does. Window-free, so that
// the figures are tested natively.
#pragma once

inline constexpr int kDesignDpi = 96;

struct Place {
  int left, top, width, height;
};

// value × dpi / 96, rounded half away from zero (MulDiv's rounding).
int scaleForDpi(int value, int dpi);
Place scaleForDpi(const Place& place, int dpi);

// Where a window of this size starts on a screen of that size.
int centred(int screen, int size);

// A single-line edit box must be tall enough for a character of its font and its sunken edges.
int editBoxHeight(int rowHeight, int textHeight, int edge);
