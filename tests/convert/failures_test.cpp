// Every form of failure line, and what a failure leaves behind.
#include <gtest/gtest.h>

#include "../common/course.h"
#include "../common/manifest_check.h"
#include "pages/save_html.h"
#include "quiz/quiz_data.h"

using namespace testing_support;
using convert::RunOutcome;

class Failures : public CourseTest {};

TEST_F(Failures, AMissingDocumentGoesToTheErrorPath) {
  const std::string path = docs / "missing.doc";
  ASSERT_EQ(run(path), RunOutcome::Failed);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Start", path}));
  ASSERT_EQ(status.lines.size(), 2u);
  EXPECT_EQ(status.lines[0], path + "\r\n");
  EXPECT_TRUE(status.lines[1].starts_with("parse: Error #  5174 in Raredozud.Word:"))
      << status.lines[1];
  EXPECT_TRUE(starter.calls.empty());
}

TEST_F(Failures, AnUnreadableDocumentGoesToTheErrorPath) {
  writeBytes(docs / "empty.doc", "");
  ASSERT_EQ(run(docs / "empty.doc"), RunOutcome::Failed);
  EXPECT_TRUE(status.lines.back().starts_with("parse: Error #  5981 in Raredozud.Word:"))
      << status.lines.back();
}

TEST_F(Failures, AMissingCopyScriptEndsTheRunAfterThePackage) {
  std::filesystem::remove(program / "copysql.sh");
  ASSERT_EQ(run(course("c.txt", {"%TITLE=T", "%H2=A", "text of page a"})), RunOutcome::Failed);
  EXPECT_EQ(status.lines.back(), "parse: Error #  53 in Raredozud:File not found");
  EXPECT_EQ(listFiles(out("c")),
            (std::vector<std::string>{"course.js", "header.htm", "imsmanifest.xml", "page1.htm",
                                      "pvomanifest.htm"}));
  EXPECT_EQ(log.lines.back(), docs / "c.txt");  // no success line
  EXPECT_TRUE(starter.calls.empty());
}

TEST_F(Failures, AnUnwritableOutputFolderFailsTheWritersThenTheManifest) {
  writeBytes(docs / "c", "a file where the folder should be");
  ASSERT_EQ(run(course("c.txt", {"%H2=A", "text of page a", "%TEST=T", "question text"})),
            RunOutcome::Failed);
  // Every write into it fails for the reason the folder could not be made.
  EXPECT_EQ(std::vector<std::string>(status.lines.begin() + 3, status.lines.end()),
            (std::vector<std::string>{"saveHTML: Filename " + docs / "c/page1.htm" +
                                          ", error #  58 in Raredozud:File already exists",
                                      "saveTest: file " + docs / "c/testdata1.htm" +
                                          ", error #  58 in Raredozud:File already exists",
                                      "parse: Error #  58 in Raredozud:File already exists"}));
  // Why, told once, with what to do.
  EXPECT_EQ(warnings.lines,
            std::vector<std::string>{docs / "c/: File exists: the package folder cannot be made "
                                            "beside the document; a file of that name stands "
                                            "there: move or rename it, or give the document "
                                            "another name"});
  // The temporary documents were closed; the source was closed by finishing.
  EXPECT_EQ(app.documents().count(), 0);
}

TEST_F(Failures, AMissingTemplateKeepsTheDataFileAndTheRunGoesOn) {
  std::filesystem::remove(program / "sql_test.htm");
  // "Успех", but the package lacks a test page: the run did not succeed.
  ASSERT_EQ(run(course("c.txt", {"%TEST=Quiz", "question text", "%H2=After", "page text here"})),
            RunOutcome::Incomplete);
  EXPECT_EQ(status.lines[3], "saveTest: file " + docs / "c/testdata1.htm" +
                                 ", error #  53 in Raredozud:File not found");
  EXPECT_TRUE(exists(out("c") + "testdata1.htm"));
  EXPECT_FALSE(exists(out("c") + "test1.htm"));
  EXPECT_TRUE(exists(out("c") + "page2.htm"));
  EXPECT_EQ(status.lines.back(), "Успех");
  EXPECT_EQ(warnings.lines.back(), "1 page or test could not be written: the package " + out("c") +
                                       " is incomplete, so the copy step was not started (an "
                                       "earlier zip stays as it was)");
}

TEST_F(Failures, ALogThatCannotBeWrittenIsReportedOnTheErrorPath) {
  struct BrokenLog : course::LogSink {
    void writeLog(const std::u16string&) override {
      throw support::Error(70, "Raredozud", "Permission denied");
    }
  } broken;
  course::Frontend frontend{chooser, status, broken, warnings, starter, programFolder()};
  EXPECT_EQ(convert::parse(session, app, frontend), RunOutcome::Failed);
  EXPECT_EQ(status.lines,
            (std::vector<std::string>{"parse: Error #  70 in Raredozud:Permission denied"}));
  EXPECT_TRUE(chooser.folders.empty());
}

TEST_F(Failures, AStatusBoxThatFailsEndsTheRunQuietly) {
  struct BrokenStatus : course::StatusSink {
    void showStatus(const std::u16string&) override { throw std::runtime_error("gone"); }
  } broken;
  chooser.answers.push_back(course("c.txt", {"%H2=A", "text of page a"}));
  course::Frontend frontend{chooser, broken, log, warnings, starter, programFolder()};
  EXPECT_EQ(convert::parse(session, app, frontend), RunOutcome::Failed);
}

