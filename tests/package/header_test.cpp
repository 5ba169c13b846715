// The header page: heading form without an author, bold form with one.
#include "package/header.h"

#include <gtest/gtest.h>

#include "../common/fixtures.h"

using namespace testing_support;

namespace {

const char* kHead[] = {
    "<html>",
    "<head><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'></head>",
    ("<body bgcolor='black' text='white' leftmargin='3' topmargin='1' marginwidth='3' "
     "marginheight='1'>"),  // one line: the parentheses say the split is meant
};

std::vector<std::string> written(const course::Session& s) {
  ScratchFolder dir;
  package::writeHeader(s, dir.path());
  std::string bytes = readBytes(dir / "header.htm");
  EXPECT_TRUE(bytes.ends_with("</body></html>\r\n"));
  return crlfLines(bytes);
}

}  // namespace

TEST(Header, WithoutAuthorTheTitleIsAHeading) {
  course::Session s;
  s.courseTitle = u"Safety\r";
  EXPECT_EQ(written(s),
            (std::vector<std::string>{kHead[0], kHead[1], kHead[2],
                                      "<center><h3>Safety\r</h3></center>", "</body></html>"}));
  s.courseTitle.clear();  // an empty title still gives the heading
  EXPECT_EQ(written(s)[3], "<center><h3></h3></center>");
}

TEST(Header, WithAnAuthorTitleAndAuthorShareABoldBlock) {
  course::Session s;
  s.courseTitle = u"Безопасность\r";
  s.courseAuthor = u"Team & <co>\r";
  EXPECT_EQ(written(s), (std::vector<std::string>{
                            kHead[0], kHead[1], kHead[2],
                            "<center><b>\xC1\xE5\xE7\xEE\xEF\xE0\xF1\xED\xEE\xF1\xF2\xFC\r ",
                            "Team &amp; &lt;co&gt;\r</b></center>", "</body></html>"}));
}

// Title and author are text: whatever markup they hold shows as typed and
// runs nothing; references the author typed (and those the code page needs)
// stay references, apostrophes and quotes stay as they are.
TEST(Header, MarkupInTitleOrAuthorIsWrittenAsText) {
  struct Case {
    std::u16string text;
    std::string written;
  };
  const Case cases[] = {
      {u"Course<img src=x onerror=\"parent.API.LMSSetValue('cmi.core.lesson_status','passed')\">",
       "Course&lt;img src=x onerror=\"parent.API.LMSSetValue('cmi.core.lesson_status','passed')"
       "\"&gt;"},
      {u"Using <table> tags\r", "Using &lt;table&gt; tags\r"},
      {u"</h3></center><script>alert(1)</script>",
       "&lt;/h3&gt;&lt;/center&gt;&lt;script&gt;alert(1)&lt;/script&gt;"},
      {u"R&D &amp; &#1071; &#x42f; &copy; &#1; &",
       "R&amp;D &amp; &#1071; &#x42f; &amp;copy; &amp;#1; &amp;"},
      {u"It's \"ours\" \u0416\u2116\u2603", "It's \"ours\" \xC6\xB9&#9731;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(support::toUtf8(c.text));
    course::Session s;
    s.courseTitle = c.text;
    EXPECT_EQ(written(s)[3], "<center><h3>" + c.written + "</h3></center>");
    s.courseAuthor = c.text;
    const auto lines = written(s);
    EXPECT_EQ(lines[3], "<center><b>" + c.written + " ");
    EXPECT_EQ(lines[4], c.written + "</b></center>");
  }
}

TEST(Header, AnyAuthorTextSelectsTheBoldForm) {
  course::Session s;
  s.courseAuthor = u" ";
  auto lines = written(s);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[3], "<center><b> ");
  EXPECT_EQ(lines[4], " </b></center>");
  s.courseAuthor = u"\r";
  EXPECT_EQ(written(s)[4], "\r</b></center>");
}

TEST(Header, AMissingFolderIsAnError) {
  course::Session s;
  EXPECT_THROW(package::writeHeader(s, "/nonexistent-folder/x/"), support::Error);
}
