#include "support/lines.h"

#include "support/codepage.h"
#include "support/files.h"

namespace support {

std::string encodeLines(const std::vector<std::u16string>& lines, const char* codepage) {
  std::u16string text;
  for (const auto& line : lines) {
    text += line;
    text += u"\r\n";
  }
  return toCodePage(text, codepage);
}

void writeTextFile(const std::string& path, const std::vector<std::u16string>& lines,
                   const char* codepage) {
  writeFile(path, encodeLines(lines, codepage));
}

std::vector<std::string_view> splitLines(std::string_view bytes, bool lineFeedEnds) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = lineFeedEnds ? bytes.find_first_of("\r\n", start) : bytes.find('\r', start);
    if (end == std::string_view::npos) break;
    lines.push_back(bytes.substr(start, end - start));
    start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

}  // namespace support
