#pragma once
// `raredozud convert DOC...`: one conversion run per document, in order, in
// one session, so that title, author and test numbers carry over.
#include <string>
#include <vector>

namespace app {

// Status lines go to standard output, the log to log.txt in the current
// directory, warnings to standard error. Returns 0 when every run succeeded
// (its package whole), 1 otherwise, 2 for a usage error (no document, an
// unknown option).
int convertCommand(const std::vector<std::string>& arguments);

// `raredozud lint DOC...`: what will go wrong with each document, one line a
// warning on standard output. Returns 0 with nothing to report, 1 with
// warnings, 2 when a document cannot be read or for a usage error.
int lintCommand(const std::vector<std::string>& arguments);

}  // namespace app
