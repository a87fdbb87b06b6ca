// The error of a copy whose source was written to while it was read, on every platform.
#include "platform/file_copies.h"

namespace {

class CopyCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "quillmar copy"; }
  std::string message(int) const override { return "changed while it was copied"; }
};

}  // namespace

std::error_code ChangedWhileCopied() {
  static const CopyCategory category;
  return std::error_code(1, category);
}
