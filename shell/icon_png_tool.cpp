// Build tool: writes the program's icon as PNG files for the desktop's icon theme.
// Usage: quillmar_icon_png FOLDER SIZE... writes FOLDER/quillmar-SIZE.png for each size.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app_icon.h"
#include "png_file.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FOLDER SIZE...\n", argv[0]);
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    const std::string png = EncodePng(DrawAppIcon(size));
    const std::string path = std::string(argv[1]) + "/quillmar-" + argv[i] + ".png";
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (png.empty() || !file.write(png.data(), static_cast<std::streamsize>(png.size())) ||
        !file.flush()) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.c_str());
      return 1;
    }
  }
  return 0;
}
