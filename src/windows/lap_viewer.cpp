// 记次窗口: the lap list, which the user may also edit, and the button that saves it.
#include "shell/handlers.hpp"
#include "windows/description.hpp"

namespace {

constexpr FontSpec kGuiFont{nullptr, 0, 0};
constexpr std::uint32_t kBlack = RGB(0, 0, 0);
constexpr std::uint32_t kWhite = RGB(255, 255, 255);

// No ES_AUTOHSCROLL: long lines wrap at the box's width.
constexpr ControlRow kControls[] = {
    {ControlKind::editBox, "编辑框1", 0, 0, 384, 248, "", true, true, kGuiFont, kBlack, kWhite,
     Alignment::left, ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL,
     WS_EX_CLIENTEDGE},
    {ControlKind::button, "按钮1", 0, 248, 384, 24, "一键保存记次文本", true, true, kGuiFont, kBlack,
     kButtonFace, Alignment::left, BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE, 0},
};

constexpr Binding kBindings[] = {
    {"按钮1", Event::clicked, saveLapText},
};

}  // namespace

extern const WindowDescription 记次窗口{
    "记次窗口",
    "LumoLapViewer",
    "查看记次   " LUMO_CREDIT_SITE " by:" LUMO_CREDIT_AUTHOR,
    387,
    298,
    WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
    true,
    true,
    true,
    kControls,
    sizeof kControls / sizeof kControls[0],
    kBindings,
    sizeof kBindings / sizeof kBindings[0],
};
