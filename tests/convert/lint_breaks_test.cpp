// What lint tells of a marker after a break inside its paragraph, which
// the scanner reads as text: the page it should open goes into the one
// above.
#include <gtest/gtest.h>

#include "../common/course.h"
#include "convert/lint.h"

using namespace testing_support;

namespace {

using LintBreaks = CourseTest;

std::string numbered(int n) {
  std::string name = "k";
  name += std::to_string(n);
  return name + ".doc";
}

}  // namespace

// A marker after a break inside its paragraph opens nothing, though the
// author sees it start a line; a break the scanner forgives as the one
// character before the marker is none of that.
TEST_F(LintBreaks, AMarkerAfterABreakInItsParagraphIsTold) {
  const char* press = "press Enter after the break, so that the marker starts a paragraph";
  const char* pasted = "delete it and end the line before the marker with Enter";
  const struct {
    const char* text;
    const char* what;  // stands before the marker; none where it is read
    const char* remedy;
  } cases[] = {
      {"Page one.\f%H2=Two", "a page break (Ctrl+Enter) stands before \"%H2=\"", press},
      {"Page one.\x0E%TEST=Quiz", "a column break (Ctrl+Shift+Enter) stands before \"%TEST=\"",
       press},
      {"Page one.\u2028%H1=Part", "a line separator (from pasted text) stands before \"%H1=\"",
       pasted},
      {"Page one.\u2029%H2=Two", "a paragraph separator (from pasted text) stands before \"%H2=\"",
       pasted},
      {"\v%H2=Two", nullptr, nullptr},
      {" \f%H2=Two", nullptr, nullptr},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    word::Builder b;
    for (const char* line : {"%TITLE=T", "%AUTHOR=A", "%H2=One", "Text of page one.", c.text,
                             "Text of the page after it."})
      paragraph(b, line);
    std::vector<std::string> found;
    for (const convert::LintWarning& w : convert::lint(app, builtCourse(numbered(++n), b)))
      found.push_back(convert::lintLine("k.doc", w));
    if (!c.what) {
      EXPECT_EQ(found, std::vector<std::string>{});
      continue;
    }
    const std::string told = std::string("k.doc:5: warning: page \"One\": ") + c.what +
                             ": the marker is read as text; " + c.remedy + " (\"Page one.";
    EXPECT_EQ(found.size(), 1u);
    if (!found.empty()) EXPECT_EQ(found[0].substr(0, told.size()), told);
  }
}
