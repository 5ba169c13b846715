#pragma once
// Where a run reads and writes: the chosen path and the output folder.
#include <string>
#include <string_view>

namespace convert {

// The chosen path as the run uses it: blanks removed at both ends, cut
// before a NUL, every LF and CR removed.
std::string cleanPath(std::string_view chosen);

// Why a chosen path is refused, or "" when it is not: a path (up to a NUL)
// that holds a control character (C0, DEL or C1) names a file that dropping
// the character would turn into another one, so no such path is converted.
// The path is shown with its control characters escaped ("\n", "\x7f").
std::string controlCharacterProblem(std::string_view chosen);

struct OutputPaths {
  std::string documentFolder;  // up to and including the last '/', or empty
  std::string outputFolder;    // documentFolder + base name + '/'
};
// The base name is the file name up to its first '.', or "ls_" + the file
// name when it has none.
OutputPaths outputPaths(const std::string& documentPath);

// The lock file a word processor keeps beside the document while it has it
// open, "" when there is none: Word's "~$" and the name (its first one or
// two letters dropped for a longer name), or ".~lock.NAME#".
std::string editorLockFile(const std::string& documentPath);

// The folder a first choice starts in: the home folder, ending in '/'.
std::string homeFolder();

}  // namespace convert
