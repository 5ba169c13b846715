#include "convert/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "support/strings.h"

namespace convert {

std::string cleanPath(std::string_view chosen) {
  std::string path = support::trimBlanks(chosen);
  if (size_t nul = path.find('\0'); nul != std::string::npos) path.resize(nul);
  std::erase(path, '\n');
  std::erase(path, '\r');
  return path;
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
