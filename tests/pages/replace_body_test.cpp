// The page rewrite as a whole: line ends, dropped and replaced lines, the
// status lines; and, through a real page export, that the page is written
// once, rewritten, with no scratch file beside it.
#include "pages/replace_body.h"

#include <gtest/gtest.h>

#include "../common/export.h"
#include "../common/fixtures.h"
#include "pages/save_html.h"

using namespace testing_support;

TEST(ReplaceBody, RewritesEveryLineAndEndsEachInCrLf) {
  RecordingStatus status;
  EXPECT_EQ(pages::replaceBody("<html>\r\n<head>\r\n<title>Page</title>\r\n</head>\r\n"
                               "<body lang=ru>\r\n<p>see %a=12 rules%a#</p>\r\n</body>\r\n</html>",
                               status),
            "<html>\r\n<head>\r\n</head>\r\n<body>\r\n<p>see <a href=\"#\" "
            "onclick=\"return parent.tester.showref('12')\">rules</a></p>\r\n</body>\r\n"
            "</html>\r\n");
  EXPECT_EQ(status.lines.size(), 1u);
}

TEST(ReplaceBody, CrAndCrLfEndLinesALoneLineFeedDoesNot) {
  RecordingStatus status;
  EXPECT_EQ(pages::replaceBody("a\rb\r\nc\n<title>t</title>\r\n<title>\r\n", status),
            "a\r\nb\r\nc\n<title>t</title>\r\n");
  EXPECT_EQ(pages::replaceBody("", status), "");
  EXPECT_EQ(pages::replaceBody("\r\n\r", status), "\r\n\r\n");
  EXPECT_TRUE(status.lines.empty());
}

TEST(ReplaceBody, AMarkerClosedOnALaterLineIsNotALink) {
  RecordingStatus status;
  EXPECT_EQ(pages::replaceBody("<p>%A=1 a%A# and %A=2 b\r\nc%A#</p>\r\n", status),
            "<p><a href=\"#\" onclick=\"return parent.tester.showref('1')\">a</a> and %A=2 b\r\n"
            "c%A#</p>\r\n");
  EXPECT_EQ(status.lines,
            (std::vector<std::string>{"Error %A= not closed: <p><a href=\"#\" onclick=\"return "
                                      "parent.tester.showref('1')\">a</a> and %A=2 b"}));
}

class PageRewrite : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    word::Builder b;
    paragraph(b, "see %A=7 the rules%A# here");
    paragraph(b, "and %a=8%a# too");
    builtCourse("src.doc", b);
    std::filesystem::create_directory(docs / "o");
    session.entryKind(1) = course::kPage;
  }
  void save() {
    auto ctx = context();
    pages::saveHTML(ctx, docs / "o/", 0, 60, 1);
  }
};

TEST_F(PageRewrite, ThePageIsWrittenRewrittenAndAlone) {
  save();
  const std::string page = readBytes(docs / "o/page1.htm");
  EXPECT_NE(page.find("<body>\r\n"), std::string::npos);
  EXPECT_EQ(page.find("<title"), std::string::npos);
  EXPECT_NE(page.find("showref('7')\">the rules</a> here"), std::string::npos);
  EXPECT_NE(page.find("showref('8')\">8</a> too"), std::string::npos);
  EXPECT_EQ(page.find("%A"), std::string::npos);
  // Every line ends in CR LF, none in a lone LF.
  for (size_t p = page.find('\n'); p != std::string::npos; p = page.find('\n', p + 1))
    ASSERT_EQ(page[p - 1], '\r') << p;
  EXPECT_EQ(listFiles(docs / "o"), (std::vector<std::string>{"page1.htm"}));
  ASSERT_EQ(status.lines.size(), 2u);
  EXPECT_TRUE(status.lines[0].starts_with("link: ")) << status.lines[0];
  EXPECT_NE(status.lines[1].find("showref('8')"), std::string::npos) << status.lines[1];
}

TEST_F(PageRewrite, APageThatCannotBeWrittenShowsOnlyTheFailure) {
  std::filesystem::create_directory(docs / "o/page1.htm");
  save();
  ASSERT_EQ(status.lines.size(), 1u);
  EXPECT_TRUE(
      status.lines[0].starts_with("saveHTML: Filename " + docs / "o/page1.htm" + ", error # "))
      << status.lines[0];
  EXPECT_TRUE(std::filesystem::is_directory(docs / "o/page1.htm"));
  EXPECT_TRUE(listFiles(docs / "o").empty());  // no scratch file either
  EXPECT_EQ(app.documents().count(), 1);
}

TEST_F(PageRewrite, ALinkInThePagesPlaceIsNotWrittenThrough) {
  ScratchFolder outside;
  writeBytes(outside / "victim", "keep");
  std::filesystem::create_symlink(outside / "victim", docs / "o/page1.htm");
  save();
  EXPECT_EQ(readBytes(outside / "victim"), "keep");
  EXPECT_NE(readBytes(docs / "o/page1.htm").find("showref('7')"), std::string::npos);
}
