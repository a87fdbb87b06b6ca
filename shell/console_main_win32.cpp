// The console program on Windows, quillmar.com, beside quillmar.exe. For the bare name
// "quillmar" cmd and PowerShell run a .com before an .exe, and they wait for a console
// program, pass on its exit status and leave it the console to read answers from, none of
// which they do for a windowed one. So the commands run here, in the caller's console; with
// no command, or a folder, the window is the windowed program's work: it is started with the
// same arguments, and this one returns at once, as the windowed program would have.
#include <cstdio>
#include <span>
#include <string>

#include "cli/cli_io.h"
#include "cli/commands.h"
#include "command_line.h"
#include "platform/platform_files.h"
#include "platform/terminal.h"
#include "platform/windows_system.h"

namespace {

// quillmar.exe beside this program, under the whole command line this one was given.
int StartWindowedProgram() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return kExitPartly;
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  path.replace(path.size() - 4, 4, L".exe");
  std::wstring commandLine = ::GetCommandLineW();
  // None of this console's handles: the window's program outlives this one, and a pipe it
  // held open would keep the caller waiting for its end.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
    const std::error_code reason(static_cast<int>(::GetLastError()), std::system_category());
    Print(stderr, "quillmar: cannot start the window's program quillmar.exe: " +
                      ErrorText(reason) + "\n");
    return kExitPartly;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return kExitDone;
}

}  // namespace

int main(int argc, char** argv) {
  // The run-time's split of the command line, in the UTF-8 code page the manifest asks for.
  const std::span<const char* const> args{const_cast<const char* const*>(argv) + 1,
                                          static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)};
  if (!args.empty() && IsCliCommand(args.front())) return RunCliCommand(args);
  std::string out;
  std::string err;
  const CommandLineOutcome outcome = ReadCommandLine(args, out, err);
  WriteText(stdout, out);
  WriteText(stderr, err);
  if (!outcome.runProgram) return outcome.exitCode;
  return StartWindowedProgram();
}
