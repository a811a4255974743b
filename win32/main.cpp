// quillonet.exe: the native Windows window over the same import run as the Linux one.
#include "automation/in_process.h"
#include "util/app_info.h"
#include "util/text.h"
#include "win32/frmStep1.h"
#include "win32/wide.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <exception>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  // The common controls first, so every control is made from their classes.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // The shell's folder browser needs COM on this thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  int status = 0;
  try {
    quillonet::automation::InProcessComponents components;
    quillonet::win32::frmStep1 window(components);
    window.Show(showCommand);
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
      if (window.Navigate(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    status = got < 0 ? 1 : static_cast<int>(msg.wParam);
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, quillonet::win32::Wide(quillonet::text::FromUtf8(e.what())),
                quillonet::win32::Wide(quillonet::AppTitle()), MB_OK | MB_ICONERROR);
    status = 1;
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return status;
}
