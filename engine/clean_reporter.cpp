// The one installed clean reporter.
#include "engine/clean_reporter.h"

#include <utility>

namespace {

CleanReporter* s_reporter = nullptr;

}  // namespace

CleanReporter* SetCleanReporter(CleanReporter* reporter) {
  return std::exchange(s_reporter, reporter);
}

void ReportCleanFailure(CleanFailure failure, std::string path, std::error_code reason) {
  if (s_reporter != nullptr) s_reporter->Failure({failure, std::move(path), reason});
}
