#include "package/entry_names.h"

#include <algorithm>
#include <cctype>

#include "support/strings.h"

namespace package {
namespace {

// A name Windows keeps for a device, whatever its extension ("con.htm" is
// the console), or one it drops trailing dots and blanks from (another
// file's name, or none): unpacked there, it is no file of the package.
bool windowsReserved(const std::string& name) {
  if (name.back() == '.' || name.back() == ' ') return true;
  std::string stem = support::upperAscii(name.substr(0, name.find('.')));
  stem.erase(stem.find_last_not_of(' ') + 1);
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

bool unsafeName(const std::string& name) {
  return name.empty() || name == "." || name == ".." || name.find('\\') != std::string::npos ||
         std::any_of(name.begin(), name.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }) ||
         (name.size() >= 2 && name[1] == ':' &&
          std::isalpha(static_cast<unsigned char>(name[0]))) ||
         windowsReserved(name);
}

std::optional<std::string> unsafeEntry(const support::ZipReader::Entry& e) {
  if (unsafeName(e.name)) return "";
  if (e.name.size() > 255) return ": a part of it is longer than 255 bytes";
  size_t units = 0;
  for (const char c : e.path) {
    const auto u = static_cast<unsigned char>(c);
    units += (u & 0xC0) == 0x80 ? 0 : u >= 0xF0 ? 2 : 1;
  }
  if (units > 259) return ": it is longer than 259 characters";
  return std::nullopt;
}

}  // namespace package
