// The program's entry on Windows: installs the Win32 window backend, then hands over to the
// application object, whose main dialog is the program's whole life. Reads no argument.
#include "framework/win32/win32_backend.h"
#include "main_app.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  Win32Backend backend;
  InstallWindowBackend(&backend);
  theApp.InitInstance();
  InstallWindowBackend(nullptr);
  return 0;
}
