// Exporting one page: its range, the bookmarks, the save format, the trace
// line.
#include "pages/save_html.h"

#include <gtest/gtest.h>

#include "../common/export.h"

using namespace testing_support;

class SaveHtml : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    word::Builder b;
    paragraph(b, "first paragraph");
    b.startBookmark(u"Mark1");
    b.text("marked ");
    b.startBookmark(u"Mark2");
    b.text("words");
    b.endBookmark(u"Mark2");
    b.endBookmark(u"Mark1");
    b.endParagraph();
    paragraph(b, "last paragraph");
    source = builtCourse("src.doc", b);
    std::filesystem::create_directory(docs / "o");
  }
  void save(int entry, int kind, int from = 0, int to = 40) {
    session.entryKind(entry) = kind;
    auto ctx = context();
    pages::saveHTML(ctx, docs / "o/", from, to, entry);
  }
  std::string page(int n) { return readBytes(docs / ("o/page" + std::to_string(n) + ".htm")); }
  std::string source;
};

TEST_F(SaveHtml, PagesOfKindZeroOneAndBelowAreSaved) {
  save(1, course::kPage);
  save(2, course::kUntitled);
  save(3, -4);
  EXPECT_EQ(listFiles(docs / "o"),
            (std::vector<std::string>{"page1.htm", "page2.htm", "page3.htm"}));
  EXPECT_NE(page(3).find("marked words"), std::string::npos);
  EXPECT_TRUE(status.lines.empty());
  EXPECT_EQ(app.activeDocument().fullName(), source);
  EXPECT_EQ(app.documents().count(), 1);
}

TEST_F(SaveHtml, ThePageHoldsOnlyItsRange) {
  save(1, course::kPage, 16, 29);  // "marked words" and its mark
  const std::string p = page(1);
  EXPECT_NE(p.find("marked words"), std::string::npos);
  EXPECT_EQ(p.find("first paragraph"), std::string::npos);
  EXPECT_EQ(p.find("last paragraph"), std::string::npos);
}

TEST_F(SaveHtml, BookmarksAreRemovedBeforeTheSave) {
  save(1, course::kPage);
  EXPECT_EQ(page(1).find("Mark1"), std::string::npos);
  EXPECT_EQ(page(1).find("Mark2"), std::string::npos);
  // The source keeps its own.
  EXPECT_EQ(app.activeDocument().bookmarks().count(), 2);
}

TEST_F(SaveHtml, TheFirstHtmlConverterChoosesTheFormat) {
  app.fileConverters() = {
      {"Text", word::wdFormatHTML}, {"HTML", word::wdFormatText}, {"HTML", word::wdFormatHTML}};
  save(1, course::kPage);
  EXPECT_EQ(page(1).find("<html"), std::string::npos);  // saved as text
  EXPECT_NE(page(1).find("marked words"), std::string::npos);

  app.fileConverters().clear();
  save(2, course::kPage);
  EXPECT_NE(page(2).find("<body>"), std::string::npos);  // format 8
}

TEST_F(SaveHtml, AnUnknownFormatIsReportedUnderThePageName) {
  app.fileConverters() = {{"HTML", static_cast<word::SaveFormat>(99)}};
  save(4, course::kPage);
  ASSERT_EQ(status.lines.size(), 1u);
  EXPECT_TRUE(status.lines[0].starts_with("saveHTML: Filename " + docs / "o/page4.htm" +
                                          ", error #  5843 in Raredozud.Word:"));
  EXPECT_EQ(app.activeDocument().fullName(), source);
}

TEST_F(SaveHtml, TraceLevelShowsATryLineBeforeEachPage) {
  session.traceLevel = 1;
  save(1, course::kPage);
  EXPECT_EQ(status.lines, (std::vector<std::string>{"try " + docs / "o/page1.htm"}));
}

TEST_F(SaveHtml, AnEmptyRangeGivesAPageToo) {
  save(1, course::kPage, 5, 5);
  EXPECT_TRUE(status.lines.empty());
  EXPECT_NE(page(1).find("<body>"), std::string::npos);
}

