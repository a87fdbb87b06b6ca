// Where a Windows copy keeps its backups, as the help tells it.
#include "store_places.h"

std::string_view StorePlacesText() {
  return "A copy installed by the installer, and a copy in a folder that cannot hold backups\\\n"
         "(Program Files, a temporary or read-only folder), keeps its backups in\n"
         "%LOCALAPPDATA%\\Quillmar\\backups\\; any other copy in backups\\ beside quillmar.exe.\n";
}
