// The folder browser behind the main dialog's ".." button: a path box over a list of one
// folder's entries, OK and Cancel. The box is plain text, so whatever the user types stays.
#pragma once

#include <optional>
#include <string>
#include <vector>

class FltkBackend;

// Runs the browser modally, starting in startFolder (a full path). Returns the full path of
// the chosen or typed item (no trailing separator), or nothing when the user cancels or
// leaves the path box empty.
std::optional<std::string> RunFolderBrowser(FltkBackend& backend, const std::string& title,
                                            const std::string& startFolder);

// The list shown for folder (with or without a trailing separator): "../" first unless the
// folder is the root, then the sub-folders and links to folders with a trailing "/", then
// everything else; each group sorted by name in byte order. Hidden entries are included,
// "." and ".." are not. A folder that cannot be listed gives just "../" (nothing at the
// root), so the user can always climb back out of it.
std::vector<std::string> BrowserEntries(const std::string& folder);

// The path an entry of folder's list stands for: "../" the parent folder, any other name
// the item inside folder. Folders keep their trailing "/", so the path reads as a folder.
std::string EntryPath(const std::string& folder, const std::string& entry);

// A chooser's answer made a full path: a relative name is taken in folder, and a trailing
// separator (other than the root's) is dropped. Empty stays empty.
std::string FullChosenPath(const std::string& folder, const std::string& chosen);
