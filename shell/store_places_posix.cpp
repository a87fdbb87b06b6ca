// Where a Linux copy keeps its backups, as the help tells it.
#include "store_places.h"

std::string_view StorePlacesText() {
  return "An installed copy (PREFIX/bin/quillmar with a folder PREFIX/share/quillmar/) keeps its\n"
         "backups in $XDG_DATA_HOME/quillmar/backups/, by default\n"
         "~/.local/share/quillmar/backups/; any other copy in backups/ beside its executable.\n";
}
