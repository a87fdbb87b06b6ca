// The registry of the failures tests arrange: a list under a lock, and a count read without it
// so that the services pay nothing while the list is empty.
#include "platform/injected_failures.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace {

std::atomic<int> s_active{0};

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}

std::vector<ScopedFailure*>& Scopes() {
  static std::vector<ScopedFailure*> scopes;
  return scopes;
}

}  // namespace

bool FailuresArranged() { return s_active.load(std::memory_order_acquire) != 0; }

ScopedFailure::ScopedFailure(FileCall call, std::error_code error, std::string pathPart, int skip,
                             int times)
    : m_call(call), m_error(error), m_pathPart(std::move(pathPart)), m_skip(skip), m_times(times) {
  std::lock_guard<std::mutex> guard(Lock());
  Scopes().push_back(this);
  s_active.fetch_add(1, std::memory_order_release);
}

ScopedFailure::~ScopedFailure() {
  std::lock_guard<std::mutex> guard(Lock());
  auto& scopes = Scopes();
  scopes.erase(std::remove(scopes.begin(), scopes.end(), this), scopes.end());
  s_active.fetch_sub(1, std::memory_order_release);
}

int ScopedFailure::Failed() const {
  std::lock_guard<std::mutex> guard(Lock());
  return m_failed;
}

std::error_code InjectedFailure(FileCall call, std::string_view path) {
  if (s_active.load(std::memory_order_acquire) == 0) return {};
  std::lock_guard<std::mutex> guard(Lock());
  for (ScopedFailure* scope : Scopes()) {
    if (scope->m_call != call || path.find(scope->m_pathPart) == std::string_view::npos) continue;
    if (scope->m_skip > 0) {
      --scope->m_skip;
      continue;
    }
    if (scope->m_times == 0) continue;
    if (scope->m_times > 0) --scope->m_times;
    ++scope->m_failed;
    return scope->m_error;
  }
  return {};
}
