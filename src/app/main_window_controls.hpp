// The stopwatch's view of 启动窗口 and of the lap viewer, through the shell's loaded windows.
// Window-free, so that the unit tests give the stopwatch the same controls.
#pragma once

#include "stopwatch/stopwatch.hpp"
#include "windows/control_ids.hpp"

inline constexpr StopwatchControlNames kMainWindowNames{
    mainControls::标签2.name, mainControls::标签3.name,   mainControls::标签5.name,
    mainControls::标签6.name, mainControls::编辑框2.name, mainControls::时钟1.name,
};

class MainWindowControls final : public StopwatchControls {
 public:
  std::string caption(std::string_view label) const override;
  void setCaption(std::string_view label, std::string_view text) override;
  void setContent(std::string_view box, std::string_view text) override;
  void setPeriod(std::string_view timer, std::int32_t ms) override;
  // A closed viewer is opened again, fresh, so that no lap is dropped.
  void appendLapLine(std::string_view line) override;
};
