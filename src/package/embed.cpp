#include "package/embed.h"

#include <glib.h>
#include <sys/stat.h>

#include <memory>

#include "support/error.h"
#include "support/files.h"
#include "support/runtime_error.h"

namespace package {

void writeEmbeddedScript(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    support::raise(support::kFileNotFound, path + ": not a plain file");
  std::string bytes = support::readFile(path);
  std::unique_ptr<gchar, decltype(&g_free)> encoded(
      g_base64_encode(reinterpret_cast<const guchar*>(bytes.data()), bytes.size()), &g_free);
  std::string leaf = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  std::string script = "window.rdEmbedded = window.rdEmbedded || {};\nwindow.rdEmbedded[\"";
  for (char c : leaf) {  // a stray file name must not end the string early
    if (c == '"' || c == '\\') script += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) script += c;
  }
  script += "\"] = \"";
  script += encoded.get();
  script += "\";\n";
  support::writeFile(path + ".js", script);
}

void writePackageScripts(const std::string& folder, const std::vector<std::string>& files) {
  for (const std::string& f : files)
    if (f.ends_with(".htm.js")) writeEmbeddedScript(folder + "/" + f.substr(0, f.size() - 3));
}

}  // namespace package
