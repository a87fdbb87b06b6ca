// Host tool of the Windows build: writes quillmar.ico and quillmar.rc into the folder given
// as its argument, from the icon and version record the program itself is built from.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "icon_file.h"
#include "resource_script.h"
#include "shell/app_icon.h"
#include "shell/png_file.h"
#include "shell/resource_ids.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const std::vector<std::uint8_t> ico = IconFileBytes(AppIcon(), EncodePng(DrawAppIcon(256)));
  std::ofstream icoFile(folder + "/quillmar.ico", std::ios::binary | std::ios::trunc);
  icoFile.write(reinterpret_cast<const char*>(ico.data()),
                static_cast<std::streamsize>(ico.size()));
  std::ofstream rcFile(folder + "/quillmar.rc", std::ios::trunc);
  rcFile << ResourceScript(kVersionRecord, IDR_MAINFRAME, "quillmar.ico");
  if (!icoFile.good() || !rcFile.good()) {
    std::fprintf(stderr, "write_resources: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
