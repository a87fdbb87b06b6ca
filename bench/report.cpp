// Fixed-width tables: they are read in a terminal and pasted into notes as they are.
#include "bench/report.h"

#include <cmath>
#include <utility>

namespace {

constexpr double kManySmallBound = 1.10;
constexpr double kLargeBound = 1.05;
constexpr double kWholeCleanBound = 1.10;
constexpr double kWalkBound = 1.25;
constexpr double kMemoryBoundMiB = 2.0;
constexpr double kListGrowthBound = 12.0;
constexpr double kListLoadBound = 3.0;

const ToolRow* FindRow(const std::vector<ToolRow>& rows, const std::string& shape, int index) {
  int seen = 0;
  for (const ToolRow& row : rows) {
    if (row.shape == shape && seen++ == index) return &row;
  }
  return nullptr;
}

const RestoreRow* FindList(const std::vector<RestoreRow>& rows, std::uint32_t entries) {
  for (const RestoreRow& row : rows) {
    if (row.entries == entries) return &row;
  }
  return nullptr;
}

std::string Format(const char* format, double a, double b = 0) {
  char text[96];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

TargetCheck RatioTarget(const std::string& name, const ToolRow* row, double bound) {
  TargetCheck check{name, "not measured", false, false};
  if (row == nullptr) return check;
  check.measured = true;
  check.figure = Format("%.3f", row->ratio);
  check.met = row->ratio <= bound;
  return check;
}

}  // namespace

TargetCheck TimeRatioTarget(std::string name, double seconds, double referenceSeconds,
                            double bound, const char* format) {
  TargetCheck check{std::move(name), "not measured", false, false};
  if (referenceSeconds <= 0) return check;
  const double ratio = seconds / referenceSeconds;
  check.figure = Format(format, ratio);
  check.measured = true;
  check.met = ratio <= bound;
  return check;
}

namespace {

std::string Optional(const std::optional<std::uint64_t>& value) {
  return value ? std::to_string(*value) : "-";
}

}  // namespace

std::vector<TargetCheck> CheckTargets(const std::vector<ToolRow>& trees,
                                      const std::vector<RestoreRow>& lists) {
  std::vector<TargetCheck> checks;
  checks.push_back(RatioTarget("many-small: clean unflushed / find+cp <= 1.10",
                               FindRow(trees, "many-small", 0), kManySmallBound));
  checks.push_back(RatioTarget("large: clean unflushed / find+cp <= 1.05",
                               FindRow(trees, "large", 0), kLargeBound));
  for (const char* shape : {"many-small", "large", "wide-flat"}) {
    checks.push_back(RatioTarget(std::string(shape) + ": whole clean / find+cp+sync <= 1.10",
                                 FindRow(trees, shape, 2), kWholeCleanBound));
  }
  for (const char* shape : {"many-small", "large", "wide-flat"}) {
    checks.push_back(RatioTarget(std::string(shape) + ": walk alone / find <= 1.25",
                                 FindRow(trees, shape, 4), kWalkBound));
  }

  TargetCheck memory{"clean peak RSS, 20,000 vs 2,000 files: within 2 MiB", "not measured", false,
                     false};
  const ToolRow* many = FindRow(trees, "many-small", 2);
  const ToolRow* few = FindRow(trees, "few-small", 2);
  if (many != nullptr && few != nullptr) {
    const double difference = std::fabs(many->peakRssMiB - few->peakRssMiB);
    memory.measured = true;
    memory.figure = Format("%.2f MiB apart", difference);
    memory.met = difference <= kMemoryBoundMiB;
  }
  checks.push_back(memory);

  const RestoreRow* small = FindList(lists, 10000);
  const RestoreRow* large = FindList(lists, 100000);
  TargetCheck growth{"restoration list: 100,000 / 10,000 entries <= 12 (load; load+restore)",
                     "not measured", false, false};
  TargetCheck load{"restoration list: load of 100,000 / baseline split <= 3", "not measured", false,
                   false};
  if (small != nullptr && large != nullptr && small->loadSeconds > 0 &&
      small->loadSeconds + small->restoreSeconds > 0) {
    const double loadGrowth = large->loadSeconds / small->loadSeconds;
    const double wholeGrowth =
        (large->loadSeconds + large->restoreSeconds) / (small->loadSeconds + small->restoreSeconds);
    growth.measured = true;
    growth.figure = Format("%.2f; %.2f", loadGrowth, wholeGrowth);
    growth.met = loadGrowth <= kListGrowthBound && wholeGrowth <= kListGrowthBound;
  }
  if (large != nullptr && large->baselineSeconds > 0) {
    const double ratio = large->loadSeconds / large->baselineSeconds;
    load.measured = true;
    load.figure = Format("%.2f", ratio);
    load.met = ratio <= kListLoadBound;
  }
  checks.push_back(growth);
  checks.push_back(load);
  return checks;
}

void PrintTreeTable(std::FILE* out, const std::vector<ToolRow>& rows) {
  std::fprintf(out, "%-11s %-25s %9s %9s %12s %10s %7s %8s\n", "shape", "tool", "visited",
               "backed up", "bytes", "median s", "ratio", "peak MiB");
  for (const ToolRow& row : rows) {
    std::fprintf(out, "%-11s %-25s %9llu %9s %12s %10.4f %7.3f %8.1f\n", row.shape.c_str(),
                 row.tool.c_str(), static_cast<unsigned long long>(row.visited),
                 Optional(row.backedUp).c_str(), Optional(row.bytes).c_str(), row.medianSeconds,
                 row.ratio, row.peakRssMiB);
  }
}

void PrintRestoreTable(std::FILE* out, const std::vector<RestoreRow>& rows) {
  std::fprintf(out, "%-8s %10s %10s %12s %11s %12s %9s %9s\n", "entries", "list bytes", "load s",
               "restore s", "split s", "load/split", "peak MiB", "split MiB");
  for (const RestoreRow& row : rows) {
    std::fprintf(out, "%-8u %10llu %10.5f %12.5f %11.5f %12.2f %9.1f %9.1f\n", row.entries,
                 static_cast<unsigned long long>(row.listBytes), row.loadSeconds,
                 row.restoreSeconds, row.baselineSeconds,
                 row.baselineSeconds > 0 ? row.loadSeconds / row.baselineSeconds : 0.0,
                 row.peakRssMiB, row.baselinePeakRssMiB);
  }
}

void PrintTargets(std::FILE* out, const std::vector<TargetCheck>& checks) {
  for (const TargetCheck& check : checks) {
    std::fprintf(out, "%-70s %-16s %s\n", check.name.c_str(), check.figure.c_str(),
                 !check.measured ? "not measured"
                 : check.met     ? "met"
                                 : "NOT met");
  }
}
