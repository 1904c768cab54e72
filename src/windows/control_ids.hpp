// The controls of the two windows as the program and other programs know them: the name that the
// descriptions, the stopwatch and the handlers use, and the identifier that the control's window
// carries (GetDlgItem finds it by that). Window-free, so the unit tests' fake and the end-to-end
// driver take the same facts.
#pragma once

#include <string_view>

struct ControlId {
  int id;
  std::string_view name;
};

// 启动窗口. The identifiers run in the order of the window's table, from 100 (clear of IDOK and
// IDCANCEL); other programs may have come to rely on them, so they stay.
namespace mainControls {
inline constexpr ControlId 按钮1{100, "按钮1"};
inline constexpr ControlId 时钟1{101, "时钟1"};
inline constexpr ControlId 按钮2{102, "按钮2"};
inline constexpr ControlId 编辑框2{103, "编辑框2"};
inline constexpr ControlId 标签1{104, "标签1"};
inline constexpr ControlId 标签2{105, "标签2"};
inline constexpr ControlId 标签3{106, "标签3"};
inline constexpr ControlId 按钮3{107, "按钮3"};
inline constexpr ControlId 标签4{108, "标签4"};
inline constexpr ControlId 按钮4{109, "按钮4"};
inline constexpr ControlId 按钮5{110, "按钮5"};
inline constexpr ControlId 标签5{111, "标签5"};
inline constexpr ControlId 标签6{112, "标签6"};
inline constexpr ControlId 标签7{113, "标签7"};
}  // namespace mainControls

// 记次窗口.
namespace viewerControls {
inline constexpr ControlId 编辑框1{100, "编辑框1"};
inline constexpr ControlId 按钮1{101, "按钮1"};
}  // namespace viewerControls
