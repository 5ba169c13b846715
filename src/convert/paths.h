#pragma once
// Where a run reads and writes: the chosen path and the output folder.
#include <string>
#include <string_view>

namespace convert {

// The chosen path as the run uses it: blanks removed at both ends, cut
// before a NUL, every LF and CR removed.
std::string cleanPath(std::string_view chosen);

struct OutputPaths {
  std::string documentFolder;  // up to and including the last '/', or empty
  std::string outputFolder;    // documentFolder + base name + '/'
};
// The base name is the file name up to its first '.', or "ls_" + the file
// name when it has none.
OutputPaths outputPaths(const std::string& documentPath);

// The folder a first choice starts in: the home folder, ending in '/'.
std::string homeFolder();

}  // namespace convert
