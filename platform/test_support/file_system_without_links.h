// A file system without hard links (FAT, exFAT, many network shares), made through the failure
// seam for as long as the object lives: every further name is refused, and there are no
// nameless files either, so copies take the ways such file systems leave them.
#pragma once

#include <system_error>

#include "platform/injected_failures.h"

class FileSystemWithoutLinks {
 public:
  FileSystemWithoutLinks()
      : m_nameless(FileCall::kCreateNameless,
                   std::make_error_code(std::errc::operation_not_supported)),
        m_links(FileCall::kLink, LinkRefused()) {}

 private:
  static std::error_code LinkRefused() {
#if defined(_WIN32)
    return std::error_code(50 /* ERROR_NOT_SUPPORTED */, std::system_category());
#else
    return std::make_error_code(std::errc::operation_not_permitted);
#endif
  }

  ScopedFailure m_nameless;
  ScopedFailure m_links;
};
