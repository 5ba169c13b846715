// What lint tells of a marker line in hidden text or deleted with tracked
// changes: the author sees it with those shown, the word processor prints
// none, and the scan reads none, so its page goes into the one above.
#include <gtest/gtest.h>

#include "../common/course.h"
#include "../docx/docx_fixture.h"
#include "convert/lint.h"

using namespace testing_support;

namespace {

using LintUnseen = CourseTest;

}  // namespace

TEST_F(LintUnseen, AMarkerLineInHiddenOrDeletedTextIsTold) {
  using docxtest::p;
  using docxtest::r;
  const std::string vanish = "<w:vanish/>", hiddenMark = "<w:rPr><w:vanish/></w:rPr>";
  const std::string hidden = " is hidden text, which the word processor does not print, so it is "
                             "no marker: ";
  const std::string unhide =
      "; clear its font's Hidden setting to make it one, or delete the line";
  const std::pair<std::string, std::string> cases[] = {
      {p(r("%H2=Two", vanish), hiddenMark),
       "\"%H2=\" (\"%H2=Two\")" + hidden +
           "no page opens here, and what follows goes into the item above" + unhide},
      {p("<w:del w:id=\"1\" w:author=\"a\"><w:r><w:delText>%TEST=Quiz</w:delText></w:r></w:del>",
         "<w:rPr><w:del w:id=\"2\" w:author=\"a\"/></w:rPr>"),
       "\"%TEST=\" (\"%TEST=Quiz\") is deleted with tracked changes, which count as accepted, so "
       "it is no marker: no test opens here, and what follows goes into the item above; reject "
       "the deletion to keep the marker, or accept it"},
      {p(r("%PID=", vanish) + r("7")), "\"%PID=\" (\"%PID=7\")" + hidden + "the line sets nothing" +
                                           unhide},
      // A paragraph mark hidden after text joins the marker line to it.
      {p(r("More text."), hiddenMark) + p(r("%H1#")),
       "\"%H1#\" (\"%H1#\") follows a hidden paragraph mark, which joins it to the line above, "
       "so it is no marker: the chapter does not end here; clear the Hidden setting of that "
       "mark's font"},
      // Hidden text inside a marker line or before the marker in it, or
      // in a line without one: the line reads as shown.
      {p(r("%H2=T") + r("secret", vanish) + r("wo")), ""},
      {p(r("%H2=Old", vanish) + r("%H2=Two")), ""},
      {p(r("5% ") + r("secret", vanish)), ""},
  };
  int n = 0;
  for (const auto& [paragraphs, told] : cases) {
    SCOPED_TRACE(paragraphs);
    const std::string body = p(r("%TITLE=T")) + p(r("%AUTHOR=A")) + p(r("%H1=Part")) +
                             p(r("%H2=One")) + p(r("Text of page one.")) + paragraphs +
                             p(r("Text after it, long enough.")) + p(r("%H1#"));
    const std::string path = docs / ("u" + std::to_string(++n) + ".docx");
    writeBytes(path, docxtest::build({docxtest::documentXml(body), {}, {}}));
    std::vector<std::string> found;
    for (const convert::LintWarning& w : convert::lint(app, path))
      found.push_back(convert::lintLine("u.docx", w));
    if (told.empty()) {
      EXPECT_EQ(found, std::vector<std::string>{});
      continue;
    }
    const std::string line = "u.docx:6: warning: page \"One\": " + told + " (\"";
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].substr(0, line.size()), line);
  }
}
