// A scratch folder for the benchmark's unit tests: created empty under /tmp, removed with
// everything in it when the object goes.
#pragma once

#include <stdlib.h>

#include <string>

#include "bench/tree_census.h"

class TempFolder {
 public:
  TempFolder() {
    char name[] = "/tmp/quillmar-bench-test.XXXXXX";
    if (::mkdtemp(name) != nullptr) m_path = name;
  }
  ~TempFolder() {
    if (!m_path.empty()) RemoveTree(m_path);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Empty when the folder could not be made.
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};
