// A whole conversion of a course with pictures browsers lack: metafiles
// come out as SVG, a PICT, bytes of no known kind and a picture linked
// outside the document as stand-ins with their alternative text and a
// warning naming their page;
// lint warns about what stays unshown and about pictures without
// alternative text, and nothing else. An equation object shows its preview
// with the equation's text.
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
  b.picture(picture("", "no picture at all", u" "));
  word::Picture linked;  // to a file outside the document
  linked.linked = true;
  linked.alt = u"A map";
  b.picture(linked);
  b.text("Four pictures.");
  b.endParagraph();
  for (const char* line : {"%H2=End", "The end of the course."}) paragraph(b, line);
  const std::string path = builtCourse("p.doc", b);

  std::vector<std::string> lint;
  for (const convert::LintWarning& w : convert::lint(app, path))
    lint.push_back(convert::lintLine("p.doc", w));
  EXPECT_EQ(lint, (std::vector<std::string>{
                      "p.doc:4: warning: page \"Pictures\": a picture without alternative text: "
                      "those who cannot "
                      "see it learn nothing of it; describe it in the picture's alternative "
                      "text (Alt Text) (\"Four pictures.\")",
                      "p.doc:4: warning: page \"Pictures\": a picture in pict format, which "
                      "browsers do not show: "
                      "insert it as PNG or JPEG (\"Four pictures.\")",
                      "p.doc:4: warning: page \"Pictures\": a picture in an unknown format, "
                      "which browsers do not show: insert it as PNG or JPEG (\"Four pictures.\")",
                      "p.doc:4: warning: page \"Pictures\": a picture without alternative text: "
                      "those who cannot see it learn nothing of it; describe it in the "
                      "picture's alternative text (Alt Text) (\"Four pictures.\")",
                      "p.doc:4: warning: page \"Pictures\": a picture linked to a file outside the "
                      "document, which "
                      "the course cannot carry: insert the picture into the document instead of "
                      "linking it (\"Four pictures.\")"}));

  ASSERT_EQ(run(path), convert::RunOutcome::Succeeded);
  const std::string page = out("p") + "page1.htm";
  EXPECT_EQ(warnings.lines,
            (std::vector<std::string>{
                page + ": a picture in pict format shows as a box with its alternative text, since "
                       "browsers do not show it (no converter for this format): insert it as PNG "
                       "or JPEG",
                page + ": a picture in an unknown format shows as a box with its alternative "
                       "text, since browsers do not show it (no converter for this format): insert "
                       "it as PNG or JPEG",
                page + ": a picture linked to a file outside the document shows as a box with its "
                       "alternative text, since nothing outside the document is read: insert the "
                       "picture into the document instead of linking it"}));
  const std::string html = readBytes(page);
  for (const char* img : {"<img src=\"page1_files/image001.svg\" width=\"181\" height=\"194\" "
                          "style=\"aspect-ratio:181/194;\" alt=\"Santa\">",
                          "<img src=\"page1_files/image002.svg\" width=\"256\" height=\"179\" "
                          "style=\"aspect-ratio:256/179;\" alt=\"\">",
                          "<img src=\"page1_files/image003.svg\" alt=\"A cow\">"})
    EXPECT_NE(html.find(img), std::string::npos) << img;
  const std::string files = out("p") + "page1_files/";
  EXPECT_EQ(readBytes(files + "image001.svg").find("A cow"), std::string::npos);
  EXPECT_NE(readBytes(files + "image002.svg").find("<path"), std::string::npos);
  EXPECT_NE(readBytes(files + "image003.svg").find(">A cow</tspan>"), std::string::npos);
  EXPECT_NE(readBytes(files + "image004.svg").find("unknown format)</tspan>"), std::string::npos);
  EXPECT_NE(readBytes(files + "image005.svg").find(">A map</tspan>"), std::string::npos);
}

// Four TIFF bombs (100 megapixels each, a few kilobytes) once took a
// minute and 500 MB each; now each is refused before it is decoded, and the
// page shows stand-ins with a warning for each.
TEST_F(CoursePictures, BombPicturesAreStandInsWithinTheBudget) {
  word::Builder b;
  for (const char* line : {"%TITLE=T", "%AUTHOR=A", "%H2=Bombs"}) paragraph(b, line);
  for (char tag : {'1', '2', '3', '4'})
    b.picture(picture("tiff", whiteTiff(docs / "bomb.tif", 10000, 10000, tag), u"A bomb"));
  b.text("Four pictures.");
  b.endParagraph();
  for (const char* line : {"%H2=End", "The end of the course."}) paragraph(b, line);
  ASSERT_EQ(run(builtCourse("b.doc", b)), convert::RunOutcome::Succeeded);
  const std::string page = out("b") + "page1.htm";
  const std::string warning =
      page +
      ": a picture in tif format shows as a box with its alternative text, since browsers "
      "do not show it (it has more than the 50 megapixels the picture converter decodes "
      "for one picture): insert it as PNG or JPEG";
  EXPECT_EQ(warnings.lines, std::vector<std::string>(4, warning));
  for (const char* name : {"image001.svg", "image002.svg", "image003.svg", "image004.svg"})
    EXPECT_NE(readBytes(out("b") + "page1_files/" + name).find(">A bomb</tspan>"),
              std::string::npos);
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
                      // A picture alone: the words around it, not the marker line before.
                      "e.docx:5: warning: page \"Equations\": a picture without alternative "
                      "text: those who cannot see it learn nothing of it; describe it in the "
                      "picture's alternative text (Alt Text) (\"Two equations, one damaged.\")"}));

  ASSERT_EQ(run(path), convert::RunOutcome::Succeeded);
  const std::string html = readBytes(out("e") + "page1.htm");
  EXPECT_NE(html.find("<img src=\"page1_files/image001.svg\" width=\"40\" height=\"20\" "
                      "style=\"aspect-ratio:40/20;\" alt=\"a/(b+1)\">"),
            std::string::npos)
      << html;
  EXPECT_NE(readBytes(out("e") + "page1_files/image001.svg").find("<svg"), std::string::npos);
}

}  // namespace
