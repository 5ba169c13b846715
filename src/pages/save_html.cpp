#include "pages/save_html.h"

#include <vector>

#include "course/failure.h"
#include "course/file_names.h"
#include "pages/replace_body.h"
#include "support/strings.h"

namespace pages {

namespace {

// Holds the page's "link: " lines until the page is written: a page that
// could not be saved shows no links.
class HeldStatus : public course::StatusSink {
 public:
  void showStatus(const std::u16string& message) override { lines.push_back(message); }
  std::vector<std::u16string> lines;
};

word::SaveFormat htmlFormat(word::Application& app) {
  for (const word::FileConverter& converter : app.fileConverters())
    if (converter.className == "HTML") return converter.saveFormat;
  return word::wdFormatHTML;
}

}  // namespace

std::string withPlayerHead(std::string page) {
  const size_t head = page.find("</head>");
  if (head == std::string::npos) return page;
  // Reference links reach no player when the page is shown on its own or
  // from disk; the script leads them, and web links, where they belong.
  page.insert(head, "<script src=\"player/page.js\"></script>\r\n");
  return page;
}

std::u16string placeholderWarning(const std::u16string& page, const word::PicturePlaceholder& p) {
  if (p.linked)
    return page +
           u": a picture linked to a file outside the document shows as a box with its "
           u"alternative text, since nothing outside the document is read: insert the picture "
           u"into the document instead of linking it";
  return page + u": a picture in " + support::widen(p.format.empty() ? "an unknown" : p.format) +
         u" format shows as a box with its alternative text, since browsers do not show it (" +
         support::widen(p.reason) + u"): insert it as PNG or JPEG";
}

void saveHTML(course::ExportContext& run, const std::string& outputFolder, int32_t rangeStart,
              int32_t rangeEnd, int32_t entryNumber) {
  std::u16string fileName;  // the name a failure line shows
  HeldStatus held;
  try {
    course::checkRow(entryNumber);
    fileName = support::widen(outputFolder + course::pageFile(entryNumber, ".???"));
    word::Selection selection = run.app.selection();
    selection.setStart(rangeStart);
    selection.setEnd(rangeEnd);
    selection.range().copy();

    course::TemporaryDocument page(run.app);
    run.app.selection().range().paste();
    try {
      // From the last: each removal from the front moved all the others
      // (a page of 200,000 bookmarks took 36 s).
      while (const int32_t n = run.app.activeDocument().bookmarks().count())
        run.app.activeDocument().bookmarks().remove(n);
    } catch (...) {
      // Bookmarks left in the page only add anchors; the save goes on.
    }

    const word::SaveFormat format = htmlFormat(run.app);
    const std::string path = outputFolder + course::pageFile(entryNumber);
    fileName = support::widen(path);
    if (run.session.traceLevel > 0) run.status.showStatus(u"try " + fileName);
    // The page is rewritten on its way to the disk, so it is written once.
    const word::SaveResult saved = run.app.activeDocument().saveAs(
        path, format,
        [&held](std::string saved) { return withPlayerHead(replaceBody(saved, held)); });
    page.close();
    if (run.warnings)
      for (const word::PicturePlaceholder& p : saved.placeholders)
        run.warnings->warn(placeholderWarning(fileName, p));
  } catch (...) {
    run.reportFailure(u"saveHTML: Filename " + fileName + u", error # ", course::currentError(),
                      outputFolder);
    return;
  }
  for (const std::u16string& line : held.lines) run.status.showStatus(line);
}

}  // namespace pages
