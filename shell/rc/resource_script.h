// The Windows resource script (.rc) of the executable: icon 128 from its .ico file and the
// version record, written from the same data the program is built from.
#pragma once

#include <string>

#include "shell/version_info.h"

// iconFile is the .ico's name as the script names it (beside the script).
std::string ResourceScript(const VersionRecord& version, int iconId, const std::string& iconFile);
