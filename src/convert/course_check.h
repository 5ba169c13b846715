#pragma once
// What `raredozud check` finds wrong with the course in a finished package,
// beyond what an LMS's import looks at: a test whose quiz page cannot be
// shown and a reference link that leads nowhere leave a learner at a dead
// end. Read from the package's own files (the outline preview, the pages,
// the test data files), so a folder and both zips are checked alike.
#include <set>
#include <string>
#include <vector>

#include "package/package_check.h"

namespace convert {

// The faults, one message each; none for a package without an outline
// preview (not one of ours: the manifest's checks are all there is).
std::vector<std::string> courseFaults(const std::set<std::string>& files,
                                      const package::PackageReader& read);

}  // namespace convert
