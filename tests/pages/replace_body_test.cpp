// The page rewrite as a whole: files, line ends, the atomic replacement and
// the failure line.
#include <gtest/gtest.h>

#include "../common/fixtures.h"
#include "pages/replace_body.h"

using namespace testing_support;

TEST(ReplaceBody, RewritesThePageInPlaceWithCrLfLines) {
  ScratchFolder dir;
  writeBytes(dir / "page3.htm",
             "<html>\n<head>\n<title>Page</title>\n</head>\n<body lang=ru>\n"
             "<p>see %a=12 rules%a#</p>\n</body>\n</html>");
  RecordingStatus status;
  pages::replaceBody(status, dir.path(), 3);
  EXPECT_EQ(readBytes(dir / "page3.htm"),
            "<html>\r\n<head>\r\n</head>\r\n<body>\r\n<p>see <a href=\"#\" "
            "onclick=\"return parent.tester.showref('12')\">rules</a></p>\r\n</body>\r\n"
            "</html>\r\n");
  EXPECT_FALSE(exists(dir / "page0.htm"));
  EXPECT_EQ(status.lines.size(), 1u);
  EXPECT_EQ(listFiles(dir.path()), (std::vector<std::string>{"page3.htm"}));
}

TEST(ReplaceBody, CrAndCrLfLineEndsAreReadToo) {
  ScratchFolder dir;
  writeBytes(dir / "page2.htm", "a\rb\r\nc\r\n");
  RecordingStatus status;
  pages::replaceBody(status, dir.path(), 2);
  EXPECT_EQ(readBytes(dir / "page2.htm"), "a\r\nb\r\nc\r\n");
}

TEST(ReplaceBody, AnEmptyPageStaysEmpty) {
  ScratchFolder dir;
  writeBytes(dir / "page4.htm", "");
  RecordingStatus status;
  pages::replaceBody(status, dir.path(), 4);
  EXPECT_TRUE(exists(dir / "page4.htm"));
  EXPECT_EQ(readBytes(dir / "page4.htm"), "");
  EXPECT_TRUE(status.lines.empty());
}

TEST(ReplaceBody, AMarkerClosedOnALaterLineIsNotALink) {
  ScratchFolder dir;
  writeBytes(dir / "page5.htm", "<p>%A=1 a%A# and %A=2 b\nc%A#</p>\n");
  RecordingStatus status;
  pages::replaceBody(status, dir.path(), 5);
  EXPECT_EQ(readBytes(dir / "page5.htm"),
            "<p><a href=\"#\" onclick=\"return parent.tester.showref('1')\">a</a> and %A=2 b\r\n"
            "c%A#</p>\r\n");
  EXPECT_EQ(status.lines,
            (std::vector<std::string>{
                "Error %A= not closed: <p><a href=\"#\" onclick=\"return "
                "parent.tester.showref('1')\">a</a> and %A=2 b"}));
}

TEST(ReplaceBody, AMissingPageIsReportedAndNothingIsLeft) {
  ScratchFolder dir;
  RecordingStatus status;
  pages::replaceBody(status, dir.path(), 7);
  EXPECT_EQ(status.lines, (std::vector<std::string>{"replaceBody: Filename " + dir.path() +
                                                    "page7.htm, error #  53 in Raredozud:File "
                                                    "not found"}));
  EXPECT_TRUE(listFiles(dir.path()).empty());
}

TEST(ReplaceBody, EntryZeroWouldBeTheScratchFileAndLeavesItUntouched) {
  ScratchFolder dir;
  writeBytes(dir / "page0.htm", "<title>x</title>\r\n");
  RecordingStatus status;
  pages::replaceBody(status, dir.path(), 0);
  EXPECT_EQ(readBytes(dir / "page0.htm"), "<title>x</title>\r\n");
  EXPECT_EQ(status.lines, (std::vector<std::string>{"replaceBody: Filename " + dir.path() +
                                                    "page0.htm, error #  55 in Raredozud:File "
                                                    "already open"}));
}

TEST(ReplaceBody, AStaleScratchFileIsReplaced) {
  ScratchFolder dir;
  writeBytes(dir / "page0.htm", "left over from a crash");
  writeBytes(dir / "page1.htm", "<body x>\r\n");
  RecordingStatus status;
  pages::replaceBody(status, dir.path(), 1);
  EXPECT_EQ(readBytes(dir / "page1.htm"), "<body>\r\n");
  EXPECT_FALSE(exists(dir / "page0.htm"));
}

TEST(ReplaceBody, AFolderInPlaceOfThePageIsAFailure) {
  ScratchFolder dir;
  std::filesystem::create_directory(dir / "page6.htm");
  RecordingStatus status;
  pages::replaceBody(status, dir.path(), 6);
  ASSERT_EQ(status.lines.size(), 1u);
  EXPECT_EQ(status.lines[0], "replaceBody: Filename " + dir.path() +
                                 "page6.htm, error #  75 in Raredozud:Path/File access error");
  EXPECT_FALSE(exists(dir / "page0.htm"));
}
