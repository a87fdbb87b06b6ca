// One clean by the real engine, run inside a benchmark child: the same call the main dialog
// makes, with the program folder moved to a scratch folder and message boxes recorded.
#pragma once

#include <cstdint>
#include <string>

struct EngineJob {
  std::string tree;           // the folder handed to WalkFolder
  std::string programFolder;  // must exist; backups land in programFolder + "/backups"
  std::string filter;         // the Files box's text (g_strFilter)
  std::string pattern;        // WalkFolder's pattern
};

// What the child saw, sent to the parent as one line of text.
struct EngineRunReport {
  std::uint64_t visited = 0;   // files the walk handled
  std::uint64_t backedUp = 0;  // files it backed up
  std::uint64_t messages = 0;  // message boxes shown
  std::int32_t result = 0;     // WalkFolder's result
  double flushSeconds = 0;     // the end-of-walk flush to disk, 0 when there was none
  std::string firstMessage;    // text of the first message box, if any
};

// The body of a benchmark child (see RunInChild): installs the scripted window backend,
// points the program path into job.programFolder, sends standard output to /dev/null, sets
// the filter and calls WalkFolder(tree, pattern, PrintFoundPath, 0, WALK_FILES | WALK_FOLDERS).
// Writes the report to reportFd. Returns 0 when the walk could be made, nonzero when the
// child could not set itself up.
int CleanInChild(const EngineJob& job, int reportFd);

// Reads back what CleanInChild wrote; false when text is not such a report.
bool ParseEngineReport(const std::string& text, EngineRunReport& report);
