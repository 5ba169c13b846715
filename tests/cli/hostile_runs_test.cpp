// Runs given what a course author did not mean or a probe sent: a path with
// a control character, a title longer than an LMS takes, two documents of
// one name up to the first dot.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "../common/fixtures.h"
#include "../common/program.h"
#include "../common/zip.h"
#include "package/package_check.h"
#include "support/codepage.h"

using namespace testing_support;

namespace {

std::string dir(const ScratchFolder& f) {
  return f.path().substr(0, f.path().size() - 1);
}

const char* kCourse = "%TITLE=Safety\n%H2=Rules\nKeep the floor dry at all times.\n";

}  // namespace

// Dropping the character would name another file: the run refuses the path
// before it writes anything beyond "Start", and converts nothing.
TEST(ControlCharacterPath, IsRefusedAndNoOtherFileIsConverted) {
  for (const char* control : {"\n", "\r", "\t", "\x1b", "\xc2\x85"}) {
    SCOPED_TRACE(control);
    ScratchFolder work;
    const std::string name = std::string("new") + control + "line.txt";
    writeBytes(work / name, kCourse);
    writeBytes(work / "newline.txt", kCourse);  // what the path would become
    const ProgramResult r = runProgram(dir(work), {"convert", name});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "parse: Error #  52 in Raredozud:Bad file name or number\n");
    EXPECT_NE(r.err.find("holds a control character"), std::string::npos) << r.err;
    EXPECT_EQ(readBytes(work / "log.txt"), "Start\r\n");
    const std::vector<std::string> files = listFiles(work.path());
    EXPECT_EQ(std::set<std::string>(files.begin(), files.end()),
              (std::set<std::string>{"log.txt", name, "newline.txt"}));
    const ProgramResult lint = runProgram(dir(work), {"lint", name});
    EXPECT_EQ(lint.exit, 2);
    EXPECT_EQ(lint.out, "");
    EXPECT_NE(lint.err.find("holds a control character"), std::string::npos) << lint.err;
  }
}

// SCORM 1.2's schema takes titles of 200 characters: the SCORM manifest
// shortens a longer one after a whole character, with an ellipsis, and the
// program's own check passes the zip; the IMS manifest keeps the title whole.
TEST(LongTitle, IsShortenedInTheScormManifestOnly) {
  ScratchFolder work;
  std::string title;
  for (int i = 0; i < 26; ++i) title += "Безопасно ";  // 260 characters
  writeBytes(work / "long.txt", "%TITLE=" + title + "\n%H2=Rules\nKeep the floor dry always.\n");
  const ProgramResult r = runProgram(dir(work), {"convert", "long.txt"});
  ASSERT_EQ(r.exit, 0) << r.err;
  const ProgramResult checked = runProgram(dir(work), {"check", "long.scorm.zip"});
  EXPECT_EQ(checked.exit, 0) << checked.out;
  const std::string scorm = zipEntry(work / "long.scorm.zip", "imsmanifest.xml");
  // The first 199 characters, then the ellipsis.
  std::string shortened;
  for (int i = 0; i < 19; ++i) shortened += "Безопасно ";
  shortened += "Безопасно…";
  EXPECT_NE(scorm.find("<title>" + shortened + "</title>"), std::string::npos) << scorm;
  // The IMS manifest, in windows-1251, has the whole title.
  EXPECT_NE(readBytes(work / "long/imsmanifest.xml")
                .find("'>" + support::toCodePage(utf16(title), "WINDOWS-1251")),
            std::string::npos);
  EXPECT_TRUE(package::checkPackage(work / "long.zip", RD_BINARY_DIR "/app/schemas").ok());
}

// "Safety v1.5.txt" and "Safety v1.6.txt" both make "Safety v1/": the
// package records which document made it (its name and a hash of its path,
// never the path), and a run that replaces another document's says so.
TEST(DocumentRecord, ARunReplacingAnotherDocumentsPackageWarns) {
  ScratchFolder work;
  writeBytes(work / "Safety v1.5.txt", kCourse);
  writeBytes(work / "Safety v1.6.txt", kCourse);
  const std::string warning = "was made from another document, \"Safety v1.5.txt\"";
  struct Step {
    const char* document;
    bool warns;
  };
  for (const Step& s : {Step{"Safety v1.5.txt", false}, Step{"Safety v1.5.txt", false},
                        Step{"Safety v1.6.txt", true}, Step{"Safety v1.6.txt", false}}) {
    SCOPED_TRACE(s.document);
    const ProgramResult r = runProgram(dir(work), {"convert", s.document});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.err.find(warning) != std::string::npos, s.warns) << r.err;
    const std::string script = readBytes(work / "Safety v1/course.js");
    EXPECT_NE(script.find(std::string("\"document\": \"") + s.document + "\""), std::string::npos)
        << script;
    EXPECT_TRUE(std::regex_search(script, std::regex("\"documentHash\": \"[0-9a-f]{64}\"")))
        << script;
    EXPECT_EQ(script.find(work.path()), std::string::npos) << "the path stays out";
    EXPECT_EQ(zipEntry(work / "Safety v1.zip", "course.js"), script);
  }
}
