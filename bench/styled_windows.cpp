// A diagnosis for start-up, not a goal's reference: the stopwatch's two windows with everything
// they must have, built straight on the API with none of the stopwatch's own code. OLE first, the
// invisible owner, the manifest's common controls 6, the icons, the topmost band, the same buttons,
// edit boxes and labels in the same fonts. What the stopwatch takes beyond this is its own.
#include <ole2.h>

#include "bare_window.hpp"

namespace {

struct Child {
  const char* className;
  const char* text;
  int left, top, width, height;
  DWORD style;
  DWORD exStyle;
  const char* face;  // null: the GUI font
  int fontHeight;
  int weight;
};

constexpr DWORD kButton = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE | WS_TABSTOP;

constexpr Child kMainChildren[] = {
    {"BUTTON", "开始计时", 184, 176, 80, 32, kButton, 0, nullptr, 0, 0},
    {"STATIC", "0", 216, 208, 40, 32, 0, 0, nullptr, 0, 0},
    {"BUTTON", "停止计时", 264, 176, 80, 32, kButton, 0, nullptr, 0, 0},
    {"EDIT", "", 72, 264, 80, 20, ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, nullptr, 0, 0},
    {"STATIC", "状态：", 32, 264, 40, 24, 0, 0, nullptr, 0, 0},
    {"STATIC", "0秒0毫秒", 112, 48, 296, 64, 0, 0, "宋体", -35, FW_BOLD},
    {"STATIC", "0", 224, 136, 64, 24, SS_RIGHT, 0, "黑体", -16, FW_NORMAL},
    {"BUTTON", "记次", 104, 176, 80, 32, kButton, 0, nullptr, 0, 0},
    {"STATIC", "次", 296, 136, 16, 24, 0, 0, "黑体", -16, FW_NORMAL},
    {"BUTTON", "复位", 344, 176, 80, 32, kButton, 0, nullptr, 0, 0},
    {"BUTTON", "查看记次", 104, 208, 80, 16, kButton, 0, nullptr, 0, 0},
    {"STATIC", "1.", 32, 128, 96, 24, 0, 0, "宋体", -14, FW_NORMAL},
    {"STATIC", ".", 480, 136, 80, 24, 0, 0, "宋体", -16, FW_NORMAL},
    {"STATIC", "lumo.example.org by:Lumo", 128, 8, 304, 32, 0, 0, "宋体", -19, FW_NORMAL},
};

constexpr Child kViewerChildren[] = {
    {"EDIT", "", 0, 0, 384, 248,
     ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, nullptr,
     0, 0},
    {"BUTTON", "一键保存记次文本", 0, 248, 384, 24, kButton, 0, nullptr, 0, 0},
};

HFONT fontOf(const Child& child) {
  if (child.face == nullptr) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  return CreateFontA(child.fontHeight, 0, 0, 0, child.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, child.face);
}

// Hidden, dressed and filled; the caller shows it. The fonts live as long as the process.
template <std::size_t N>
HWND buildWindow(const char* className, const char* caption, int width, int height, HWND owner,
                 const Child (&children)[N]) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  HWND hwnd = CreateWindowExA(0, className, caption, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                              CW_USEDEFAULT, CW_USEDEFAULT, width, height, owner, nullptr, instance, nullptr);
  if (hwnd == nullptr) return nullptr;
  for (int size : {32, 16}) {
    const HANDLE icon = LoadImageA(instance, "DEFAULT_ICON", IMAGE_ICON, size, size, LR_SHARED);
    SendMessageA(hwnd, WM_SETICON, size == 32 ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  int id = 100;
  for (const Child& child : children) {
    HWND control = CreateWindowExA(child.exStyle, child.className, child.text, WS_CHILD | WS_VISIBLE | child.style,
                                   child.left, child.top, child.width, child.height, hwnd,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
    if (control == nullptr) return nullptr;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(child)), FALSE);
  }
  return hwnd;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (FAILED(OleInitialize(nullptr))) return 1;
  const HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  if (!registerBareClass(instance, kStyledFirstClass, lastWindowEndsProc, face) ||
      !registerBareClass(instance, kStyledSecondClass, lastWindowEndsProc, face) ||
      !registerBareClass(instance, "LumoBenchOwner", DefWindowProcA, nullptr)) {
    return 1;
  }
  HWND owner = CreateWindowExA(WS_EX_TOOLWINDOW, "LumoBenchOwner", "", 0, 0, 0, 0, 0, nullptr, nullptr, instance,
                               nullptr);
  HWND first = buildWindow(kStyledFirstClass, "first", 549, 326, owner, kMainChildren);
  if (owner == nullptr || first == nullptr) return 1;
  SetWindowPos(first, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // The second is built and shown while the first is still hidden, as the stopwatch does.
  HWND second = buildWindow(kStyledSecondClass, "second", 387, 298, nullptr, kViewerChildren);
  if (second == nullptr) return 1;
  ShowWindow(second, SW_SHOW);
  ShowWindow(first, SW_SHOW);
  const int code = runMessageLoop();
  OleUninitialize();
  return code;
}
