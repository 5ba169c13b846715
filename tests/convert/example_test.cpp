// The worked example of a whole run: chapter, page, test, chapter end,
// page; every package file and every message.
#include <gtest/gtest.h>

#include "../common/course.h"
#include "../common/manifest_check.h"
#include "package/course_settings.h"
#include "support/strings.h"

using namespace testing_support;

namespace {

const std::vector<std::string> kExample = {
    "%TITLE=Safety",
    "%H1=Basics",
    "%PID=10",
    "%H2=Rules",
    "%PID=11",
    "Keep the floor dry. See %A=12 the check%A# below.",
    "%TEST=Check",
    "%PID=12",
    "1. Where do you keep the chemicals?",
    "*b) In the locked cabinet",
    "%H1#",
    "%H2=Summary",
    "Thank you for taking this course.",
};

std::string golden(const std::string& name) {
  return readBytes(std::string(RD_TEST_DIR) + "/convert/golden/example/" + name);
}

std::vector<std::string> pageLines(const std::string& path) {
  std::string bytes = readBytes(path);
  EXPECT_TRUE(bytes.ends_with("\r\n")) << path;
  return crlfLines(bytes);
}

bool hasLine(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool hasLineStarting(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const auto& l : lines) {
    std::string lower = l.substr(
        l.find_first_not_of(' ') == std::string::npos ? l.size() : l.find_first_not_of(' '));
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.starts_with(prefix)) return true;
  }
  return false;
}

}  // namespace

class WorkedExample : public CourseTest {};

TEST_F(WorkedExample, RecordsFiveEntriesAndWritesThePackage) {
  const std::string path = course("example.txt", kExample);
  ASSERT_EQ(run(path), convert::RunOutcome::Succeeded) << joined(status.lines);
  const std::string out = this->out("example");

  EXPECT_EQ(listFiles(out), (std::vector<std::string>{"course.js", "header.htm", "imsmanifest.xml",
                                                      "page2.htm", "page5.htm", "pvomanifest.htm",
                                                      "test1.htm", "testdata1.htm"}));
  // course.js names the document by a hash of its path, which lies in a
  // scratch folder: the golden file holds HASH in its place.
  for (const std::string name : {"imsmanifest.xml", "pvomanifest.htm", "header.htm",
                                 "testdata1.htm", "test1.htm", "course.js", "page2.htm"})
    EXPECT_EQ(readBytes(out + name),
              support::replaceAll(golden(name), "HASH", package::documentHash(path)))
        << name;
  EXPECT_EQ(manifestProblems(out + "imsmanifest.xml"), "");

  // The outline as recorded.
  const int kinds[] = {3, 1, 2, 4, 1};
  const int pids[] = {10, 11, 12, 0, 0};
  const char16_t* titles[] = {u"Basics", u"Rules", u"Check", u"", u"Summary"};
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(session.entryKind(i), kinds[i - 1]) << i;
    EXPECT_EQ(session.entryPid(i), pids[i - 1]) << i;
    EXPECT_EQ(session.entryTitle(i), titles[i - 1]) << i;
  }
  EXPECT_EQ(session.entryCount(3), 1);
  EXPECT_EQ(session.testCounter, 1);
  EXPECT_EQ(session.courseTitle, u"Safety\r");
  EXPECT_EQ(session.courseAuthor, u"");
}

TEST_F(WorkedExample, PagesHoldTheirOwnContentRewritten) {
  ASSERT_EQ(run(course("example.txt", kExample)), convert::RunOutcome::Succeeded);
  const std::string out = this->out("example");

  auto rules = pageLines(out + "page2.htm");
  EXPECT_TRUE(hasLine(rules, "<body>"));
  EXPECT_FALSE(hasLineStarting(rules, "<title"));
  const std::string text = joined(rules);
  EXPECT_NE(text.find("Keep the floor dry. See <a href=\"#\" onclick=\"return "
                      "parent.tester.showref('12')\">the check</a> below."),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("%PID"), std::string::npos);
  EXPECT_EQ(text.find("%H2"), std::string::npos);
  EXPECT_EQ(text.find("%TEST"), std::string::npos);

  auto summary = joined(pageLines(out + "page5.htm"));
  EXPECT_NE(summary.find("Thank you for taking this course."), std::string::npos);
  EXPECT_EQ(summary.find("%H"), std::string::npos);
}

TEST_F(WorkedExample, StatusLogAndCopyScript) {
  const std::string path = course("example.txt", kExample);
  ASSERT_EQ(run(path), convert::RunOutcome::Succeeded);

  ASSERT_EQ(status.lines.size(), 8u) << joined(status.lines);
  EXPECT_EQ(status.lines[0], path + "\r\n");
  EXPECT_EQ(status.lines[1], "%H1=Basics\r");
  EXPECT_EQ(status.lines[2], "    page 1.htm%H2=Rules\r");
  EXPECT_EQ(status.lines[3], "    %TEST=Check\r");
  EXPECT_TRUE(status.lines[4].starts_with("link: ")) << status.lines[4];
  EXPECT_NE(status.lines[4].find("showref('12')\">the check</a>"), std::string::npos);
  EXPECT_EQ(status.lines[5], "%H1#\r");
  EXPECT_EQ(status.lines[6], "    page 4.htm%H2=Summary\r");
  EXPECT_EQ(status.lines[7], "Успех");

  EXPECT_EQ(log.lines, (std::vector<std::string>{"Start", path, "Успех"}));

  ASSERT_EQ(starter.calls.size(), 1u);
  EXPECT_EQ(starter.calls[0].script, programFolder() + "/copysql.sh");
  EXPECT_EQ(starter.calls[0].arguments,
            (std::vector<std::string>{programFolder(), docs / "example"}));

  // The source document is closed; the chooser started in the home folder.
  EXPECT_EQ(app.documents().count(), 0);
  EXPECT_EQ(chooser.folders, (std::vector<std::string>{convert::homeFolder()}));
  EXPECT_EQ(session.lastFolder, docs.path());
}

TEST_F(WorkedExample, TheBundledExampleCourseConvertsCleanly) {
  const std::string source = readBytes(std::string(RD_TEST_DIR) + "/../examples/course.txt");
  writeBytes(docs / "course.txt", source);
  ASSERT_EQ(run(docs / "course.txt"), convert::RunOutcome::Succeeded) << joined(status.lines);
  EXPECT_EQ(manifestProblems(out("course") + "imsmanifest.xml"), "");
  for (const auto& line : status.lines) {
    EXPECT_EQ(line.find("error #"), std::string::npos) << line;
    EXPECT_EQ(line.find("Error"), std::string::npos) << line;
  }
}