// The one line the page writer adds to the head; the body stays as the
// rewriting left it.
TEST(PlayerHead, TheHeadNamesThePageScript) {
  const std::string page =
      "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n</head>\r\n"
      "<body>\r\n<p>&lt;html&gt; and &lt;/head&gt;</p>\r\n</body>\r\n</html>\r\n";
  const std::string body = page.substr(page.find("<body>"));
  const std::string script = "<script src=\"player/page.js\"></script>\r\n</head>\r\n";
  EXPECT_EQ(pages::withPlayerHead(page),
            "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n" + script + body);
  EXPECT_EQ(pages::withPlayerHead("marked words\r\n"), "marked words\r\n");  // saved as text
}

// The page is a copy of the document's text, which takes its language.
TEST_F(SaveHtml, ThePageIsInItsDocumentsLanguage) {
  word::engine::model(app.activeDocument()).language = "en-GB";
  save(1, course::kPage);
  EXPECT_NE(page(1).find("<html lang=\"en-GB\">\r\n"), std::string::npos);
  EXPECT_NE(page(1).find("<script src=\"player/page.js\"></script>\r\n</head>\r\n<body>\r\n"),
            std::string::npos);
}

// Link markers in a picture's alternative text or in a web address are
// text: the page's rewrite of reference links leaves them, and its tags
// whole.
TEST_F(SaveHtml, LinkMarkersInsideTagsStayText) {
  word::Builder b;
  word::Picture picture;
  picture.format = "png";
  picture.data = std::make_shared<const std::string>("\x89PNG\r\n\x1a\n", 8);
  picture.alt = u"See %A=1 here%A#";
  b.picture(picture);
  word::CharFormat web;
  web.hyperlink = u"https://e.org/?q=%A=1%A#";
  b.text("web", web);
  b.text(" and %A=2 a link%A#");
  b.endParagraph();
  builtCourse("tags.doc", b);
  save(1, course::kPage, 0, 100);
  const std::string p = page(1);
  size_t links = 0;
  for (size_t at = p.find("showref("); at != std::string::npos; at = p.find("showref(", at + 1))
    ++links;
  EXPECT_EQ(links, 1u) << p;
  EXPECT_NE(p.find("alt=\"See &#37;A=1 here&#37;A#\">"), std::string::npos) << p;
}

// A change of formatting inside a link's markers or reference, which the
// learner never sees, keeps the link whole: the page's script gets the
// reference alone, and the link's text whole tags.
TEST_F(SaveHtml, FormattingInsideALinksMarkersKeepsTheLinkWhole) {
  const struct {
    std::vector<std::pair<const char*, bool>> runs;  // text, bold
    const char* link;                                // as the page shows it
  } cases[] = {
      {{{"See ", false}, {"%A=", true}, {"12 the link%A# now.", false}}, ">the link</a> now."},
      {{{"See %A=1", false}, {"2 the link%A# now.", true}}, "><b>the link</b></a><b> now.</b>"},
      {{{"See ", false}, {"%A=12", true}, {" the link%A# now.", false}}, ">the link</a> now."},
      {{{"See %A=12 ", false}, {"the", true}, {" link%A# now.", false}},
       "><b>the</b> link</a> now."},
      {{{"See %A", false}, {"=12 the link%A", true}, {"# now.", false}},
       "><b>the link</b></a> now."},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.link);
    word::Builder b;
    for (const auto& [text, bold] : c.runs) {
      word::CharFormat f;
      f.bold = bold;
      b.text(text, f);
    }
    b.endParagraph();
    builtCourse("f" + std::to_string(++n) + ".doc", b);
    save(n, course::kPage, 0, 100);
    const std::string p = page(n);
    EXPECT_NE(p.find("<p>See <a href=\"#\" onclick=\"return parent.tester.showref('12')\"" +
                     std::string(c.link) + "</p>"),
              std::string::npos)
        << p;
  }
}
