// The engine side of the tree benchmark. Counts come from the walk's own progress observer,
// so nothing is added to the walk beyond what a user interface would add.
#include "bench/engine_run.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>

#include "bench/measure.h"
#include "engine/backup_store.h"
#include "engine/folder_walk.h"
#include "platform/platform_files.h"
#include "framework/scripted/scripted_backend.h"
#include "shell/clean_boxes.h"
#include "store/store_flush.h"

namespace {

bool KeepLatest(const WalkProgress& progress, void* context) {
  *static_cast<WalkProgress*>(context) = progress;
  return true;
}

// When the end-of-walk flush began: everything after it is the cost of durability.
std::chrono::steady_clock::time_point s_flushStart;
bool s_flushed = false;

void NoteFlushStart() {
  s_flushStart = std::chrono::steady_clock::now();
  s_flushed = true;
}

}  // namespace

int CleanInChild(const EngineJob& job, int reportFd) {
  // Fully buffered, as for a program whose output goes nowhere: a line-buffered stream
  // inherited from a terminal would cost one system call per printed path.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) {
    WriteAll(reportFd, "cannot send standard output to /dev/null");
    return 1;
  }
  ScriptedBackend backend;
  CleanBoxes boxes;
  ScopedCleanReporter reporting(boxes);
  SetProgramPathForTesting(job.programFolder + "/quillmar");
  g_strFilter = job.filter;
  WalkProgress progress;
  SetWalkProgressObserver(&KeepLatest, &progress);
  SetStoreFlushObserverForTesting(&NoteFlushStart);

  const std::int32_t result = WalkFolder(job.tree.c_str(), job.pattern.c_str(), &PrintFoundPath, 0,
                                         WALK_FILES | WALK_FOLDERS);
  const double flushSeconds =
      s_flushed
          ? std::chrono::duration<double>(std::chrono::steady_clock::now() - s_flushStart).count()
          : 0.0;
  std::fflush(stdout);
  SetWalkProgressObserver(nullptr, nullptr);
  SetStoreFlushObserverForTesting(nullptr);

  char line[160];
  std::snprintf(line, sizeof line, "%" PRIu64 " %" PRIu64 " %zu %" PRId32 " %.6f\n",
                progress.filesVisited, progress.filesBackedUp, backend.Messages().size(), result,
                flushSeconds);
  std::string report = line;
  if (!backend.Messages().empty()) report += backend.Messages().front().text;
  return WriteAll(reportFd, report) ? 0 : 1;
}

bool ParseEngineReport(const std::string& text, EngineRunReport& report) {
  const std::size_t end = text.find('\n');
  if (end == std::string::npos) return false;
  std::uint64_t visited = 0, backedUp = 0, messages = 0;
  std::int32_t result = 0;
  double flushSeconds = 0;
  const std::string line = text.substr(0, end);
  if (std::sscanf(line.c_str(), "%" SCNu64 " %" SCNu64 " %" SCNu64 " %" SCNd32 " %lf", &visited,
                  &backedUp, &messages, &result, &flushSeconds) != 5) {
    return false;
  }
  report.visited = visited;
  report.backedUp = backedUp;
  report.messages = messages;
  report.result = result;
  report.flushSeconds = flushSeconds;
  report.firstMessage = text.substr(end + 1);
  return true;
}
