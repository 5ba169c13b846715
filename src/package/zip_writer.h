#pragma once
// The package interchange file: a package's files in one zip.
#include <string>
#include <vector>

namespace package {

// An entry made in memory rather than read from the folder.
struct MadeEntry {
  std::string name;  // relative, "/"-separated
  std::string bytes;
};

// Writes the files `names` (relative to `folder`, "/"-separated) and the
// entries `made` into a zip at `zipPath`, "imsmanifest.xml" first so that
// the manifest sits at the zip's root, the rest by name; a made entry
// stands in for a file of the same name. The zip replaces what stood at
// `zipPath` only once it is whole. A file that is a link is not followed: it
// fails the zip. Throws support::Error when a file cannot be read or the zip
// cannot be written; the old zip is then as it was.
void writeZip(const std::string& folder, const std::vector<std::string>& names,
              const std::string& zipPath, const std::vector<MadeEntry>& made = {});

}  // namespace package
