// Start-up and message loop of GlyphCensus.exe.
#include <windows.h>

#include "app/main_dialog.h"
#include "resources/resource_ids.h"

namespace glyphcensus {

namespace {

HACCEL BuildAccelerators() {
  // Each command identifier is the key's virtual-key code.
  ACCEL keys[] = {
      {FVIRTKEY, VK_RETURN, VK_RETURN},
      {FVIRTKEY, VK_ESCAPE, VK_ESCAPE},
      {FVIRTKEY, VK_LEFT, VK_LEFT},
      {FVIRTKEY, VK_RIGHT, VK_RIGHT},
  };
  return CreateAcceleratorTableW(keys, ARRAYSIZE(keys));
}

void GiveTaskbarButton(HWND dialog) {
  const LONG exStyle = GetWindowLongW(dialog, GWL_EXSTYLE);
  ShowWindow(dialog, SW_HIDE);
  SetWindowLongW(dialog, GWL_EXSTYLE, exStyle | WS_EX_APPWINDOW);
  ShowWindow(dialog, SW_SHOWNORMAL);
}

void SetIcons(HINSTANCE instance, HWND dialog) {
  HANDLE large = LoadImageW(instance, MAKEINTRESOURCEW(IDI_LARGE_ICON), IMAGE_ICON, 32, 32,
                            LR_LOADTRANSPARENT);
  HANDLE little = LoadImageW(instance, MAKEINTRESOURCEW(IDI_SMALL_ICON), IMAGE_ICON, 16, 16,
                             LR_LOADTRANSPARENT);
  SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
  SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));
}

}  // namespace

}  // namespace glyphcensus

using namespace glyphcensus;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HACCEL accelerators = BuildAccelerators();  // lives until the process ends
  HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN_DIALOG), nullptr,
                                   MainDialogProc, 0);
  if (!dialog) return 1;  // nothing would ever post the quit message
  GiveTaskbarButton(dialog);
  SetIcons(instance, dialog);

  // IsDialogMessageW is not used: Enter and Escape act only as accelerators,
  // which reach the dialog whichever window has the focus.
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!TranslateAcceleratorW(dialog, accelerators, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return static_cast<int>(message.wParam);
}
