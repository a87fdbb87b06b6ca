// The program's entry: answers --version and --help without a display, otherwise opens the
// desktop window backend and hands over to the application object, whose main dialog is the
// program's whole life and shows the folder named on the command line, if any.
#include <cstdio>
#include <memory>
#include <string>

#include "command_line.h"
#include "framework/gtk/gtk_backend.h"
#include "main_app.h"

int main(int argc, char** argv) {
  std::string out;
  std::string err;
  const CommandLineOutcome outcome =
      ReadCommandLine({argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)}, out, err);
  std::fputs(out.c_str(), stdout);
  std::fputs(err.c_str(), stderr);
  if (!outcome.runProgram) return outcome.exitCode;

  std::string reason;
  std::unique_ptr<GtkBackend> backend = GtkBackend::Open(&reason);
  if (!backend) {
    std::fprintf(stderr, "quillmar: cannot open the display: %s\n", reason.c_str());
    return 1;
  }
  InstallWindowBackend(backend.get());
  theApp.m_strStartDirectory = outcome.folder;
  theApp.InitInstance();
  InstallWindowBackend(nullptr);
  return 0;
}
