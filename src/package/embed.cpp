#include "package/embed.h"

#include <glib.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "support/error.h"
#include "support/files.h"
#include "support/runtime_error.h"

namespace package {

void writeEmbeddedScript(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    throw support::Error(53, support::kProgramSource, "not a plain file: " + path);
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

  std::string part = path + ".js.part";
  std::remove(part.c_str());  // a link here would otherwise be written through
  support::writeFile(part, script);
  if (std::rename(part.c_str(), (path + ".js").c_str()) != 0) {
    int e = errno;
    std::remove(part.c_str());
    throw support::Error(75, support::kProgramSource,
                         "cannot write " + path + ".js: " + std::strerror(e));
  }
}

}  // namespace package
