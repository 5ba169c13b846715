#include "convert/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "support/files.h"
#include "support/strings.h"

namespace convert {

std::string cleanPath(std::string_view chosen) {
  std::string path = support::trimBlanks(chosen);
  if (size_t nul = path.find('\0'); nul != std::string::npos) path.resize(nul);
  std::erase(path, '\n');
  std::erase(path, '\r');
  return path;
}

std::string controlCharacterProblem(std::string_view chosen) {
  chosen = chosen.substr(0, chosen.find('\0'));
  static const char* hex = "0123456789abcdef";
  std::string shown;
  bool found = false;
  for (size_t i = 0; i < chosen.size(); ++i) {
    const auto c = static_cast<unsigned char>(chosen[i]);
    const bool c1 = c == 0xC2 && i + 1 < chosen.size() &&
                    static_cast<unsigned char>(chosen[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(chosen[i + 1]) <= 0x9F;
    if (c == '\n') {
      shown += "\\n";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (c < 0x20 || c == 0x7F || c1) {
      const auto code = c1 ? static_cast<unsigned char>(chosen[++i]) : c;
      shown += std::string("\\x") + hex[code >> 4] + hex[code & 15];
    } else {
      shown += static_cast<char>(c);
      continue;
    }
    found = true;
  }
  if (!found) return "";
  return "the document's path \"" + shown +
         "\" holds a control character: no document is converted under such a name (rename "
         "the file without it)";
}

OutputPaths outputPaths(const std::string& documentPath) {
  const size_t slash = documentPath.rfind('/');
  OutputPaths paths;
  paths.documentFolder = slash == std::string::npos ? "" : documentPath.substr(0, slash + 1);
  const std::string name = documentPath.substr(paths.documentFolder.size());
  const size_t dot = name.find('.');
  const std::string base = dot == std::string::npos ? "ls_" + name : name.substr(0, dot);
  paths.outputFolder = paths.documentFolder + base + "/";
  return paths;
}

std::string editorLockFile(const std::string& documentPath) {
  const size_t slash = documentPath.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : documentPath.substr(0, slash + 1);
  const std::string name = documentPath.substr(folder.size());
  // Letters, not bytes, are dropped: a Cyrillic name loses two bytes a letter.
  auto afterLetters = [&](size_t letters) {
    size_t at = 0;
    for (; letters > 0 && at < name.size(); --letters)
      for (++at; at < name.size() && (static_cast<unsigned char>(name[at]) & 0xC0) == 0x80;) ++at;
    return name.substr(at);
  };
  for (const std::string& lock : {"~$" + name, "~$" + afterLetters(1), "~$" + afterLetters(2),
                                  ".~lock." + name + "#"})
    if (support::isFile(folder + lock)) return lock;
  return "";
}

std::string homeFolder() {
  std::string home;
  if (const char* env = std::getenv("HOME"); env && *env) {
    home = env;
  } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
    home = pw->pw_dir;
  }
  if (home.empty() || home.back() != '/') home += '/';
  return home;
}

}  // namespace convert
