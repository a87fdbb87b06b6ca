// HeldParent over openat(2)'s O_PATH descriptors.
#include "platform/held_parent_posix.h"

#include <fcntl.h>
#include <unistd.h>

HeldParent::~HeldParent() {
  if (m_fd >= 0) ::close(m_fd);
}

bool HeldParent::Open(const std::string& folder) {
  if (m_fd >= 0) ::close(m_fd);
  const std::size_t slash = folder.find_last_of('/');
  const std::string parent = slash == std::string::npos ? std::string(".")
                             : slash == 0               ? std::string("/")
                                                        : folder.substr(0, slash);
  m_folderName = slash == std::string::npos ? folder + '/' : folder.substr(slash + 1) + '/';
  if (m_folderName == "/") m_folderName.clear();
  m_fd = ::open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  return m_fd >= 0;
}
