// Writing the report of unprotected files: one "path<TAB>reason" line per item.
#include "store/unprotected_report.h"

#include <cstdio>
#include <filesystem>

#include "platform/platform_files.h"
#include "store/store_layout.h"

namespace {

void AppendEscaped(std::string& out, const std::string& path) {
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
}

}  // namespace

std::string FormatUnprotectedReport(const std::vector<UnprotectedItem>& items) {
  std::string text;
  for (const UnprotectedItem& item : items) {
    AppendEscaped(text, item.path);
    text += '\t';
    text += item.reason;
    text += '\n';
  }
  return text;
}

std::error_code WriteUnprotectedReport(const std::string& store,
                                       const std::vector<UnprotectedItem>& items) {
  const std::string path = ReportPathIn(store);
  if (items.empty()) {
    std::error_code error;
    std::filesystem::remove(path, error);
    return error;
  }
  if (std::error_code error = WriteFileReplacing(path.c_str(), FormatUnprotectedReport(items))) {
    return error;
  }
  return RestrictToOwner(path.c_str());
}
