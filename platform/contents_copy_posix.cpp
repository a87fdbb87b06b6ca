// Block sharing by FICLONE, holes found by SEEK_DATA and SEEK_HOLE, and the plain in-kernel
// copy for everything else.
#include "platform/contents_copy_posix.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/injected_failures.h"
#include "platform/pending_file_posix.h"

namespace {

// The file systems, by device, on which this thread's clone was refused as unsupported: ext4
// and tmpfs refuse every time, and a failed call per file would add to every copy.
std::vector<dev_t>& NoCloneDevices() {
  static thread_local std::vector<dev_t> devices;
  return devices;
}

bool MayClone(dev_t device) {
  const std::vector<dev_t>& refused = NoCloneDevices();
  return std::find(refused.begin(), refused.end(), device) == refused.end();
}

bool Clone(int in, int out, dev_t device) {
  if (::ioctl(out, FICLONE, in) == 0) return true;
  if (errno == EOPNOTSUPP || errno == ENOTTY || errno == ENOSYS || errno == EXDEV ||
      errno == EINVAL) {
    NoCloneDevices().push_back(device);
  }
  return false;
}

// Copies length bytes at offset of in to the same offset of out.
std::error_code CopyRange(int in, int out, off_t offset, off_t length) {
  off_t inOffset = offset;
  off_t outOffset = offset;
  bool inKernel = true;
  static thread_local char buffer[64 * 1024];
  while (length > 0) {
    if (inKernel) {
      const ssize_t n =
          ::copy_file_range(in, &inOffset, out, &outOffset, static_cast<std::size_t>(length), 0);
      if (n > 0) {
        length -= n;
        continue;
      }
      if (n == 0) return {};  // the file ended early: the change check tells
      if (errno == EINTR) continue;
      if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
        return LastPosixError();
      }
      inKernel = false;
    }
    const ssize_t got = ::pread(
        in, buffer, static_cast<std::size_t>(std::min<off_t>(length, sizeof buffer)), inOffset);
    if (got < 0) {
      if (errno == EINTR) continue;
      return LastPosixError();
    }
    if (got == 0) return {};
    for (ssize_t done = 0; done < got;) {
      const ssize_t put =
          ::pwrite(out, buffer + done, static_cast<std::size_t>(got - done), outOffset + done);
      if (put < 0) {
        if (errno == EINTR) continue;
        return LastPosixError();
      }
      done += put;
    }
    inOffset += got;
    outOffset += got;
    length -= got;
  }
  return {};
}

// Copies the data of in, up to size, leaving out's holes where in has them. Sets supported to
// false, having written nothing, where the file system cannot tell holes from data.
std::error_code CopyDataAroundHoles(int in, int out, off_t size, bool& supported) {
  supported = true;
  for (off_t position = 0; position < size;) {
    const off_t data = ::lseek(in, position, SEEK_DATA);
    if (data < 0) {
      if (errno == ENXIO) break;  // only a hole up to the end
      if (position == 0 && (errno == EINVAL || errno == EOPNOTSUPP)) {
        supported = false;
        return {};
      }
      return LastPosixError();
    }
    if (data >= size) break;
    off_t hole = ::lseek(in, data, SEEK_HOLE);
    if (hole < 0) return LastPosixError();
    hole = std::min(hole, size);
    if (std::error_code error = CopyRange(in, out, data, hole - data)) return error;
    position = hole;
  }
  // A hole at the end has no data to write: the size gives it.
  if (::ftruncate(out, size) != 0) return LastPosixError();
  return {};
}

}  // namespace

std::error_code CopyFileContents(int in, int out, const struct stat& st) {
  const bool holes = st.st_size > 0 && st.st_blocks * 512 < st.st_size;
  const bool clone = st.st_size > 0 && MayClone(st.st_dev);
  if (!holes && !clone) return CopyContents(in, out, st.st_size);
  if (std::error_code injected = InjectedFailure(FileCall::kRead, "")) return injected;
  if (std::error_code injected = InjectedFailure(FileCall::kWrite, "")) return injected;
  if (clone && Clone(in, out, st.st_dev)) return {};
  if (holes) {
    bool supported = true;
    std::error_code error = CopyDataAroundHoles(in, out, st.st_size, supported);
    if (supported) return error;
  }
  return CopyContents(in, out, st.st_size);
}
