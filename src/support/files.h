#pragma once
// Small file helpers shared by the engine and the converter.
#include <string>
#include <string_view>

namespace support {

// Reads a whole file; throws support::Error 53 when it is missing, 75 when
// it cannot be read.
std::string readFile(const std::string& path);
// Writes a whole file (created or emptied); throws support::Error 75/76.
void writeFile(const std::string& path, std::string_view bytes);
// Takes away whatever stands at `path` that a write would go through or
// share: a link, a second name of a file, a pipe. A plain file of its own,
// a folder, or nothing are left alone. Failures are ignored (the write that
// follows reports them).
void unlinkUnlessOwnFile(const std::string& path);
bool isFile(const std::string& path);

// The run-time error for a failing file operation's errno: 53 file not
// found, 76 path not found, 70 permission denied, 61 disk full, 75 else.
[[noreturn]] void raiseFileError(int err, bool missingIsPath);

// The folder of the running executable, from /proc/self/exe, without a
// trailing '/'.
std::string programFolder();

}  // namespace support
