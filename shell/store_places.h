// The help text's paragraph on where a copy keeps its backups: one rule per platform.
#pragma once

#include <string_view>

// Whole lines, each ending with a line feed.
std::string_view StorePlacesText();
