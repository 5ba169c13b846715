// A whole conversion of a course with pictures browsers lack: metafiles
// come out as SVG, a PICT as a stand-in with its alternative text and a
// warning naming its page; lint warns about what stays unshown and about
// pictures without alternative text, and nothing else. An equation object
// shows its preview with the equation's text.
#include "../pictures/pictures.h"

#include <gtest/gtest.h>

#include "../common/course.h"
#include "../docx/equation_fixture.h"
#include "convert/lint.h"
#include "word/write/pictures/converter.h"

using namespace testing_support;

namespace {

class CoursePictures : public CourseTest {
 protected:
  void SetUp() override {
    CourseTest::SetUp();
    word::write::setPictureProgram(kHelper);
  }
  void TearDown() override { word::write::setPictureProgram(""); }
};

TEST_F(CoursePictures, ConvertedStandInAndWarnedAbout) {
  word::Builder b;
  for (const char* line : {"%TITLE=T", "%AUTHOR=A", "%H2=Pictures"}) paragraph(b, line);
  word::Picture wmf = corpusPicture("wmf");
  wmf.alt = u"Santa";
  b.picture(wmf);
  word::Picture emf = corpusPicture("emf");
  emf.alt.clear();
  b.picture(emf);
  b.picture(picture("pict", std::string(300, 'p'), u"A cow"));
  b.text("Three pictures.");
  b.endParagraph();
  for (const char* line : {"%H2=End", "The end of the course."}) paragraph(b, line);
  const std::string path = builtCourse("p.doc", b);

  std::vector<std::string> lint;
  for (const convert::LintWarning& w : convert::lint(app, path))
    lint.push_back(convert::lintLine("p.doc", w));
  EXPECT_EQ(lint, (std::vector<std::string>{
                      "p.doc:4: warning: a picture without alternative text: those who cannot "
                      "see it learn nothing of it; describe it in the picture's alternative "
                      "text (Alt Text) (\"Three pictures.\")",
                      "p.doc:4: warning: a picture in pict format, which browsers do not show: "
                      "insert it as PNG or JPEG (\"Three pictures.\")"}));

  ASSERT_EQ(run(path), convert::RunOutcome::Succeeded);
  const std::string page = out("p") + "page1.htm";
  EXPECT_EQ(warnings.lines, std::vector<std::string>{
                                page + ": a picture in pict format shows as a box with its "
                                       "alternative text, since browsers do not show it (no "
                                       "converter for this format): insert it as PNG or JPEG"});
  const std::string html = readBytes(page);
  for (const char* img : {"<img src=\"page1_files/image001.svg\" width=\"181\" height=\"194\" "
                          "alt=\"Santa\">",
                          "<img src=\"page1_files/image002.svg\" width=\"256\" height=\"179\" "
                          "alt=\"\">",
                          "<img src=\"page1_files/image003.svg\" alt=\"A cow\">"})
    EXPECT_NE(html.find(img), std::string::npos) << img;
  const std::string files = out("p") + "page1_files/";
  EXPECT_EQ(readBytes(files + "image001.svg").find("A cow"), std::string::npos);
  EXPECT_NE(readBytes(files + "image002.svg").find("<path"), std::string::npos);
  EXPECT_NE(readBytes(files + "image003.svg").find(">A cow</tspan>"), std::string::npos);
}

// The whole path: the page shows the converted preview with the equation's
// text; lint asks for alternative text only where the equation is damaged.
TEST_F(CoursePictures, AnEquationShowsItsPreviewWithTheEquationsText) {
  const mtef::Writer v5{5};
  const std::string good = v5.equation(v5.line(v5.tmpl(11, 0, v5.line(u"a") + v5.line(u"b+1"))));
  const std::string path = docs / "e.docx";
  writeBytes(path, docxtest::docxWith({"%TITLE=T", "%AUTHOR=A", "%H2=Equations"},
                                      {{docxtest::objectOf(good)},
                                       {docxtest::objectOf(good.substr(0, good.size() - 4))}},
                                      {"Two equations, one damaged."}));
  std::vector<std::string> lint;
  for (const convert::LintWarning& w : convert::lint(app, path))
    lint.push_back(convert::lintLine("e.docx", w));
  EXPECT_EQ(lint, (std::vector<std::string>{
                      "e.docx:5: warning: a picture without alternative text: those who cannot "
                      "see it learn nothing of it; describe it in the picture's alternative "
                      "text (Alt Text) (\"\")"}));

  ASSERT_EQ(run(path), convert::RunOutcome::Succeeded);
  const std::string html = readBytes(out("e") + "page1.htm");
  EXPECT_NE(html.find("<img src=\"page1_files/image001.svg\" width=\"40\" height=\"20\" "
                      "alt=\"a/(b+1)\">"),
            std::string::npos)
      << html;
  EXPECT_NE(readBytes(out("e") + "page1_files/image001.svg").find("<svg"), std::string::npos);
}

}  // namespace
