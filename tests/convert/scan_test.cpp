// The scanner inside a whole run: which paragraphs are markers, what each
// entry holds, the last entry's rule, and the errors that end a run.
#include <gtest/gtest.h>

#include "../common/course.h"
#include "../common/manifest_check.h"

using namespace testing_support;
using convert::RunOutcome;

class Scan : public CourseTest {
 protected:
  // Runs the course and returns the kinds of the recorded entries.
  std::vector<int> kinds(int total) {
    std::vector<int> k;
    for (int i = 1; i <= total; ++i) k.push_back(session.entryKind(i));
    return k;
  }
  int total() {  // entries in the manifest's preview: one line each but chapter ends
    return static_cast<int>(crlfLines(readBytes(out("c") + "pvomanifest.htm")).size()) - 3;
  }
  std::string page(int n) { return readBytes(out("c") + "page" + std::to_string(n) + ".htm"); }
  RunOutcome runLines(const std::vector<std::string>& lines) { return run(course("c.txt", lines)); }
};

TEST_F(Scan, OneStrayCharacterBeforeAMarkerIsAllowed) {
  ASSERT_EQ(runLines({"%H2=First", "\u2022%H2=Intro", "text of the intro page",
                      "**%H2=Not a marker", "the end of it all"}),
            RunOutcome::Succeeded);
  EXPECT_EQ(session.entryTitle(1), u"First");
  EXPECT_EQ(session.entryTitle(2), u"Intro");
  EXPECT_EQ(total(), 2);
  EXPECT_NE(page(2).find("**%H2=Not a marker"), std::string::npos);
}

TEST_F(Scan, MarkersMatchInAnyCaseButThePrefixRuleIsCaseSensitive) {
  ASSERT_EQ(runLines({"%h1=Chapter", "%h2=page", "x*%h1=Stray", "%Test=quiz", "question text here",
                      "%h1#"}),
            RunOutcome::Succeeded);
  EXPECT_EQ(kinds(4), (std::vector<int>{3, 1, 2, 4}));
  EXPECT_EQ(session.entryTitle(1), u"Chapter");
  EXPECT_NE(page(2).find("x*%h1=Stray"), std::string::npos);
}

TEST_F(Scan, PidNumbersAreConvertedAndBelongToThePendingEntry) {
  ASSERT_EQ(runLines({"%H2=A", "%PID= 2.5 ", "text of page a", "%H2=B", "%PID=7", "%PID=3.5",
                      "text of page b"}),
            RunOutcome::Succeeded);
  EXPECT_EQ(session.entryPid(1), 2);
  EXPECT_EQ(session.entryPid(2), 4);  // the later line wins
}

TEST_F(Scan, APidLineMovesTheStartOfTheContent) {
  ASSERT_EQ(runLines({"%H2=A", "left out of the page", "%PID=1", "kept in the page", "%H2=B",
                      "second page text"}),
            RunOutcome::Succeeded);
  EXPECT_EQ(page(1).find("left out"), std::string::npos);
  EXPECT_NE(page(1).find("kept in the page"), std::string::npos);
}

TEST_F(Scan, AnEarlyPidMakesAnUntitledFirstEntry) {
  ASSERT_EQ(
      runLines({"never exported", "%PID=5", "untitled content", "%H2=Next", "the next page text"}),
      RunOutcome::Succeeded);
  EXPECT_EQ(kinds(2), (std::vector<int>{0, 1}));
  EXPECT_EQ(session.entryTitle(1), u"");
  EXPECT_NE(page(1).find("untitled content"), std::string::npos);
  EXPECT_EQ(page(1).find("never exported"), std::string::npos);
  auto preview = crlfLines(readBytes(out("c") + "pvomanifest.htm"));
  EXPECT_EQ(preview[1], "ITEM5|||0");
  EXPECT_EQ(manifestProblems(out("c") + "imsmanifest.xml"), "");
}

