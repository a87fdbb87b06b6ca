// Where the backups folder lives: beside the executable of a portable copy, in the user's own
// data folder for an installed one, so that a copy in /usr/bin never writes there.
#pragma once

#include <string>
#include <system_error>

// The backups folder of the running executable (GetProgramPath()), ending with a separator.
// A copy whose executable sits in PREFIX/bin with a folder PREFIX/share/quillmar/ beside it is
// installed, wherever PREFIX is: its folder is $XDG_DATA_HOME/quillmar/backups/, or
// $HOME/.local/share/quillmar/backups/ when XDG_DATA_HOME is unset, empty or not absolute.
// On Windows a copy with the installer's uninstall.exe beside it, and a copy whose folder
// cannot hold backups (below Program Files, in the temporary folder an archive's program is
// unpacked into, or a folder that takes no new file), uses %LOCALAPPDATA%\Quillmar\backups\.
// Every other copy keeps it beside itself: the executable's folder, then "backups", each
// followed by the platform's separator.
// Empty when there is none: the program path is unknown, or an installed copy finds neither
// an absolute XDG_DATA_HOME nor an absolute HOME (on Windows, no absolute LOCALAPPDATA).
std::string BackupsFolderPath();

// Makes the backups folder at path (as returned above) and whichever folders above it are
// missing, so an installed copy's first run can create its data folder, each private to the
// user, and takes other users' rights away from a backups folder made before. Returns an empty code
// when the folder is there afterwards, whether made now or before; otherwise the failure of
// the first folder that could not be made (std::errc::not_a_directory when something else
// holds one of the names). An empty path gives std::errc::no_such_file_or_directory.
std::error_code CreateBackupsFolder(const std::string& path);
