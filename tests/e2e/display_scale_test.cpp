// The program at other display scales: Wine does not stretch windows, so every process takes the
// registry's LogPixels as its DPI. Each case sets it before the start and puts 96 back after.
#include <gtest/gtest.h>

#include "app_driver.hpp"
#include "lapfile/lap_log.hpp"
#include "window_checks.hpp"
#include "window_facts.hpp"

namespace {

using namespace mainControls;

// The display scale of processes started while this lives.
class ScopedLogPixels {
 public:
  explicit ScopedLogPixels(DWORD dpi) {
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                        nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    DWORD size = sizeof old_;
    if (RegQueryValueExA(key_, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) != ERROR_SUCCESS) {
      old_ = 96;
    }
    set_ = RegSetValueExA(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi) ==
           ERROR_SUCCESS;
  }
  ScopedLogPixels(const ScopedLogPixels&) = delete;
  ScopedLogPixels& operator=(const ScopedLogPixels&) = delete;
  ~ScopedLogPixels() {
    if (key_ == nullptr) return;
    RegSetValueExA(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
    RegCloseKey(key_);
  }
  bool set() const { return set_; }

 private:
  static constexpr char kKey[] = "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts";
  static constexpr char kValue[] = "LogPixels";
  HKEY key_ = nullptr;
  DWORD old_ = 96;
  bool set_ = false;
};

// What the windows must look like at 96 DPI; every figure scales by dpi / 96.
struct Row {
  ControlId id;
  int left, top, width, height;
};
const Row kMainRows[] = {
    {按钮1, 184, 176, 80, 32},  {时钟1, 216, 208, 40, 32},  {按钮2, 264, 176, 80, 32},
    {编辑框2, 72, 264, 80, 20}, {标签1, 32, 264, 40, 24},   {标签2, 112, 48, 296, 64},
    {标签3, 224, 136, 64, 24},  {按钮3, 104, 176, 80, 32},  {标签4, 296, 136, 16, 24},
    {按钮4, 344, 176, 80, 32},  {按钮5, 104, 208, 80, 16},  {标签5, 32, 128, 96, 24},
    {标签6, 480, 136, 80, 24},  {标签7, 128, 8, 304, 32},
};
const Row kViewerRows[] = {{viewerControls::编辑框1, 0, 0, 384, 248}, {viewerControls::按钮1, 0, 248, 384, 24}};

// The frame that the system gives a window of these styles at the DPI.
RECT frameAt(HWND window, int dpi) {
  using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  const auto adjust = reinterpret_cast<AdjustForDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
  RECT frame{0, 0, 0, 0};
  if (adjust != nullptr) {
    adjust(&frame, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
           static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)), static_cast<UINT>(dpi));
  }
  return frame;
}

// Outer size scaled and centred on the desktop, the client area what the frame at that DPI
// leaves, and every control in its scaled place; ±1 where a frame metric rounds.
void expectWindowAt(HWND window, int outerWidth, int outerHeight, const Row* rows, std::size_t count, int dpi) {
  const int width = MulDiv(outerWidth, dpi, 96), height = MulDiv(outerHeight, dpi, 96);
  expectCentredOuterSize(window, width, height);
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  EXPECT_GE(outer.left, 0);
  EXPECT_LE(outer.right, GetSystemMetrics(SM_CXSCREEN));
  const RECT frame = frameAt(window, dpi);
  EXPECT_NEAR(client.right, width - (frame.right - frame.left), 1);
  EXPECT_NEAR(client.bottom, height - (frame.bottom - frame.top), 1);
  for (std::size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(std::string(rows[i].id.name));
    const HWND control = GetDlgItem(window, rows[i].id.id);
    ASSERT_NE(control, nullptr);
    const RECT r = placeInParent(control);
    EXPECT_NEAR(r.left, MulDiv(rows[i].left, dpi, 96), 1);
    EXPECT_NEAR(r.top, MulDiv(rows[i].top, dpi, 96), 1);
    EXPECT_NEAR(r.right - r.left, MulDiv(rows[i].width, dpi, 96), 1);
    EXPECT_NEAR(r.bottom - r.top, MulDiv(rows[i].height, dpi, 96), 1);
  }
}

class DisplayScaleTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scale.set()) << "LogPixels could not be written";
    ASSERT_TRUE(app.start(dir.path())) << "the program did not show its windows";
  }

  ScopedLogPixels scale{static_cast<DWORD>(GetParam())};
  TempDir dir;
  App app;
};

TEST_P(DisplayScaleTest, BothWindowsAreLaidOutForTheScale) {
  const int dpi = GetParam();
  {
    SCOPED_TRACE("启动窗口");
    expectWindowAt(app.mainWindow(), 549, 326, kMainRows, std::size(kMainRows), dpi);
  }
  {
    SCOPED_TRACE("记次窗口");
    expectWindowAt(app.viewer(), 387, 298, kViewerRows, std::size(kViewerRows), dpi);
  }
}

TEST_P(DisplayScaleTest, FocusTabOrderALapAndASaveStillWork) {
  HWND main = app.mainWindow();
  ASSERT_TRUE(pollUntil(3000, [&] { return focusOf(main) == app.mainControl(按钮1); }));
  pressKey(VK_TAB);
  EXPECT_TRUE(pollUntil(3000, [&] { return focusOf(main) == app.mainControl(按钮2); }));
  ASSERT_TRUE(app.clickMain(按钮3));
  EXPECT_EQ(app.mainText(标签3), "1");
  const std::string lap = app.viewerText();
  ASSERT_EQ(lap.rfind("1.", 0), 0u) << lap;
  ASSERT_TRUE(app.clickSave());
  EXPECT_EQ(readFileBytes(dir / std::string(lapLogFileName)), lap + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Dpi, DisplayScaleTest, ::testing::Values(120, 144, 192),
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
