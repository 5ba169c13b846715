// The test page: the template with its placeholder filled in.
#include "quiz/quiz_page.h"

#include <gtest/gtest.h>

#include "../common/fixtures.h"

using namespace testing_support;
using quiz::fillTemplate;

TEST(FillTemplate, EveryPlaceholderOnALineIsReplaced) {
  EXPECT_EQ(fillTemplate("a %FILE= b %FILE=\r\n", 12), "a testdata12.htm b testdata12.htm\r\n");
}

TEST(FillTemplate, LowerCasePlaceholderStays) {
  EXPECT_EQ(fillTemplate("%file= %File=\r\n", 1), "%file= %File=\r\n");
}

TEST(FillTemplate, LinesEndInCrLfWhateverTheTemplateHad) {
  EXPECT_EQ(fillTemplate("one\rtwo\r\nthree", 3), "one\r\ntwo\r\nthree\r\n");
  // A lone line feed is part of the line.
  EXPECT_EQ(fillTemplate("a\nb\r\n", 3), "a\nb\r\n");
  EXPECT_EQ(fillTemplate("\r\n\r\n", 3), "\r\n\r\n");
}

TEST(FillTemplate, EmptyTemplateGivesEmptyPage) {
  EXPECT_EQ(fillTemplate("", 3), "");
}

TEST(FillTemplate, BytesPassUnchanged) {
  EXPECT_EQ(fillTemplate("\xE0\xFF %FILE=\x01\r\n", 2), "\xE0\xFF testdata2.htm\x01\r\n");
}

TEST(SaveTestPage, WritesTestNFromTheEntrysTestNumber) {
  ScratchFolder program, out;
  writeBytes(program / "sql_test.htm", "<iframe src='%FILE='>\r\n");
  writeBytes(out / "test12.htm", "an older page that is longer than the new one");
  course::Session s;
  s.entryCount(4) = 12;
  quiz::saveTestPage(s, program.path().substr(0, program.path().size() - 1), out.path(), 4);
  EXPECT_EQ(readBytes(out / "test12.htm"), "<iframe src='testdata12.htm'>\r\n");
  EXPECT_EQ(listFiles(out.path()), (std::vector<std::string>{"test12.htm"}));
}

TEST(SaveTestPage, EmptyTemplateStillCreatesThePage) {
  ScratchFolder program, out;
  writeBytes(program / "sql_test.htm", "");
  course::Session s;
  s.entryCount(1) = 1;
  quiz::saveTestPage(s, program.path().substr(0, program.path().size() - 1), out.path(), 1);
  EXPECT_TRUE(exists(out / "test1.htm"));
  EXPECT_EQ(readBytes(out / "test1.htm"), "");
}

TEST(SaveTestPage, MissingTemplateIsError53AndWritesNothing) {
  ScratchFolder program, out;
  course::Session s;
  s.entryCount(1) = 1;
  try {
    quiz::saveTestPage(s, program.path().substr(0, program.path().size() - 1), out.path(), 1);
    FAIL() << "no error";
  } catch (const support::Error& e) {
    EXPECT_EQ(e.number(), 53);
    EXPECT_EQ(e.description(), "File not found");
  }
  EXPECT_TRUE(listFiles(out.path()).empty());
}

TEST(SaveTestPage, EntryOutsideTheOutlineIsError9) {
  ScratchFolder program, out;
  writeBytes(program / "sql_test.htm", "x\r\n");
  course::Session s;
  try {
    quiz::saveTestPage(s, program.path().substr(0, program.path().size() - 1), out.path(), 1001);
    FAIL() << "no error";
  } catch (const support::Error& e) {
    EXPECT_EQ(e.number(), 9);
  }
}
