#pragma once
// Validating a manifest against the program's own copies of its schemas,
// and gathering libxml2's messages while a file is parsed.
#include <libxml/tree.h>

#include <string>
#include <vector>

#include "package/findings.h"

namespace package {

struct Messages {
  std::vector<std::string> list;
};

// libxml2's errors (warnings left out) go to `m` while the scope lasts.
class ErrorScope {
 public:
  explicit ErrorScope(Messages* m);
  ~ErrorScope();
  ErrorScope(const ErrorScope&) = delete;
  ErrorScope& operator=(const ErrorScope&) = delete;
};

// Faults for each schema error of `doc` (the first few, and how many
// more). `driverName`: the schema in `schemaFolder` that imports the
// manifest's namespaces.
void validate(xmlDocPtr doc, const std::string& schemaFolder, const char* driverName,
              Findings& ck);

}  // namespace package
