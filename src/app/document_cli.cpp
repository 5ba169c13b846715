#include "app/document_cli.h"

#include <cstdio>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>

#include "app/help.h"
#include "convert/lint.h"
#include "pages/save_html.h"
#include "support/codepage.h"
#include "support/strings.h"
#include "word/application.h"
#include "word/error.h"
#include "word/read/reader.h"
#include "word/write/writers.h"

namespace app {
namespace {

// The page would take the document's own place: a typing slip that must not
// cost the author the document.
bool sameFile(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  fs::path pa = fs::weakly_canonical(a, ec);
  if (ec) return false;
  fs::path pb = fs::weakly_canonical(b, ec);
  return !ec && pa == pb;
}

// The page shows the whole document, markers and all; of a course
// document, the author is told what no page of the course will show.
void notShownInTheCourse(word::Application& application, const std::string& document) {
  const convert::LintResult lint = convert::lintDocument(application, document);
  if (lint.entries.empty()) return;
  for (const convert::LintWarning& w : lint.warnings)
    if (w.leftOut) std::fprintf(stderr, "%s\n", convert::lintLine(document, w).c_str());
}

}  // namespace

int htmlCommand(int argc, char** argv) {
  if (argc != 2) {
    std::fputs(usageLine(*findCommand("html")).c_str(), stderr);
    return 2;
  }
  const std::string document = argv[0], page = argv[1];
  if (sameFile(document, page)) {
    std::fprintf(stderr,
                 "raredozud: %s: the page would replace the document itself; name another file\n",
                 page.c_str());
    return 1;
  }
  // The writer makes the pictures' folder but never the page's.
  const std::filesystem::path folder = std::filesystem::path(page).parent_path();
  std::error_code ec;
  if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
    std::fprintf(stderr, "raredozud: %s: the folder %s does not exist\n", page.c_str(),
                 folder.string().c_str());
    return 1;
  }
  try {
    // The way the converter saves a page: the text copied into a new
    // document, without bookmarks, saved as HTML. Only the page body's
    // rewriting for the course player is left out.
    word::Application application;
    application.documents().open(document).content().copy();
    application.documents().add();
    application.selection().range().paste();
    word::Document& copy = application.activeDocument();
    while (copy.bookmarks().count() > 0) copy.bookmarks().remove(1);
    for (const word::PicturePlaceholder& p : copy.saveAs(page, word::wdFormatHTML).placeholders)
      std::fprintf(stderr, "raredozud: %s\n",
                   support::toUtf8(pages::placeholderWarning(support::widen(page), p)).c_str());
    notShownInTheCourse(application, document);
    return 0;
  } catch (const word::Error& e) {
    std::fprintf(stderr, "raredozud: %s\n", e.description().c_str());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "raredozud: %s: out of memory\n", document.c_str());
  }
  return 1;
}

int dumpCommand(int argc, char** argv) {
  if (argc != 1) {
    std::fputs(usageLine(*findCommand("dump")).c_str(), stderr);
    return 2;
  }
  try {
    std::string out = word::write::dump(word::read::load(argv[0]));
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
  } catch (const word::Error& e) {
    std::fprintf(stderr, "raredozud: %s: %s\n", argv[0], e.description().c_str());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "raredozud: %s: out of memory\n", argv[0]);
  }
  return 1;
}

}  // namespace app
