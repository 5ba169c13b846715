// Whole conversions of the sample courses, .doc, .docx and .odt: the outline the
// run records must be exactly the expected one, and every page and test it
// names must be written.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../common/fixtures.h"
#include "../common/frontends.h"
#include "convert/driver.h"
#include "course/session.h"
#include "word/application.h"

namespace {

using namespace testing_support;

struct Expected {
  int kind;
  int pid;
  std::string title;
};

std::vector<Expected> readOutline(const std::string& path) {
  std::ifstream in(path);
  std::vector<Expected> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    std::vector<std::string> f;
    std::stringstream ss(line);
    std::string field;
    while (std::getline(ss, field, '\t')) f.push_back(field);
    if (f.size() == 3) f.push_back("");
    rows.push_back({std::stoi(f[1]), std::stoi(f[2]), f[3]});
  }
  return rows;
}

class CourseOutline : public ::testing::TestWithParam<std::string> {};

TEST_P(CourseOutline, MatchesTheExpectedOutlineAndWritesEveryFile) {
  const std::string corpus = std::string(RD_TEST_DIR) + "/corpus/courses/";
  const std::string name = GetParam();
  std::string stem = name.substr(0, name.find('.'));
  std::vector<Expected> expected = readOutline(corpus + stem + ".outline.tsv");
  ASSERT_FALSE(expected.empty());

  ScratchFolder dir;
  std::string doc = dir / name;
  writeBytes(doc, readBytes(corpus + name));
  course::Session session;
  word::Application app;
  ListChooser chooser({doc});
  RecordingStatus status;
  RecordingLog log;
  RecordingWarnings warnings;
  RecordingStarter starter;
  course::Frontend frontend{chooser,  status,  log,
                            warnings, starter, std::string(RD_BINARY_DIR) + "/app"};
  ASSERT_EQ(convert::parse(session, app, frontend), convert::RunOutcome::Succeeded)
      << (status.lines.empty() ? "" : status.lines.back());

  std::string out = dir / (stem + "/");
  int tests = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    int n = static_cast<int>(i) + 1;
    SCOPED_TRACE("entry " + std::to_string(n));
    EXPECT_EQ(session.entryKind(n), expected[i].kind);
    EXPECT_EQ(session.entryPid(n), expected[i].pid);
    EXPECT_EQ(utf8(session.entryTitle(n)), expected[i].title);
    if (expected[i].kind == 1) {
      EXPECT_TRUE(exists(out + "page" + std::to_string(n) + ".htm"));
    }
    if (expected[i].kind == 2) {
      ++tests;
      EXPECT_EQ(session.entryCount(n), tests);
      EXPECT_TRUE(exists(out + "test" + std::to_string(tests) + ".htm"));
      EXPECT_TRUE(exists(out + "testdata" + std::to_string(tests) + ".htm"));
    }
  }
  // Nothing beyond the expected entries: the manifest's last resource is
  // the last expected page.
  std::string manifest = readBytes(out + "imsmanifest.xml");
  EXPECT_NE(manifest.find("RESOURCE" + std::to_string(expected.size()) + "'"), std::string::npos);
  EXPECT_EQ(manifest.find("RESOURCE" + std::to_string(expected.size() + 1) + "'"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(SampleCourses, CourseOutline,
                         ::testing::Values("small.doc", "small.docx", "small.odt", "large.doc",
                                           "large.docx", "large.odt"),
                         [](const auto& info) {
                           std::string s = info.param;
                           for (char& c : s)
                             if (c == '.') c = '_';
                           return s;
                         });

}  // namespace
