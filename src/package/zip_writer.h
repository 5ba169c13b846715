#pragma once
// The package interchange file: a package's files in one zip.
#include <string>
#include <vector>

namespace package {

// Writes the files `names` (relative to `folder`, "/"-separated) into a zip
// at `zipPath`, "imsmanifest.xml" first so that the manifest sits at the
// zip's root, the rest by name. The zip replaces what stood at `zipPath`
// only once it is whole. A file that is a link is not followed: it fails the
// zip. Throws support::Error when a file cannot be read or the zip cannot be
// written; the old zip is then as it was.
void writeZip(const std::string& folder, const std::vector<std::string>& names,
              const std::string& zipPath);

}  // namespace package
