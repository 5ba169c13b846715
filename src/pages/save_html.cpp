#include "pages/save_html.h"

#include <vector>

#include "convert/failure.h"
#include "convert/text.h"
#include "pages/replace_body.h"
#include "support/files.h"
#include "support/runtime_error.h"
#include "testpages/save_test.h"

namespace pages {

namespace {

class HeldStatus : public convert::StatusSink {
 public:
  void showStatus(const std::u16string& message) override { lines.push_back(message); }
  std::vector<std::u16string> lines;
};

}  // namespace

void saveHTML(convert::RunContext& run, const std::string& outputFolder, int32_t rangeStart,
              int32_t rangeEnd, int32_t entryNumber) {
  std::u16string fileName;  // the name a failure line shows
  try {
    support::checkIndex(entryNumber);
    const int32_t kind = run.session.entryKind(entryNumber);
    if (kind > convert::kTest) return;
    if (kind == convert::kTest) {
      testpages::saveTest(run, outputFolder, rangeStart, rangeEnd, entryNumber);
      return;
    }
    const std::string stem = outputFolder + "page" + std::to_string(entryNumber);
    fileName = convert::widen(stem + ".???");

    word::Selection selection = run.app.selection();
    selection.setStart(rangeStart);
    selection.setEnd(rangeEnd);
    selection.range().copy();

    convert::TemporaryDocument page(run.app);
    run.app.selection().range().paste();
    try {
      while (run.app.activeDocument().bookmarks().count() > 0)
        run.app.activeDocument().bookmarks().remove(1);
    } catch (...) {
      // Bookmarks left in the page only add anchors; the save goes on.
    }

    int32_t format = word::wdFormatHTML;
    for (const word::FileConverter& converter : run.app.fileConverters()) {
      if (converter.className == "HTML") {
        format = converter.saveFormat;
        break;
      }
    }

    const std::string path = stem + ".htm";
    fileName = convert::widen(path);
    if (run.session.traceLevel > 0) run.status.showStatus(u"try " + fileName);
    // A page is overwritten in place; a link or second name standing there
    // is taken away first, so the write cannot reach another file.
    support::unlinkUnlessOwnFile(path);
    // The page is rewritten on its way to the disk. Its status lines wait
    // for the save to succeed: a page that could not be saved has no links.
    HeldStatus held;
    run.app.activeDocument().saveAs(path, format, [&held](std::string saved) {
      return replaceBody(saved, held);
    });
    page.close();
    for (const std::u16string& line : held.lines) run.status.showStatus(line);
  } catch (...) {
    const support::Error e = convert::currentError();
    run.status.showStatus(u"saveHTML: Filename " + fileName + u", error # " +
                          convert::errorDetail(e));
  }
}

}  // namespace pages