TEST_F(Scan, BadPidNumbersEndTheRun) {
  ASSERT_EQ(
      runLines({"%H2=A", "text of page a", "%H2=B", "%PID=twelve", "%H2=C", "text text text"}),
      RunOutcome::Failed);
  EXPECT_EQ(status.lines.back(), "parse: Error #  13 in Raredozud:Type mismatch");
  EXPECT_TRUE(exists(out("c") + "page1.htm"));  // exported before the error
  EXPECT_FALSE(exists(out("c") + "imsmanifest.xml"));
  EXPECT_EQ(app.documents().count(), 1);  // the source stays open
  EXPECT_EQ(log.lines.size(), 2u);        // "Start" and the path only

  ASSERT_EQ(run(course("d.txt", {"%H2=A", "%PID=2147483648", "text"})), RunOutcome::Failed);
  EXPECT_EQ(status.lines.back(), "parse: Error #  6 in Raredozud:Overflow");
}

TEST_F(Scan, ChapterEndWithoutAChapterIsOnlyAMessage) {
  ASSERT_EQ(runLines({"%H2=A", "text of page a", "%H1#", "more text of a", "%H1=Ch", "%H1=Second",
                      "%H2=In second", "page text here"}),
            RunOutcome::Succeeded);
  EXPECT_EQ(status.lines[2], "Ошибка, %H1 не открыт ");
  EXPECT_EQ(kinds(4), (std::vector<int>{1, 3, 3, 1}));
  EXPECT_NE(page(1).find("%H1#"), std::string::npos);  // stays content
  EXPECT_NE(page(1).find("more text of a"), std::string::npos);
  // Both chapters are left open; the manifest closes them.
  EXPECT_EQ(manifestProblems(out("c") + "imsmanifest.xml"), "");
}

TEST_F(Scan, MarkersInsideTablesAreIgnored) {
  word::Builder b;
  paragraph(b, "%H2=Before");
  paragraph(b, "text before the table");
  tableRow(b, {"%H2=Inside", "%PID=99"});
  paragraph(b, "after the table");
  paragraph(b, "%H2=After");
  paragraph(b, "text after");
  paragraph(b, "the closing paragraph");
  ASSERT_EQ(run(builtCourse("c.doc", b)), RunOutcome::Succeeded) << joined(status.lines);
  EXPECT_EQ(kinds(2), (std::vector<int>{1, 1}));
  EXPECT_EQ(session.entryTitle(2), u"After");
  EXPECT_EQ(session.entryPid(1), 0);
  EXPECT_NE(page(1).find("%H2=Inside"), std::string::npos);
  EXPECT_NE(page(1).find("after the table"), std::string::npos);
}

TEST_F(Scan, ATableRightAfterAMarkerAndAtTheEnd) {
  word::Builder b;
  paragraph(b, "%H2=Tables");
  tableRow(b, {"one", "two"});
  tableRow(b, {"three", "%H1=four"});
  paragraph(b, "%H2=Last");
  tableRow(b, {"a cell with more than ten characters"});
  ASSERT_EQ(run(builtCourse("c.doc", b)), RunOutcome::Succeeded) << joined(status.lines);
  EXPECT_EQ(kinds(2), (std::vector<int>{1, 1}));
  EXPECT_NE(page(1).find("three"), std::string::npos);
  EXPECT_NE(page(2).find("a cell with more"), std::string::npos);
}

TEST_F(Scan, TheLastEntryNeedsMoreThanTenCharacters) {
  ASSERT_EQ(runLines({"%H2=A", "text of a", "%H2=Short", "0123456789"}), RunOutcome::Succeeded);
  EXPECT_EQ(total(), 1);
  EXPECT_FALSE(exists(out("c") + "page2.htm"));

  ASSERT_EQ(runLines({"%H2=A", "text of a", "%H2=Long", "0123456789A"}), RunOutcome::Succeeded);
  EXPECT_EQ(total(), 2);
  EXPECT_TRUE(exists(out("c") + "page2.htm"));
}

