// 记次窗口: the lap list, which the user may also edit, and the button that saves it.
#include "windows/description.hpp"

namespace {

using namespace viewerControls;

// No ES_AUTOHSCROLL: long lines wrap at the box's width.
constexpr ControlRow kControls[] = {
    {ControlKind::editBox, 编辑框1, {0, 0, 384, 248}, "", true, true,
     ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL, WS_EX_CLIENTEDGE, nullptr},
    {ControlKind::button, 按钮1, {0, 248, 384, 24}, "一键保存记次文本", true, true,
     BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE, 0, nullptr},
};

constexpr Binding kBindings[] = {
    {&按钮1, Event::clicked, HandlerId::saveLapText},
};

}  // namespace

extern const WindowDescription 记次窗口{
    "记次窗口",
    "LumoLapViewer",
    "查看记次   " LUMO_CREDIT_SITE " by:" LUMO_CREDIT_AUTHOR,
    387,
    298,
    WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
    kTopmost | kTaskbarButton | kShownWhenLoaded,
    kControls,
    sizeof kControls / sizeof kControls[0],
    kBindings,
    sizeof kBindings / sizeof kBindings[0],
};
