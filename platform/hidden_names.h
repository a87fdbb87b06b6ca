// The hidden names files have on their way into place: ".NAME.XXXXXX", NAME being the file's
// own name cut to 200 bytes and XXXXXX six letters and digits drawn anew for each name. The
// store tidies away names of this shape that nobody holds any more.
#pragma once

#include <string>
#include <string_view>

// Sets hidden to a hidden name for name in folder (none: the current folder), with a suffix
// that differs from one call, thread and process (forked children included) to the next, so
// that writers seldom meet; one who does tries again. False when the whole path would be too
// long for the platform.
bool HiddenNameIn(std::string_view folder, std::string_view name, std::string& hidden);
