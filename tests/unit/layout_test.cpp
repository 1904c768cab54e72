// The 96-DPI figures of the windows scaled for other display scales. The figures on the right are
// worked out by hand (value × dpi / 96, halves away from zero), not by the rule under test.
#include <gtest/gtest.h>

#include "windows/layout.hpp"

static bool operator==(const Place& a, const Place& b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

static std::ostream& operator<<(std::ostream& out, const Place& p) {
  return out << "{" << p.left << ", " << p.top << ", " << p.width << ", " << p.height << "}";
}

namespace {

// A row's 96-DPI figure stays as it is at 96 DPI and becomes the row's other figures at 120, 144
// and 192.
template <typename Row>
void expectScaledAtEachDpi(const Row& row) {
  SCOPED_TRACE(row.what);
  EXPECT_EQ(scaleForDpi(row.at96, 96), row.at96);
  EXPECT_EQ(scaleForDpi(row.at96, 120), row.at120);
  EXPECT_EQ(scaleForDpi(row.at96, 144), row.at144);
  EXPECT_EQ(scaleForDpi(row.at96, 192), row.at192);
}

TEST(DisplayScale, ControlPlaces) {
  const struct {
    const char* what;
    Place at96;
    Place at120, at144, at192;
  } rows[] = {
      {"按钮1", {184, 176, 80, 32}, {230, 220, 100, 40}, {276, 264, 120, 48}, {368, 352, 160, 64}},
      {"编辑框2", {72, 264, 80, 20}, {90, 330, 100, 25}, {108, 396, 120, 30}, {144, 528, 160, 40}},
      {"标签2", {112, 48, 296, 64}, {140, 60, 370, 80}, {168, 72, 444, 96}, {224, 96, 592, 128}},
      {"标签4", {296, 136, 16, 24}, {370, 170, 20, 30}, {444, 204, 24, 36}, {592, 272, 32, 48}},
      {"按钮5", {104, 208, 80, 16}, {130, 260, 100, 20}, {156, 312, 120, 24}, {208, 416, 160, 32}},
      {"标签7", {128, 8, 304, 32}, {160, 10, 380, 40}, {192, 12, 456, 48}, {256, 16, 608, 64}},
      {"记次窗口 编辑框1", {0, 0, 384, 248}, {0, 0, 480, 310}, {0, 0, 576, 372}, {0, 0, 768, 496}},
  };
  for (const auto& row : rows) expectScaledAtEachDpi(row);
}

// Window sizes and font heights, where a fraction of a pixel rounds: halves away from zero, as
// MulDiv does, negative font heights included.
TEST(DisplayScale, SizesAndFontHeightsRoundHalvesAwayFromZero) {
  const struct {
    const char* what;
    int at96, at120, at144, at192;
  } rows[] = {
      {"启动窗口 width", 549, 686, 824, 1098},  // 686.25, 823.5
      {"启动窗口 height", 326, 408, 489, 652},  // 407.5
      {"记次窗口 width", 387, 484, 581, 774},   // 483.75, 580.5
      {"记次窗口 height", 298, 373, 447, 596},  // 372.5
      {"标签2 font", -35, -44, -53, -70},       // -43.75, -52.5
      {"标签5 font", -14, -18, -21, -28},       // -17.5
      {"标签7 font", -19, -24, -29, -38},       // -23.75, -28.5
  };
  for (const auto& row : rows) expectScaledAtEachDpi(row);
}

TEST(DisplayScale, CentringAndTheEditBoxMinimumHeight) {
  EXPECT_EQ(centred(1280, 549), 365);
  EXPECT_EQ(centred(1280, 1098), 91);  // the main window at 192 DPI still fits the desktop
  EXPECT_EQ(centred(800, 652), 74);
  EXPECT_EQ(editBoxHeight(20, 12, 2), 20);  // tall enough already
  EXPECT_EQ(editBoxHeight(20, 17, 2), 21);  // grows to the text and both edges
  EXPECT_EQ(editBoxHeight(30, 27, 2), 31);
}

}  // namespace