TEST_F(Scan, AnEmptyChapterEndIsKeptAtTheEnd) {
  ASSERT_EQ(runLines({"%H1=Ch", "%H2=A", "text of a", "%H1#"}), RunOutcome::Succeeded);
  EXPECT_EQ(kinds(3), (std::vector<int>{3, 1, 4}));
  auto manifest = crlfLines(readBytes(out("c") + "imsmanifest.xml"));
  EXPECT_EQ(manifest[20], "</item>");
  EXPECT_EQ(manifest[21], "</organization>");
}

TEST_F(Scan, ConsecutiveMarkersGiveEmptyEntriesAndEmptyTitles) {
  ASSERT_EQ(runLines({"%H2=", "%H2=B", "text of page b"}), RunOutcome::Succeeded);
  EXPECT_EQ(kinds(2), (std::vector<int>{1, 1}));
  EXPECT_EQ(session.entryTitle(1), u"");
  EXPECT_TRUE(exists(out("c") + "page1.htm"));
  EXPECT_EQ(status.lines[1], "    page 1.htm%H2=\r");
}

TEST_F(Scan, TitleAndAuthorLinesAfterAHeadingStayInItsContent) {
  ASSERT_EQ(runLines({"%TITLE=First", "%H2=A", "%TITLE=Second", "%AUTHOR=Me", "page text here"}),
            RunOutcome::Succeeded);
  EXPECT_EQ(session.courseTitle, u"Second\r");
  EXPECT_EQ(session.courseAuthor, u"Me\r");
  EXPECT_NE(page(1).find("%TITLE=Second"), std::string::npos);
}

TEST_F(Scan, TitlesAreEscapedWhenRead) {
  ASSERT_EQ(runLines({"%H2=It's <new> & old", "page text here"}), RunOutcome::Succeeded);
  EXPECT_EQ(session.entryTitle(1), u"It`s &lt;new&gt; & old");
  EXPECT_EQ(manifestProblems(out("c") + "imsmanifest.xml"), "");
  auto manifest = crlfLines(readBytes(out("c") + "imsmanifest.xml"));
  EXPECT_EQ(manifest[16], "<title>It`s &lt;new&gt; &amp; old</title>");
}

TEST_F(Scan, ADocumentWithoutMarkersStillMakesAPackage) {
  ASSERT_EQ(runLines({"just text", "and more"}), RunOutcome::Succeeded);
  EXPECT_EQ(crlfLines(readBytes(out("c") + "imsmanifest.xml")).size(), 20u);
  EXPECT_EQ(listFiles(out("c")), (std::vector<std::string>{"course.js", "header.htm",
                                                           "imsmanifest.xml", "pvomanifest.htm"}));
  EXPECT_EQ(status.lines.back(), "Успех");
}

TEST_F(Scan, The1001stEntryEndsTheRunWithError9) {
  std::vector<std::string> lines;
  for (int i = 0; i < 1002; ++i) lines.push_back("%H1=c" + std::to_string(i));
  ASSERT_EQ(run(course("c.txt", lines)), RunOutcome::Failed);
  EXPECT_EQ(status.lines.back(), "parse: Error #  9 in Raredozud:Subscript out of range");
  EXPECT_EQ(session.entryTitle(1000), u"c999");
  EXPECT_FALSE(exists(out("c") + "imsmanifest.xml"));
}

TEST_F(Scan, APidLineAfter1000EntriesEndsTheRunWithError9) {
  std::vector<std::string> lines;
  for (int i = 0; i < 1001; ++i) lines.push_back("%H1=c" + std::to_string(i));
  lines.push_back("%PID=1");
  ASSERT_EQ(run(course("c.txt", lines)), RunOutcome::Failed);
  EXPECT_EQ(status.lines.back(), "parse: Error #  9 in Raredozud:Subscript out of range");
}
