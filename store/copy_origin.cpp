// The origin travels as a note on the copy.
#include "store/copy_origin.h"

#include "framework/platform_files.h"

namespace {

constexpr const char* kOriginNote = "quillmar.origin";

}  // namespace

std::error_code MakeCopyWithOrigin(const char* source, const char* copyPath) {
  const FileNote origin{kOriginNote, source};
  return CopyFileReplacing(source, copyPath, /*failIfExists=*/false, &origin);
}

std::optional<std::string> CopyOrigin(const char* copyPath) {
  return ReadFileNote(copyPath, kOriginNote);
}
