// course.js: which document made the package, written so that no file name
// can end its string or the script, read back as written, and never the
// document's path; the zips it chooses.
#include <gtest/gtest.h>

#include "../common/fixtures.h"
#include "package/course_settings.h"
#include "support/error.h"

using namespace testing_support;

TEST(CourseScript, TheDocumentsNameReadsBackWhateverItHolds) {
  const std::string names[] = {
      "Safety v1.5.txt",
      "Курс «1».docx",
      "a\"b\\c.txt",
      "x</script><script>alert(1)</script>.txt",
      "comma, brace } and 'quote'.txt",
      "line\u2028break.odt",
      "\xFF\xFE broken.txt",
      "",
  };
  const std::string hash = package::documentHash("/courses/Safety v1.5.txt");
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    ScratchFolder dir;
    package::writeCourseScript(dir.path(), {75, "ru", name, hash});
    const std::string script = readBytes(dir / "course.js");
    for (char c : script) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << script;
    EXPECT_EQ(script.find("</"), std::string::npos);
    const auto back = package::readCourseScript(dir.path());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->passMark, 75);
    EXPECT_EQ(back->language, "ru");
    // Bytes that are no UTF-8 come back as the replacement character.
    EXPECT_EQ(back->document, name == names[6] ? "\xEF\xBF\xBD\xEF\xBF\xBD broken.txt" : name);
    EXPECT_EQ(back->documentHash, hash);
  }
}

TEST(CourseScript, ThePathsHashNamesOneDocumentAndHidesItsPath) {
  ScratchFolder dir;
  writeBytes(dir / "c.txt", "x");
  std::filesystem::create_directory(dir / "sub");
  std::filesystem::create_symlink(dir / "c.txt", dir / "link.txt");
  const std::string hash = package::documentHash(dir / "c.txt");
  EXPECT_EQ(hash.size(), 64u);
  EXPECT_EQ(hash.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(package::documentHash(dir / "sub/../c.txt"), hash);
  EXPECT_EQ(package::documentHash(dir / "link.txt"), hash);
  EXPECT_NE(package::documentHash(dir / "c.txt.bak"), hash);
  EXPECT_NE(package::documentHash(dir / "sub/c.txt"), hash);
}

// The zips to write travel as names; a script without them (an older
// version's) means all four, and one with a name no target has is refused.
TEST(CourseScript, TheTargetsReadBackAndAnOlderScriptMeansAllFour) {
  const struct {
    std::string list;  // as --targets takes it; empty: no "targets" line
    std::string line;  // in course.js, or the refusal's words
    course::Targets targets;
  } table[] = {
      {"ims,scorm12,scorm2004,cmi5", "\"targets\": \"ims scorm12 scorm2004 cmi5\"",
       course::kAllTargets},
      {"cmi5,ims", "\"targets\": \"ims cmi5\"", course::kImsTarget | course::kCmi5Target},
      {"scorm2004", "\"targets\": \"scorm2004\"", course::kScorm2004Target},
      {"", "", course::kAllTargets},
  };
  for (const auto& t : table) {
    SCOPED_TRACE(t.list);
    ScratchFolder dir;
    package::CourseSettings settings;
    if (!t.list.empty()) {
      ASSERT_EQ(package::parseTargets(t.list, ','), t.targets);
      settings.targets = t.targets;
      package::writeCourseScript(dir.path(), settings);
      EXPECT_NE(readBytes(dir / "course.js").find(t.line + "\n};"), std::string::npos);
    } else {
      writeBytes(dir / "course.js", "window.rdCourse = {\n  \"passMark\": 80\n};\n");
    }
    EXPECT_EQ(package::readCourseScript(dir.path())->targets, t.targets);
  }
  for (const std::string bad : {"", "scorm", "ims,ims", "ims,", "IMS", "ims scorm12"})
    EXPECT_FALSE(package::parseTargets(bad, ',')) << bad;
  ScratchFolder dir;
  writeBytes(dir / "course.js",
             "window.rdCourse = {\n  \"passMark\": 80,\n  \"targets\": \"x\"\n};\n");
  EXPECT_THROW(package::readCourseScript(dir.path()), support::Error);
}
