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
// The folder of the running executable, from /proc/self/exe, without a
// trailing '/'.
std::string programFolder();

}  // namespace support
