// Fuzz target for CopyBounded and AppendBounded: arbitrary capacities, destinations and
// sources, checked against their documented results, with every byte past the capacity
// guarded so that a write beyond it is caught.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/folder_walk.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

constexpr unsigned char kGuard = 0xA5;
constexpr std::size_t kSlack = 16;

// dst holds the result of a bounded copy of source into capacity bytes; checks it.
void CheckCopy(const char* dst, std::size_t capacity, const std::string& source,
               std::int32_t result) {
  const std::size_t length = std::strlen(source.c_str());
  if (length < capacity) {
    Check(result == S_OK);
    Check(std::memcmp(dst, source.c_str(), length + 1) == 0);
  } else {
    Check(result == STRSAFE_E_INSUFFICIENT_BUFFER);
    Check(std::memcmp(dst, source.data(), capacity - 1) == 0);
    Check(dst[capacity - 1] == '\0');
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const bool append = data[0] & 1;
  const bool hugeCapacity = (data[0] & 0x0E) == 0x0E;  // now and then, one past the limit
  std::size_t capacity = (static_cast<std::size_t>(data[1]) << 8 | data[2]) % 600;
  const std::size_t destLength = data[3] % 64;
  data += 4;
  size -= 4;
  const std::size_t taken = destLength < size ? destLength : size;
  const std::string initial(reinterpret_cast<const char*>(data), taken);
  const std::string source(reinterpret_cast<const char*>(data) + taken, size - taken);

  // The real buffer: capacity bytes, then guard bytes that must never change.
  std::vector<char> buffer(capacity + kSlack, static_cast<char>(kGuard));
  std::memcpy(buffer.data(), initial.data(), std::min(initial.size(), capacity));
  const std::vector<char> before = buffer;
  char* dst = buffer.data();

  if (hugeCapacity) {
    // Refused before anything is touched, whatever the buffer.
    const std::size_t tooBig = std::size_t{2147483647} + 1 + capacity;
    Check((append ? AppendBounded(dst, tooBig, source.c_str())
                  : CopyBounded(dst, tooBig, source.c_str())) == E_INVALIDARG);
    Check(buffer == before);
    return 0;
  }

  if (!append) {
    const std::int32_t result = CopyBounded(dst, capacity, source.c_str());
    if (capacity == 0) {
      Check(result == E_INVALIDARG);
      Check(buffer == before);
      return 0;
    } else {
      CheckCopy(dst, capacity, source, result);
    }
  } else {
    const void* zero = std::memchr(before.data(), '\0', capacity);
    const std::int32_t result = AppendBounded(dst, capacity, source.c_str());
    if (zero == nullptr) {
      Check(result == E_INVALIDARG);
      Check(buffer == before);
      return 0;
    } else {
      const std::size_t current = static_cast<const char*>(zero) - before.data();
      Check(std::memcmp(dst, before.data(), current) == 0);
      CheckCopy(dst + current, capacity - current, source, result);
    }
  }
  for (std::size_t i = capacity; i < buffer.size(); ++i) Check(buffer[i] == before[i]);
  // A copy that fits leaves the bytes after its terminator as they were.
  const std::size_t end = std::strlen(dst) + 1;
  if (end <= capacity) {
    for (std::size_t i = end; i < capacity; ++i) Check(buffer[i] == before[i]);
  }
  return 0;
}
