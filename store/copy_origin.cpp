// The origin travels as a note on the copy.
#include "store/copy_origin.h"

namespace {

constexpr const char* kOriginNote = "quillmar.origin";

}  // namespace

FileNote OriginNoteOf(const char* source) { return FileNote{kOriginNote, source}; }

std::optional<std::string> OriginOf(const SourceFile& copy) { return copy.Note(kOriginNote); }
