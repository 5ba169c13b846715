#include "quiz/quiz_data.h"

#include <limits>

#include "course/failure.h"
#include "course/file_names.h"
#include "quiz/quiz_page.h"
#include "support/runtime_error.h"
#include "support/strings.h"

namespace quiz {

word::StorySpan composeTestData(word::Application& app, const std::u16string& title) {
  word::Selection selection = app.selection();
  // The head's lines go in first, as plain lines of the empty document: put
  // into the test's first paragraph, they took its list label (a test
  // starting with a numbered question wrote "1.\t%TEST=").
  // The title stays one line: a line break in the heading would put the
  // rest of it among the questions.
  selection.insertAfter(std::u16string(kDataPrologue) + u"\n%TEST=" +
                        support::controlsAsBlanks(title) + u"\n");
  word::StorySpan section{selection.end(), 0};
  selection.setStart(section.start);
  selection.range().paste();
  selection.endKey(word::wdStory, word::wdMove);
  section.end = selection.start();
  selection.insertAfter(u"%TEST_END\n</pre></body></html>");
  return section;
}

void saveTest(course::ExportContext& run, const std::string& outputFolder, int32_t rangeStart,
              int32_t rangeEnd, int32_t entryNumber) {
  course::Session& session = run.session;
  std::u16string report;  // the name a failure line shows
  try {
    report = support::widen(outputFolder + course::testDataFile(session.testCounter, ".???"));
    word::Selection source = run.app.selection();
    source.setStart(rangeStart);
    source.setEnd(rangeEnd);
    source.range().copy();

    course::TemporaryDocument data(run.app);
    const word::StorySpan section = composeTestData(run.app, session.entryTitle(entryNumber));

    if (session.testCounter == std::numeric_limits<int32_t>::max())
      support::raise(support::kOverflow);
    ++session.testCounter;
    session.entryCount(entryNumber) = session.testCounter;
    const int32_t n = session.testCounter;

    const std::string path = outputFolder + course::testDataFile(n);
    report = support::widen(path);
    run.app.activeDocument().saveAs(path, word::wdFormatText, {}, section);
    data.close();
    saveTestPage(session, run.programFolder, outputFolder, entryNumber);
  } catch (...) {
    run.reportFailure(u"saveTest: file " + report + u", error # ", course::currentError(),
                      outputFolder);
  }
}

}  // namespace quiz
