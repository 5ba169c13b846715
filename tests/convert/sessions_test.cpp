// Several runs in one program run: what carries over and what starts afresh.
#include <gtest/gtest.h>

#include "../common/course.h"
#include "../common/manifest_check.h"

using namespace testing_support;
using convert::RunOutcome;

class TwoRuns : public CourseTest {};

TEST_F(TwoRuns, TitleAuthorAndTestNumbersCarryOver) {
  const std::string first =
      course("first.txt", {"%TITLE=Course", "%AUTHOR=Team", "%TEST=One", "question one",
                           "%TEST=Two", "question two", "%H2=Page", "%PID=44", "text of the page"});
  ScratchFolder other;
  writeBytes(other / "second.txt", "%TEST=Three\nquestion three\n%H2=End\nclosing text here\n");
  ASSERT_EQ(run(first), RunOutcome::Succeeded);
  ASSERT_EQ(run(other / "second.txt"), RunOutcome::Succeeded);

  const std::string out2 = other / "second/";
  EXPECT_EQ(session.testCounter, 3);
  EXPECT_EQ(session.entryCount(1), 3);
  EXPECT_TRUE(exists(out2 + "testdata3.htm"));
  EXPECT_TRUE(exists(out2 + "test3.htm"));
  EXPECT_FALSE(exists(out2 + "test1.htm"));
  EXPECT_NE(readBytes(out2 + "test3.htm").find("testdata3.htm"), std::string::npos);

  auto manifest = crlfLines(readBytes(out2 + "imsmanifest.xml"));
  EXPECT_EQ(manifest[8], "<imsmd:langstring xml:lang='ru'>Course\r</imsmd:langstring>");
  EXPECT_EQ(manifest[15],
            "<item identifier='ITEM0' identifierref='RESOURCE1' isvisible='1' parameters=''>");
  EXPECT_EQ(manifest[24], "<resource identifier='RESOURCE1' type='webcontent' href = 'test3.htm'>");
  EXPECT_EQ(manifestProblems(out2 + "imsmanifest.xml"), "");
  // The first run's PID never reaches the second manifest, nor do its rows
  // beyond the second run's two entries.
  EXPECT_EQ(readBytes(out2 + "imsmanifest.xml").find("ITEM44"), std::string::npos);
  EXPECT_EQ(crlfLines(readBytes(out2 + "pvomanifest.htm")).size(), 5u);
  EXPECT_EQ(crlfLines(readBytes(out2 + "header.htm"))[3], "<center><b>Course\r ");

  // Log and status hold both runs, in order.
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Start", first, "Успех", "Start",
                                                 other / "second.txt", "Успех"}));
  EXPECT_EQ(status.lines.front(), first + "\r\n");
  EXPECT_EQ(std::count(status.lines.begin(), status.lines.end(), "Успех"), 2);
  // The second choice starts in the first document's folder.
  EXPECT_EQ(chooser.folders, (std::vector<std::string>{convert::homeFolder(), docs.path()}));
}

TEST_F(TwoRuns, AFailedRunStillMovesTheStartFolder) {
  ScratchFolder other;
  const std::string missing = other / "missing.doc";
  ASSERT_EQ(run(missing), RunOutcome::Failed);
  ASSERT_EQ(run(course("c.txt", {"%H2=A", "text of page a"})), RunOutcome::Succeeded);
  EXPECT_EQ(chooser.folders[1], other.path());
}

TEST_F(TwoRuns, TheSameDocumentTwiceReusesItsFolder) {
  const std::string path = course("c.txt", {"%H2=A", "text of page a", "%H2=B", "text of page b"});
  ASSERT_EQ(run(path), RunOutcome::Succeeded);
  writeBytes(path, "%H2=Only\nthe only page now\n");
  ASSERT_EQ(run(path), RunOutcome::Succeeded);
  // page2.htm of the first run stays; the manifest is the second run's.
  EXPECT_TRUE(exists(out("c") + "page2.htm"));
  EXPECT_EQ(crlfLines(readBytes(out("c") + "pvomanifest.htm")).size(), 4u);
  EXPECT_NE(readBytes(out("c") + "page1.htm").find("the only page now"), std::string::npos);
}

TEST_F(TwoRuns, ACancelledChoiceChangesNothing) {
  chooser.answers.push_back(std::nullopt);
  course::Frontend frontend{chooser, status, log, warnings, starter, programFolder()};
  EXPECT_EQ(convert::parse(session, app, frontend), RunOutcome::Cancelled);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Start"}));
  EXPECT_TRUE(status.lines.empty());
  EXPECT_TRUE(starter.calls.empty());
  EXPECT_EQ(session.languageMode, 1);
  EXPECT_TRUE(listFiles(docs.path()).empty());
  // A second run after the cancel works as the first would.
  ASSERT_EQ(run(course("c.txt", {"%H2=A", "text of page a"})), RunOutcome::Succeeded);
}
