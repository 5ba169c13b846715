#pragma once
// The warnings about a document for authors who never open a terminal:
// NAME.lint.txt beside the document (NAME its file name), one warning a
// line, or no such file when there is nothing to report.
#include <cstddef>
#include <string>
#include <vector>

#include "convert/lint.h"

namespace app {

struct LintReport {
  size_t warnings = 0;  // errors included
  size_t errors = 0;
  std::string path;  // the report's path; written only when there are warnings
  std::vector<convert::LintWarning> found{};
  std::string unwritten{};  // why the report could not be written, in the system's words
};

// Reads the document as a conversion would, and writes or removes its
// report. A document that cannot be read gives no warnings (its conversion
// says why); a report that cannot be written says why in `unwritten`.
LintReport writeLintReport(const std::string& document);

}  // namespace app
