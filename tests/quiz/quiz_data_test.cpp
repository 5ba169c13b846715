// Test sections: the data file around the copied section, the numbering,
// the test page.
#include "quiz/quiz_data.h"

#include <gtest/gtest.h>

#include "../common/export.h"

using namespace testing_support;

namespace {
const std::string kPrologue =
    "<html><head><meta http-equiv='Content-Type' content='text/html; "
    "charset=Windows-1251'></head><body><pre>";

// A paragraph of a numbered list, labelled `label`.
word::ParagraphFormat numbered(std::u16string label) {
  word::ParagraphFormat f;
  f.listId = 1;
  f.listOrdered = true;
  f.listLabel = std::move(label);
  return f;
}
}

class SaveTest : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    word::Builder b;
    paragraph(b, "1. Вопрос?");
    paragraph(b, "*a) Ответ \u2713");
    paragraph(b, "b) Other");
    paragraph(b, "2. Second");
    source = builtCourse("src.doc", b);
    std::filesystem::create_directory(docs / "o");
  }
  void test(int entry, std::u16string title, int from, int to) {
    session.entryTitle(entry) = std::move(title);
    auto ctx = context();
    quiz::saveTest(ctx, docs / "o/", from, to, entry);
  }
  std::string o(const std::string& name) { return readBytes(docs / ("o/" + name)); }
  std::string source;
};

TEST_F(SaveTest, TheDataFileWrapsTheSectionInWindows1251) {
  test(4, u"Проверка `1` &lt;a&gt;", 0, 23);  // the first two paragraphs
  EXPECT_TRUE(status.lines.empty()) << status.lines[0];
  EXPECT_EQ(o("testdata1.htm"), kPrologue +
                                    "\r\n%TEST=\xCF\xF0\xEE\xE2\xE5\xF0\xEA\xE0 `1` "
                                    "&lt;a&gt;\r\n1. \xC2\xEE\xEF\xF0\xEE\xF1?\r\n"
                                    "*a) \xCE\xF2\xE2\xE5\xF2 &#10003;\r\n%TEST_END\r\n"
                                    "</pre></body></html>\r\n");
  EXPECT_EQ(o("test1.htm"), "<frameset><frame src='testdata1.htm'></frameset>\r\n");
  EXPECT_EQ(session.entryCount(4), 1);
  EXPECT_EQ(app.activeDocument().fullName(), source);
  EXPECT_EQ(app.documents().count(), 1);
}

TEST_F(SaveTest, TestsAreNumberedInCallOrderAcrossEntries) {
  test(2, u"A", 0, 11);
  test(5, u"B", 11, 23);
  session.testCounter = 11;
  test(7, u"C", 23, 32);
  EXPECT_EQ(session.entryCount(2), 1);
  EXPECT_EQ(session.entryCount(5), 2);
  EXPECT_EQ(session.entryCount(7), 12);
  EXPECT_EQ(listFiles(docs / "o"),
            (std::vector<std::string>{"test1.htm", "test12.htm", "test2.htm", "testdata1.htm",
                                      "testdata12.htm", "testdata2.htm"}));
  EXPECT_NE(o("test12.htm").find("testdata12.htm"), std::string::npos);
  EXPECT_NE(o("testdata2.htm").find("%TEST=B\r\n*a)"), std::string::npos);
}

// The title is one line: a line break in its heading, or where a note's
// reference stood, reads as a blank.
TEST_F(SaveTest, AnEmptySectionStillGetsItsFrame) {
  test(1, u"Empty\vone\x02", 11, 11);
  EXPECT_EQ(o("testdata1.htm"),
            kPrologue + "\r\n%TEST=Empty one \r\n%TEST_END\r\n</pre></body></html>\r\n");
}

TEST_F(SaveTest, ASectionWithoutItsFinalMarkJoinsTheEndMarker) {
  // The last entry of a document ends before the final paragraph mark.
  test(1, u"Last", 32, 41);
  EXPECT_EQ(o("testdata1.htm"),
            kPrologue + "\r\n%TEST=Last\r\n2. Second%TEST_END\r\n</pre></body></html>\r\n");
}

// The data file is a page of its own: the section's "&", "<" and ">" (its
// list labels' too) are written as entities, before the code page writes
// what it lacks as references, which stay single. The title was escaped when
// it was read, and the frame is markup.
TEST_F(SaveTest, MarkupInTheSectionIsWrittenAsText) {
  word::Builder b;
  paragraph(b, "Tags: <b>x</b> & <script>alert(1)</script>");
  paragraph(b, "*a) &lt; typed, &#9731; typed, \u2603 not in the code page");
  b.paragraph(numbered(u"<1>"));
  paragraph(b, "item");
  const std::string markup = builtCourse("markup.doc", b);
  const int32_t end = app.activeDocument().content().end();
  test(1, u"T &lt;x&gt; &", 0, end);
  EXPECT_TRUE(status.lines.empty());
  EXPECT_EQ(o("testdata1.htm"),
            kPrologue +
                "\r\n%TEST=T &lt;x&gt; &\r\n"
                "Tags: &lt;b&gt;x&lt;/b&gt; &amp; &lt;script&gt;alert(1)&lt;/script&gt;\r\n"
                "*a) &amp;lt; typed, &amp;#9731; typed, &#9731; not in the code page\r\n"
                "&lt;1&gt;\titem\r\n%TEST_END\r\n</pre></body></html>\r\n");
  EXPECT_EQ(app.activeDocument().fullName(), markup);
}

// A test whose first question is a numbered list item: the head's lines
// are the file's own, without the item's label.
TEST_F(SaveTest, AFirstNumberedQuestionLendsTheHeadNoLabel) {
  word::Builder b;
  b.paragraph(numbered(u"1."));
  paragraph(b, "Q?");
  paragraph(b, "*a) A");
  builtCourse("numbered.doc", b);
  test(1, u"N", 0, app.activeDocument().content().end());
  EXPECT_EQ(o("testdata1.htm"),
            kPrologue + "\r\n%TEST=N\r\n1.\tQ?\r\n*a) A\r\n%TEST_END\r\n</pre></body></html>\r\n");
}
