// The one place where an HTML page and its pictures become files.
#include <filesystem>
#include <system_error>

#include "support/files.h"
#include "word/error.h"
#include "word/write/writers.h"

namespace word::write {

std::string filesFolderOf(const std::string& pagePath) {
  return std::filesystem::path(pagePath).stem().string() + "_files";
}

void savePage(const std::string& path, HtmlPage page,
              const std::function<std::string(std::string)>& filter) {
  namespace fs = std::filesystem;
  auto cannot = [&](const std::string& file, const std::string& why, std::string detail = {}) {
    throw Error(kCannotSave, kEngineSource,
                "The file \"" + file + "\" could not be written: " + why, std::move(detail));
  };
  if (!page.pictures.empty()) {
    const fs::path folder = fs::path(path).parent_path() / filesFolderOf(path);
    // Only the pictures' folder is made: a missing page folder is an error,
    // not something to create.
    std::error_code ec;
    const bool made = fs::create_directory(folder, ec);
    if (ec) cannot(folder.string(), ec.message(), folder.string() + ": " + ec.message());
    // A link in the folder's place would lead the pictures elsewhere (a
    // folder made just now is none).
    if (!made && support::isLink(folder.string()))
      cannot(folder.string(), "it is a symbolic link, not a folder of the page's own",
             folder.string() + " is a symbolic link: refused");
    for (const HtmlPicture& f : page.pictures) {
      const std::string file = (folder / f.name).string();
      try {
        support::writeFile(file, *f.bytes);
      } catch (const Error& e) {
        cannot(file, e.description(), e.detail());
      }
    }
  }
  if (filter) page.text = filter(std::move(page.text));
  try {
    support::writeFile(path, page.text);
  } catch (const Error& e) {
    cannot(path, e.description(), e.detail());
  }
}

}  // namespace word::write
