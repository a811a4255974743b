// window_probe TITLE SECONDS: waits up to SECONDS for a visible top-level
// window whose title is exactly TITLE and prints "WIDTHxHEIGHT", the size of
// its client area; exit status 1 when no such window appears.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: window_probe TITLE SECONDS\n", stderr);
    return 2;
  }
  const std::wstring title = argv[1];
  const DWORD deadline = ::GetTickCount() + static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) * 1000;
  for (;;) {
    const HWND window = ::FindWindowW(nullptr, title.c_str());
    if (window != nullptr && ::IsWindowVisible(window)) {
      RECT client{};
      ::GetClientRect(window, &client);
      std::printf("%ldx%ld\n", client.right - client.left, client.bottom - client.top);
      return 0;
    }
    if (static_cast<LONG>(::GetTickCount() - deadline) > 0) break;
    ::Sleep(200);
  }
  std::fprintf(stderr, "window_probe: no visible window titled as asked\n");
  return 1;
}
