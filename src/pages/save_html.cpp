#include "pages/save_html.h"

#include "convert/failure.h"
#include "convert/text.h"
#include "pages/page_writer.h"
#include "support/runtime_error.h"
#include "testpages/save_test.h"

namespace pages {

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
    // The content leaves the temporary document, which closes at once;
    // the page is written by the run's writer (or here, without one).
    word::Model content = std::move(run.app.activeDocument().model());
    page.close();
    if (run.pageWriter) {
      run.pageWriter->save(std::move(content), path, format, fileName);
    } else {
      PageWriter now(run.status, false);
      now.save(std::move(content), path, format, fileName);
    }
  } catch (...) {
    const support::Error e = convert::currentError();
    run.status.showStatus(u"saveHTML: Filename " + fileName + u", error # " +
                          convert::errorDetail(e));
  }
}

}  // namespace pages
