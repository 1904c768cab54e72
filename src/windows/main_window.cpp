// 启动窗口: the elapsed-time display, the lap count, the status box, the five command buttons and
// the hidden timer that drives the stopwatch.
#include "windows/description.hpp"

namespace {

using namespace mainControls;

constexpr std::uint32_t kDisplayGreen = RGB(128, 224, 0);
constexpr DWORD kButton = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;

constexpr LabelStyle kPlain{kGuiFont, kBlack, kButtonFace, Alignment::left};
constexpr LabelStyle kDisplay{{"宋体", -35, FW_BOLD}, kDisplayGreen, kBlack, Alignment::left};
constexpr LabelStyle kCount{{"黑体", -16, FW_NORMAL}, kBlack, kButtonFace, Alignment::right};
constexpr LabelStyle kCountUnit{{"黑体", -16, FW_NORMAL}, kBlack, kButtonFace, Alignment::left};
constexpr LabelStyle kLapPrefix{{"宋体", -14, FW_NORMAL}, kBlack, kButtonFace, Alignment::left};
constexpr LabelStyle kSeparator{{"宋体", -16, FW_NORMAL}, kBlack, kButtonFace, Alignment::left};
constexpr LabelStyle kCredit{{"宋体", -19, FW_NORMAL}, kBlack, kButtonFace, Alignment::left};

// The order of the rows is the tab order.
constexpr ControlRow kControls[] = {
    // kind                id       left top  w    h     text        shown  tab    style                     exStyle           label
    {ControlKind::button,  按钮1,   {184, 176, 80,  32}, "开始计时", true,  true,  kButton,                  0,                nullptr},
    {ControlKind::timer,   时钟1,   {216, 208, 40,  32}, "0",        false, false, 0,                        0,                nullptr},
    {ControlKind::button,  按钮2,   {264, 176, 80,  32}, "停止计时", true,  true,  kButton,                  0,                nullptr},
    {ControlKind::editBox, 编辑框2, {72,  264, 80,  20}, "",         true,  true,  ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, nullptr},
    {ControlKind::label,   标签1,   {32,  264, 40,  24}, "状态：",   true,  false, 0,                        0,                &kPlain},
    {ControlKind::label,   标签2,   {112, 48,  296, 64}, "0秒0毫秒", true,  false, 0,                        0,                &kDisplay},
    {ControlKind::label,   标签3,   {224, 136, 64,  24}, "0",        true,  false, 0,                        0,                &kCount},
    {ControlKind::button,  按钮3,   {104, 176, 80,  32}, "记次",     true,  true,  kButton,                  0,                nullptr},
    {ControlKind::label,   标签4,   {296, 136, 16,  24}, "次",       true,  false, 0,                        0,                &kCountUnit},
    {ControlKind::button,  按钮4,   {344, 176, 80,  32}, "复位",     true,  true,  kButton,                  0,                nullptr},
    {ControlKind::button,  按钮5,   {104, 208, 80,  16}, "查看记次", true,  true,  kButton,                  0,                nullptr},
    {ControlKind::label,   标签5,   {32,  128, 96,  24}, "1.",       false, false, 0,                        0,                &kLapPrefix},
    {ControlKind::label,   标签6,   {480, 136, 80,  24}, ".",        true,  false, 0,                        0,                &kSeparator},
    {ControlKind::label,   标签7,   {128, 8,   304, 32}, LUMO_CREDIT_SITE " by:" LUMO_CREDIT_AUTHOR, true, false, 0, 0,          &kCredit},
};

constexpr Binding kBindings[] = {
    {nullptr, Event::created, HandlerId::showLapViewer},
    {&按钮1, Event::clicked, HandlerId::startTiming},
    {&按钮2, Event::clicked, HandlerId::stopTiming},
    {&按钮3, Event::clicked, HandlerId::recordLap},
    {&按钮4, Event::clicked, HandlerId::resetStopwatch},
    {&按钮5, Event::clicked, HandlerId::showLapViewer},
    {&时钟1, Event::periodic, HandlerId::onTimerTick},
    {&标签7, Event::feedback, HandlerId::nothing},
};

}  // namespace

extern const WindowDescription 启动窗口{
    "启动窗口",
    "3443",
    "Lumo秒计时器 " LUMO_CREDIT_SITE " by：" LUMO_CREDIT_AUTHOR,
    549,
    326,
    WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
    kTopmost | kShownWhenLoaded,
    kControls,
    sizeof kControls / sizeof kControls[0],
    kBindings,
    sizeof kBindings / sizeof kBindings[0],
};
