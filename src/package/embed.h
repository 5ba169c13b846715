#pragma once
// Scripts that carry a package file's bytes, so that a course opened straight
// from a folder on disk (where a page may not read other files) still gets its
// outline and test data.
#include <string>

namespace package {

// Writes `path` + ".js": a script that stores the file's bytes, as base64,
// under its leaf name in window.rdEmbedded. An existing link (or a file with
// a second name) at the script's name is replaced, not written through.
// Throws support::Error 53 when the file is missing or is a link, 75 when it
// cannot be read, 61/75/76 when the script cannot be written.
void writeEmbeddedScript(const std::string& path);

// Writes the script of each file in `folder` that a page reads: the outline
// preview (pvomanifest.htm) and the test data (testdata*.htm); links are left
// alone. Throws support::Error as above for the first file that fails.
void writePackageScripts(const std::string& folder);

}  // namespace package
