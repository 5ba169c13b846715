// The page rewrite as a whole: files, line ends, the atomic replacement and
// the failure line.
#include <gtest/gtest.h>

#include "../common/fixtures.h"
#include "pages/replace_body.h"

using namespace testing_support;

TEST(ReplaceBody, RewritesThePageInPlaceWithCrLfLines) {
  ScratchFolder dir;
  const std::string saved =
      "<html>\r\n<head>\r\n<title>Page</title>\r\n</head>\r\n<body lang=ru>\r\n"
      "<p>see %a=12 rules%a#</p>\r\n</body>\r\n</html>";
  writeBytes(dir / "page3.htm", saved);
  RecordingStatus status;
  pages::replaceBody(status, dir.path(), 3);
  EXPECT_EQ(readBytes(dir / "page3.htm"),
            "<html>\r\n<head>\r\n</head>\r\n<body>\r\n<p>see <a href=\"#\" "
            "onclick=\"return parent.tester.showref('12')\">rules</a></p>\r\n</body>\r\n"
            "</html>\r\n");
  // The scratch file took the page's place and holds the page as saved
  // until the run removes it.
  EXPECT_EQ(readBytes(dir / "page0.htm"), saved);
  EXPECT_EQ(status.lines.size(), 1u);
  pages::removeScratch(dir.path());
  EXPECT_EQ(listFiles(dir.path()), (std::vector<std::string>{"page3.htm"}));
}

TEST(ReplaceBody, CrAndCrLfEndLinesALoneLineFeedDoesNot) {
  ScratchFolder dir;
  writeBytes(dir / "page2.htm", "a\rb\r\nc\n<title>t</title>\r\n<title>\r\n");
  RecordingStatus status;
  pages::replaceBody(status, dir.path(), 2);
  EXPECT_EQ(readBytes(dir / "page2.htm"), "a\r\nb\r\nc\n<title>t</title>\r\n");
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
  writeBytes(dir / "page5.htm", "<p>%A=1 a%A# and %A=2 b\r\nc%A#</p>\r\n");
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
  EXPECT_EQ(readBytes(dir / "page0.htm"), "<body x>\r\n");
  // The next rewrite empties it before writing.
  writeBytes(dir / "page2.htm", "x\r\n");
  pages::replaceBody(status, dir.path(), 2);
  EXPECT_EQ(readBytes(dir / "page2.htm"), "x\r\n");
  EXPECT_EQ(readBytes(dir / "page0.htm"), "x\r\n");
}

TEST(ReplaceBody, ALinkTakenIntoTheScratchPlaceIsNotWrittenThrough) {
  ScratchFolder dir, outside;
  writeBytes(outside / "victim", "keep");
  std::filesystem::create_symlink(outside / "victim", dir / "page0.htm");
  writeBytes(dir / "page1.htm", "<title>t</title>\r\n");
  RecordingStatus status;
  pages::replaceBody(status, dir.path(), 1);
  EXPECT_EQ(readBytes(outside / "victim"), "keep");
  EXPECT_EQ(readBytes(dir / "page1.htm"), "");
  EXPECT_TRUE(status.lines.empty());
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

TEST(ReplaceBody, APageIsNeverHalfReplaced) {
  ScratchFolder dir;
  writeBytes(dir / "page8.htm", "<title>t</title>\r\n<body x>\r\n");
  std::filesystem::create_directory(dir / "page0.htm");  // the scratch cannot be written
  RecordingStatus status;
  pages::replaceBody(status, dir.path(), 8);
  EXPECT_EQ(readBytes(dir / "page8.htm"), "<title>t</title>\r\n<body x>\r\n");
  ASSERT_EQ(status.lines.size(), 1u);
  EXPECT_TRUE(status.lines[0].starts_with("replaceBody: Filename " + dir.path() +
                                          "page8.htm, error #  75 in Raredozud:"))
      << status.lines[0];
}
