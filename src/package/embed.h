#pragma once
// Scripts that carry a package file's bytes, so that a course opened straight
// from a folder on disk (where a page may not read other files) still gets its
// outline and test data.
#include <string>
#include <vector>

#include "package/contents.h"

namespace package {

// Writes `path` + ".js": a script that stores the file's bytes, as base64,
// under its leaf name in window.rdEmbedded. Throws support::Error 53 when the
// file is missing or is a link, and as support::writeFile does when the
// script cannot be written.
void writeEmbeddedScript(const std::string& path);

// Writes each of `scripts` (CourseContents::scripts, in `folder`):
// "pvomanifest.htm.js" for the outline, "testdataN.htm.js" for each test's
// data. Throws support::Error of the first (in their order) that fails; the
// others are written all the same. Takes the files' bytes from `read` where
// it holds them, keeping there those it reads and the scripts it writes.
void writePackageScripts(const std::string& folder, const std::vector<std::string>& scripts,
                         FileBytes& read);

}  // namespace package
