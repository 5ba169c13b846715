#include "package/embed.h"

#include <glib.h>
#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string_view>

#include "support/error.h"
#include "support/files.h"
#include "support/runtime_error.h"
#include "support/workers.h"

namespace package {

namespace {

// The file's bytes; 53 when it is missing or is a link.
std::string plainFileBytes(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    support::raise(support::kFileNotFound, path + ": not a plain file");
  return support::readFile(path);
}

std::string script(const std::string& leaf, std::string_view bytes) {
  std::unique_ptr<gchar, decltype(&g_free)> encoded(
      g_base64_encode(reinterpret_cast<const guchar*>(bytes.data()), bytes.size()), &g_free);
  std::string script = "window.rdEmbedded = window.rdEmbedded || {};\nwindow.rdEmbedded[\"";
  for (char c : leaf) {  // a stray file name must not end the string early
    if (c == '"' || c == '\\') script += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) script += c;
  }
  script += "\"] = \"";
  script += encoded.get();
  script += "\";\n";
  return script;
}

std::string leafOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return path.substr(slash == std::string::npos ? 0 : slash + 1);
}

}  // namespace

void writeEmbeddedScript(const std::string& path) {
  support::writeFile(path + ".js", script(leafOf(path), plainFileBytes(path)));
}

void writePackageScripts(const std::string& folder, const std::vector<std::string>& scripts,
                         FileBytes& read) {
  // Made and written on every core (a course has a script per test); `read`
  // is only looked in until all are done.
  std::vector<std::optional<std::string>> sources(scripts.size());  // read here
  std::vector<std::string> made(scripts.size());
  const PackageFolder package(folder);
  support::forEachOnCores(scripts.size(), [&](size_t i) {
    const std::string source = scripts[i].substr(0, scripts[i].size() - 3);
    const auto held = read.find(source);
    if (held == read.end()) sources[i] = package.read(source);
    made[i] = script(leafOf(source), held == read.end() ? *sources[i] : held->second);
    support::writeFile(folder + "/" + scripts[i], made[i]);
  });
  for (size_t i = 0; i < scripts.size(); ++i) {
    if (sources[i])
      read.emplace(scripts[i].substr(0, scripts[i].size() - 3), std::move(*sources[i]));
    read[scripts[i]] = std::move(made[i]);
  }
}

}  // namespace package
