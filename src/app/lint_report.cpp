#include "app/lint_report.h"

#include <unistd.h>

#include "convert/lint.h"
#include "support/files.h"
#include "word/application.h"

namespace app {

LintReport writeLintReport(const std::string& document) {
  LintReport report;
  report.path = document + ".lint.txt";
  std::vector<convert::LintWarning> warnings;
  try {
    word::Application engine;
    warnings = convert::lint(engine, document);
  } catch (const support::Error&) {
  }
  report.warnings = warnings.size();
  report.errors = convert::errorCount(warnings);
  if (warnings.empty()) {
    // An older report must not outlive the mistakes it named.
    if (support::isFile(report.path) || support::isLink(report.path)) ::unlink(report.path.c_str());
    return report;
  }
  std::string text;
  for (const convert::LintWarning& w : warnings) text += convert::lintLine(document, w) + "\n";
  try {
    support::writeFile(report.path, text);
  } catch (const support::Error& e) {
    // The warnings are the window's to show all the same.
    report.unwritten = e.detail().empty() ? e.description() : e.detail();
  }
  report.found = std::move(warnings);
  return report;
}

}  // namespace app
