#include "convert/textfile.h"

#include <sys/stat.h>

#include <cerrno>

#include "support/codepage.h"
#include "support/files.h"
#include "support/runtime_error.h"

namespace convert {

std::string encodeLines(const std::vector<std::u16string>& lines, const char* codepage) {
  std::u16string text;
  for (const auto& line : lines) {
    text += line;
    text += u"\r\n";
  }
  return support::toCodePage(text, codepage);
}

void writeTextFile(const std::string& path, const std::vector<std::u16string>& lines,
                   const char* codepage) {
  support::writeFile(path, encodeLines(lines, codepage));
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

void raiseFileError(int err, bool missingIsPath) {
  switch (err) {
    case ENOENT: support::raise(missingIsPath ? 76 : 53);
    case ENOTDIR: support::raise(76);
    case EACCES:
    case EPERM:
    case EROFS: support::raise(70);
    case ENOSPC: support::raise(61);
    case ENOMEM: support::raise(7);
    default: support::raise(75);
  }
}

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace convert
