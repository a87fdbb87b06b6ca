// Turns the measured rows into the benchmark's printed output: the tree table, the
// restoration-list table and the verdict on each target.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "bench/restore_bench.h"
#include "bench/tree_bench.h"

struct TargetCheck {
  std::string name;       // what is compared, with its bound
  std::string figure;     // the measured value(s)
  bool measured = false;  // false when the rows needed were not there
  bool met = false;
};

// The target name, "time / reference time <= bound": not measured while the reference is not
// positive; the ratio printed with format.
TargetCheck TimeRatioTarget(std::string name, double seconds, double referenceSeconds,
                            double bound, const char* format);

// The targets the benchmark is judged by, evaluated on rows as BenchShape and BenchRestoreList
// produce them (shapes named as by the tree generator). A target whose rows are missing is
// reported as not measured, never as met.
std::vector<TargetCheck> CheckTargets(const std::vector<ToolRow>& trees,
                                      const std::vector<RestoreRow>& lists);

void PrintTreeTable(std::FILE* out, const std::vector<ToolRow>& rows);
void PrintRestoreTable(std::FILE* out, const std::vector<RestoreRow>& rows);
void PrintTargets(std::FILE* out, const std::vector<TargetCheck>& checks);
