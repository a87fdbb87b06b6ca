// How `quillmar list` writes an entry for a reader: on a line of its own, or as JSON text that
// every JSON reader takes, whatever bytes the name holds.
#pragma once

#include <string>
#include <string_view>

// entry on one line: each control character (a line break or a tab in a file name) written as
// \xHH, as unprotected.txt writes it.
std::string EntryLine(std::string_view entry);

// True when text is well-formed UTF-8: no stray or missing continuation byte, no overlong
// form, no surrogate, nothing above U+10FFFF.
bool IsUtf8(std::string_view text);

// text as a JSON string, quotes included: '"', '\' and the control characters escaped, and
// each byte that is not part of well-formed UTF-8 replaced by U+FFFD.
std::string JsonString(std::string_view text);

// bytes in base64 (RFC 4648, with padding), for the bytes of a name that is not UTF-8.
std::string Base64(std::string_view bytes);