TEST_F(Failures, ARunFailingMidwayStillWritesThePagesItCut) {
  // Fails on the third page's heading line. That line waits for the pages
  // still being written, so the run may have cut the second page by the
  // time it fails; whatever it cut is on the disk whole, and nothing else is
  // left beside the pages.
  struct BrokenStatus : course::StatusSink {
    int headings = 0;
    void showStatus(const std::u16string& line) override {
      if (line.find(u"%H2=") != std::u16string::npos && ++headings == 3)
        throw std::runtime_error("gone");
    }
  } broken;
  chooser.answers.push_back(
      course("c.txt", {"%H2=A", "text of page a", "%H2=B", "text of page b", "%H2=C", "c"}));
  course::Frontend frontend{chooser, broken, log, warnings, starter, programFolder()};
  EXPECT_EQ(convert::parse(session, app, frontend), RunOutcome::Failed);
  EXPECT_EQ(broken.headings, 3);
  std::vector<std::string> left = listFiles(out("c"));
  EXPECT_NE(std::find(left.begin(), left.end(), "page1.htm"), left.end());
  EXPECT_NE(readBytes(out("c") + "page1.htm").find("text of page a</p>"), std::string::npos);
  for (const std::string& name : left) {
    EXPECT_TRUE(name == "page1.htm" || name == "page2.htm") << name;
    EXPECT_NE(readBytes(out("c") + name).find("</html>"), std::string::npos) << name;
  }
}

// saveHTML and saveTest called on their own, for the forms of their lines.
class ExportFailures : public CourseTest {
 protected:
  void SetUp() override {
    CourseTest::SetUp();
    std::filesystem::create_directory(docs / "o");
  }
  std::string o() { return docs / "o/"; }
  // Opens a one-paragraph document "src.doc" as the course.
  void openSource(const char* text) {
    word::Builder b;
    paragraph(b, text);
    builtCourse("src.doc", b);
  }
  using Lines = std::vector<std::string>;
};

TEST_F(ExportFailures, SaveHtmlWithAnEntryOutsideTheOutlineHasNoFileName) {
  auto ctx = context();
  pages::saveHTML(ctx, o(), 0, 0, 1001);
  pages::saveHTML(ctx, o(), 0, 0, -1);
  EXPECT_EQ(status.lines,
            (std::vector<std::string>{
                "saveHTML: Filename , error #  9 in Raredozud:Subscript out of range",
                "saveHTML: Filename , error #  9 in Raredozud:Subscript out of range"}));
}

TEST_F(ExportFailures, SaveHtmlFailingBeforeTheSaveShowsTheProvisionalName) {
  session.entryKind(2) = course::kPage;
  auto ctx = context();
  pages::saveHTML(ctx, o(), 0, 5, 2);  // no document is open
  EXPECT_EQ(status.lines, Lines{"saveHTML: Filename " + o() +
                                "page2.???, error #  4248 in Raredozud.Word:This command is not "
                                "available because no document is open."});
}

TEST_F(ExportFailures, SaveHtmlFailingInTheSaveShowsThePageNameAndClosesItsDocument) {
  openSource("source text");
  session.entryKind(3) = course::kPage;
  auto ctx = context();
  pages::saveHTML(ctx, docs / "nowhere/", 0, 5, 3);
  ASSERT_EQ(status.lines.size(), 1u);
  EXPECT_TRUE(status.lines[0].starts_with("saveHTML: Filename " + docs / "nowhere/page3.htm" +
                                          ", error #  5153 in Raredozud.Word:"))
      << status.lines[0];
  EXPECT_EQ(app.documents().count(), 1);
  EXPECT_EQ(app.activeDocument().fullName(), docs / "src.doc");
}

TEST_F(ExportFailures, SaveTestFailingBeforeTheFirstNumberShowsTestdata0) {
  session.entryKind(1) = course::kTest;
  auto ctx = context();
  quiz::saveTest(ctx, o(), 0, 5, 1);  // no document is open
  EXPECT_EQ(status.lines, Lines{"saveTest: file " + o() +
                                "testdata0.???, error #  4248 in Raredozud.Word:This command is "
                                "not available because no document is open."});
  EXPECT_EQ(session.testCounter, 0);
}

TEST_F(ExportFailures, SaveTestWithABadEntryClosesItsDocument) {
  openSource("question text");
  auto ctx = context();
  quiz::saveTest(ctx, o(), 0, 5, 1001);
  EXPECT_EQ(status.lines, Lines{"saveTest: file " + o() +
                                "testdata0.???, error #  9 in Raredozud:Subscript out of range"});
  EXPECT_EQ(app.documents().count(), 1);
  EXPECT_EQ(app.activeDocument().fullName(), docs / "src.doc");
  EXPECT_EQ(session.testCounter, 0);
}

TEST_F(ExportFailures, TestCounterOverflowIsError6) {
  openSource("question text");
  session.testCounter = 2147483647;
  session.entryKind(1) = course::kTest;
  auto ctx = context();
  quiz::saveTest(ctx, o(), 0, 5, 1);
  EXPECT_EQ(status.lines, Lines{"saveTest: file " + o() +
                                "testdata2147483647.???, error #  6 in Raredozud:Overflow"});
  EXPECT_EQ(session.testCounter, 2147483647);
  EXPECT_EQ(app.activeDocument().fullName(), docs / "src.doc");
}
