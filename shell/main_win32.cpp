// The program's entry on Windows: runs a command-line command in the console it was started
// from; otherwise installs the Win32 window backend and hands over to the application object,
// whose main dialog is the program's whole life.
#include <cstdlib>
#include <span>

#include "cli/commands.h"
#include "framework/terminal.h"
#include "framework/win32/win32_backend.h"
#include "main_app.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  const std::span<const char* const> args{const_cast<const char* const*>(__argv) + 1,
                                          static_cast<std::size_t>(__argc > 0 ? __argc - 1 : 0)};
  if (!args.empty() && IsCliCommand(args.front())) {
    UseParentConsole();
    return RunCliCommand(args);
  }
  Win32Backend backend;
  InstallWindowBackend(&backend);
  theApp.InitInstance();
  InstallWindowBackend(nullptr);
  return 0;
}
