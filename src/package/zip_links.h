#pragma once
// Zip entries that unpack as symbolic links. The zip reader does not show an
// entry's file mode, so the zip's central directory is read for it: an entry
// made on a Unix system keeps its mode in the top half of its external
// attributes.
#include <string>
#include <vector>

namespace package {

// The names of the zip's entries whose mode is a symbolic link's. A zip
// whose directory cannot be read gives none (the reader reports it).
std::vector<std::string> linkEntries(const std::string& zipPath);

}  // namespace package
