// The folder browser: FLTK's file chooser set up to list folders and files alike, accept a
// folder or a file, and take a typed name.
#pragma once

#include <optional>
#include <string>

// Runs the chooser modally from the user's home folder. Returns the full path of the chosen
// or typed item (no trailing separator), or nothing when the user cancels.
std::optional<std::string> BrowseWithFileChooser(const std::string& title, int fontPixels);

// A chooser's answer made a full path: a relative name is taken in folder, and a trailing
// separator (other than the root's) is dropped. Empty stays empty.
std::string FullChosenPath(const std::string& folder, const std::string& chosen);
