// The program's entry: opens the desktop window backend, then hands over to the application
// object, whose main dialog is the program's whole life. Reads no argument.
#include <cstdio>
#include <memory>
#include <string>

#include "framework/fltk/fltk_backend.h"
#include "main_app.h"

int main() {
  std::string reason;
  std::unique_ptr<FltkBackend> backend = FltkBackend::Open(&reason);
  if (!backend) {
    std::fprintf(stderr, "quillmar: cannot open the display: %s\n", reason.c_str());
    return 1;
  }
  InstallWindowBackend(backend.get());
  theApp.InitInstance();
  InstallWindowBackend(nullptr);
  return 0;
}
