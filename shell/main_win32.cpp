// The program's entry on Windows: runs a command-line command in the console it was started
// from; answers --version and --help; otherwise installs the Win32 window backend and hands
// over to the application object, with the folder given on the command line for the
// Directory box; its main dialog is the program's whole life.
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "cli/commands.h"
#include "command_line.h"
#include "platform/terminal.h"
#include "framework/win32/win32_backend.h"
#include "main_app.h"

namespace {

// A windowed program has no console of its own: its text goes to the console it was started
// from, to wherever its output was sent, or else into a message box.
void Show(const std::string& out, const std::string& err) {
  if (out.empty() && err.empty()) return;
  if (!UseParentConsole()) {
    ::MessageBoxA(nullptr, (out + err).c_str(), "Quillmar", err.empty() ? MB_OK : MB_ICONERROR);
    return;
  }
  WriteText(stdout, out);
  WriteText(stderr, err);
  std::fflush(stdout);
  std::fflush(stderr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  // The run-time's split of the command line, in the UTF-8 code page the manifest asks for.
  const std::span<const char* const> args{const_cast<const char* const*>(__argv) + 1,
                                          static_cast<std::size_t>(__argc > 0 ? __argc - 1 : 0)};
  if (!args.empty() && IsCliCommand(args.front())) {
    UseParentConsole();
    return RunCliCommand(args);
  }
  std::string out;
  std::string err;
  const CommandLineOutcome outcome = ReadCommandLine(args, out, err);
  Show(out, err);
  if (!outcome.runProgram) return outcome.exitCode;

  Win32Backend backend;
  InstallWindowBackend(&backend);
  theApp.m_strStartDirectory = outcome.folder;
  theApp.InitInstance();
  InstallWindowBackend(nullptr);
  return 0;
}
