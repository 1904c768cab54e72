#include "shell/dpi.hpp"

#include "services/late_bound.hpp"

namespace {

// user32's DPI functions are younger than the oldest system the program runs on.
template <typename Function>
Function user32Function(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(lateBound::findSystemFunction("user32.dll", name)));
}

}  // namespace

int systemDpi() {
  using GetDpiForSystemFunction = UINT(WINAPI*)();
  static const auto getDpiForSystem = user32Function<GetDpiForSystemFunction>("GetDpiForSystem");
  if (getDpiForSystem != nullptr) return static_cast<int>(getDpiForSystem());
  const WindowDC screen(nullptr);
  return screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
}

int dpiOf(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  const int dpi = getDpiForWindow != nullptr ? static_cast<int>(getDpiForWindow(window)) : 0;
  return dpi > 0 ? dpi : systemDpi();
}

int systemMetricForDpi(int index, int dpi) {
  using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
  static const auto forDpi = user32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
  if (forDpi != nullptr) return forDpi(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, systemDpi());
}

FontHandle guiFontForDpi(int dpi) {
  // The stock font is made for the system DPI (Wine sizes it so: -12 at 96, -18 at 144).
  const int stockDpi = systemDpi();
  if (dpi == stockDpi) return FontHandle();
  LOGFONTW font{};
  if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font) != sizeof font) return FontHandle();
  font.lfHeight = MulDiv(font.lfHeight, dpi, stockDpi);
  font.lfWidth = MulDiv(font.lfWidth, dpi, stockDpi);
  return FontHandle(CreateFontIndirectW(&font));
}
