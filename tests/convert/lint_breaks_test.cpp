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
// author sees it start a line; a break first in the paragraph is the one
// character the scanner forgives before the marker, or tells as a marker
// not at the paragraph's start, once.
TEST_F(LintBreaks, AMarkerAfterABreakInItsParagraphIsTold) {
  const std::string read = ": the marker is read as text; ";
  const std::string press = read + "press Enter after the break, so that the marker starts a "
                                   "paragraph (\"Page one.";
  const std::string pasted = read + "delete it and end the line before the marker with Enter "
                                    "(\"Page one.";
  const std::pair<const char*, std::string> cases[] = {
      {"Page one.\f%H2=Two", "a page break (Ctrl+Enter) stands before \"%H2=\"" + press},
      {"Page one.\x0E%TEST=Quiz",
       "a column break (Ctrl+Shift+Enter) stands before \"%TEST=\"" + press},
      {"Page one.\u2028%H1=Part",
       "a line separator (from pasted text) stands before \"%H1=\"" + pasted},
      {"Page one.\u2029%H2=Two",
       "a paragraph separator (from pasted text) stands before \"%H2=\"" + pasted},
      {"\f%PID=5", "\"%PID=\" is not at the start of its paragraph"},
      {"\v%H2=Two", ""},
      {" \f%H2=Two", ""},
  };
  int n = 0;
  for (const auto& [text, told] : cases) {
    SCOPED_TRACE(text);
    word::Builder b;
    for (const char* line : {"%TITLE=T", "%AUTHOR=A", "%H2=One", "Text of page one.", text,
                             "Text of the page after it."})
      paragraph(b, line);
    std::vector<std::string> found;
    for (const convert::LintWarning& w : convert::lint(app, builtCourse(numbered(++n), b)))
      found.push_back(convert::lintLine("k.doc", w));
    EXPECT_EQ(found.size(), told.empty() ? 0u : 1u);
    const std::string line = "k.doc:5: warning: page \"One\": " + told;
    if (!told.empty() && !found.empty()) {
      EXPECT_EQ(found[0].substr(0, line.size()), line);
    }
  }
}
