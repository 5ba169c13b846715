#pragma once
// Text files as the converter reads and writes them: every written line
// ends in CR LF; a read line ends at CR or CR LF.
#include <string>
#include <string_view>
#include <vector>

namespace support {

// The lines, each followed by CR LF, in `codepage` (a character the code
// page lacks becomes "&#N;").
std::string encodeLines(const std::vector<std::u16string>& lines, const char* codepage);
// Writes the encoded lines (file created or emptied).
void writeTextFile(const std::string& path, const std::vector<std::u16string>& lines,
                   const char* codepage);

// Splits bytes into lines. A line ends at CR or CR LF, and also at a lone LF
// when `lineFeedEnds`; the ends are not part of the lines. A last line
// without an end counts; nothing after the last end is no line.
std::vector<std::string_view> splitLines(std::string_view bytes, bool lineFeedEnds);
// The lines joined, each followed by CR LF.
std::string joinLines(const std::vector<std::string>& lines);

}  // namespace support
