#include "package/embed.h"

#include <glib.h>
#include <sys/stat.h>

#include <filesystem>
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

  // Written in place rather than beside and renamed: a rename frees a file
  // per script on every run, which makes later runs slow on some file
  // systems. A link or a second name at the target is taken away first, so
  // the write cannot reach a file outside the package.
  const std::string target = path + ".js";
  support::unlinkUnlessOwnFile(target);
  support::writeFile(target, script);
}

void writePackageScripts(const std::string& folder) {
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = e.path().filename().string();
    bool wanted = name == "pvomanifest.htm" ||
                  (name.starts_with("testdata") && name.ends_with(".htm"));
    if (wanted && e.is_regular_file(ec) && !e.is_symlink(ec))
      writeEmbeddedScript(e.path().string());
  }
  if (ec) throw support::Error(76, support::kProgramSource, "cannot read the folder " + folder);
}

}  // namespace package
