// The Windows program: the native backend and desktop services, then the shared
// entry point.
#include "TazuClickMain.h"
#include "platform/win32/Win32Backend.h"
#include "platform/win32/Win32Desktop.h"
#include "ui/Application.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::win32::TWin32Desktop Desktop;
  platform::SetDesktop(&Desktop);
  platform::win32::TWin32Backend Backend;
  ui::SetBackend(&Backend);
  Desktop.ModalChanged = [&Backend](bool Entering) { Backend.SetModal(Entering); };
  {
    ui::TApplication Application;
    TazuClickMain();
  }
  ui::SetBackend(nullptr);
  platform::SetDesktop(nullptr);
  return 0;
}
