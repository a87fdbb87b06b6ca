// The one installed window backend.
#include "window_backend.h"

#include <cstdio>
#include <cstdlib>

namespace {
WindowBackend* g_installedBackend = nullptr;
}  // namespace

void InstallWindowBackend(WindowBackend* backend) { g_installedBackend = backend; }

WindowBackend& CurrentWindowBackend() {
  if (g_installedBackend == nullptr) {
    std::fputs("Quillmar: no window backend is installed\n", stderr);
    std::abort();
  }
  return *g_installedBackend;
}
