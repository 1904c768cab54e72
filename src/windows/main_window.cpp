// 启动窗口: the elapsed-time display, the lap count, the status box, the five command buttons and
// the hidden timer that drives the stopwatch.
#include "shell/handlers.hpp"
#include "windows/description.hpp"

namespace {

constexpr FontSpec kGuiFont{nullptr, 0, 0};
constexpr std::uint32_t kBlack = RGB(0, 0, 0);
constexpr std::uint32_t kWhite = RGB(255, 255, 255);
constexpr std::uint32_t kDisplayGreen = RGB(128, 224, 0);
constexpr DWORD kButton = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;

// The order of the rows is the tab order.
constexpr ControlRow kControls[] = {
    // kind                  name     left top  w    h   text        shown  tab    font                   text    background   align
    {ControlKind::button,  "按钮1",   184, 176, 80,  32, "开始计时", true,  true,  kGuiFont,              kBlack, kButtonFace, Alignment::left, kButton, 0},
    {ControlKind::timer,   "时钟1",   216, 208, 40,  32, "0",        false, false, kGuiFont,              kBlack, kButtonFace, Alignment::left, 0, 0},
    {ControlKind::button,  "按钮2",   264, 176, 80,  32, "停止计时", true,  true,  kGuiFont,              kBlack, kButtonFace, Alignment::left, kButton, 0},
    {ControlKind::editBox, "编辑框2", 72,  264, 80,  20, "",         true,  true,  kGuiFont,              kBlack, kWhite,      Alignment::left, ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
    {ControlKind::label,   "标签1",   32,  264, 40,  24, "状态：",   true,  false, kGuiFont,              kBlack, kButtonFace, Alignment::left, 0, 0},
    {ControlKind::label,   "标签2",   112, 48,  296, 64, "0秒0毫秒", true,  false, {"宋体", -35, FW_BOLD}, kDisplayGreen, kBlack, Alignment::left, 0, 0},
    {ControlKind::label,   "标签3",   224, 136, 64,  24, "0",        true,  false, {"黑体", -16, FW_NORMAL}, kBlack, kButtonFace, Alignment::right, 0, 0},
    {ControlKind::button,  "按钮3",   104, 176, 80,  32, "记次",     true,  true,  kGuiFont,              kBlack, kButtonFace, Alignment::left, kButton, 0},
    {ControlKind::label,   "标签4",   296, 136, 16,  24, "次",       true,  false, {"黑体", -16, FW_NORMAL}, kBlack, kButtonFace, Alignment::left, 0, 0},
    {ControlKind::button,  "按钮4",   344, 176, 80,  32, "复位",     true,  true,  kGuiFont,              kBlack, kButtonFace, Alignment::left, kButton, 0},
    {ControlKind::button,  "按钮5",   104, 208, 80,  16, "查看记次", true,  true,  kGuiFont,              kBlack, kButtonFace, Alignment::left, kButton, 0},
    {ControlKind::label,   "标签5",   32,  128, 96,  24, "1.",       false, false, {"宋体", -14, FW_NORMAL}, kBlack, kButtonFace, Alignment::left, 0, 0},
    {ControlKind::label,   "标签6",   480, 136, 80,  24, ".",        true,  false, {"宋体", -16, FW_NORMAL}, kBlack, kButtonFace, Alignment::left, 0, 0},
    {ControlKind::label,   "标签7",   128, 8,   304, 32, LUMO_CREDIT_SITE " by:" LUMO_CREDIT_AUTHOR, true, false, {"宋体", -19, FW_NORMAL}, kBlack, kButtonFace, Alignment::left, 0, 0},
};

constexpr Binding kBindings[] = {
    {nullptr, Event::created, showLapViewer},
    {"按钮1", Event::clicked, startTiming},
    {"按钮2", Event::clicked, stopTiming},
    {"按钮3", Event::clicked, recordLap},
    {"按钮4", Event::clicked, resetStopwatch},
    {"按钮5", Event::clicked, showLapViewer},
    {"时钟1", Event::periodic, onTimerTick},
    {"标签7", Event::feedback, nullptr},
};

}  // namespace

extern const WindowDescription 启动窗口{
    "启动窗口",
    "3443",
    "Lumo秒计时器 " LUMO_CREDIT_SITE " by：" LUMO_CREDIT_AUTHOR,
    549,
    326,
    WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
    true,
    false,
    true,
    kControls,
    sizeof kControls / sizeof kControls[0],
    kBindings,
    sizeof kBindings / sizeof kBindings[0],
};
