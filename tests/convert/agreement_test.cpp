// Lint and the conversion cut a document into the same entries: for the
// sample courses and for generated marker documents, the entries lint
// reports are the ones the conversion records (kind, title, PID) and
// writes (the content of each page and test).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <regex>
#include <set>

#include "../common/course.h"
#include "convert/lint.h"
#include "course/file_names.h"

using namespace testing_support;

namespace {

// Content paragraphs carry a token ("c17") that tells where they went.
std::set<std::string> tokens(const std::string& text) {
  static const std::regex token("\\bc[0-9]+\\b");
  std::set<std::string> out;
  for (std::sregex_iterator it(text.begin(), text.end(), token), end; it != end; ++it)
    out.insert(it->str());
  return out;
}

// Lines a generated document is made of: every marker, in both cases, with
// and without a stray character before it, empty titles, near misses,
// reference links, blank and short lines. PIDs are all numbers: a bad one
// ends a conversion where lint goes on.
const std::vector<std::string> kPieces = {
    "%TITLE=T", "%AUTHOR=A", "%H1=Chapter", "%h1=chapter", "%H1#",      "%h1#end",
    "%H2=Page", "%h2=page",  "\u2022%H2=B", "**%H2=Not",   "%H2=",      "%TEST=Quiz",
    "-%TEST=Q", "%PID=7",    "%PID= 2.5 ",  "%pid=-3",     "% H2=Off",  "%H2 =Off",
    "",         "   ",       "x",           "*%H1#",       "%A=7 to%A#"};

// Every marker event, written out whole, paragraph's entry included.
class EventLog : public convert::MarkerListener {
 public:
  std::vector<std::string> lines;
  void courseLine(const convert::Paragraph& p) override { add("course", p); }
  void pid(const convert::Paragraph& p, int32_t number, int32_t row) override {
    add("pid " + std::to_string(number) + " " + std::to_string(row), p);
  }
  void badPid(const convert::Paragraph& p, const support::Error& e) override {
    add("bad pid " + std::to_string(e.number()), p);
  }
  void heading(const convert::Paragraph& p, const convert::Heading& h) override {
    add("heading " + std::to_string(h.kind) + utf8(h.title) + std::to_string(h.nextNumber) +
            std::to_string(h.chapterOpen),
        p);
  }
  void strayChapterEnd(const convert::Paragraph& p) override { add("stray", p); }
  void entryClosed(const convert::ClosedEntry& e) override {
    lines.push_back("closed " + entry(e) + " " + std::to_string(e.number) + "-" +
                    std::to_string(e.end));
  }
  void lastEntryDropped(const convert::PendingEntry& e) override {
    lines.push_back("dropped " + entry(e));
  }

 private:
  static std::string entry(const convert::PendingEntry& e) {
    return std::to_string(e.kind) + "|" + utf8(e.title) + "|" + utf8(e.escapedTitle) + "|" +
           std::to_string(e.heading) + "|" + std::to_string(e.start) + "|" +
           (e.pid ? std::to_string(*e.pid) : "-") + "|" + std::to_string(e.pidAt);
  }
  void add(const std::string& what, const convert::Paragraph& p) {
    lines.push_back(what + " [" + utf8(p.text) + "|" + utf8(p.line) + "|" +
                    std::to_string(static_cast<int>(p.marker.marker)) + utf8(p.marker.value) + "|" +
                    std::to_string(p.start) + "-" + std::to_string(p.end) + "] in " +
                    (p.entry ? entry(*p.entry) : "none"));
  }
};

class Agreement : public CourseTest {
 protected:
  // Converts `path` after lint has read it (in the same engine, as the
  // command line does) and compares what each made of it.
  void compare(const std::string& path, bool checkContent) {
    const convert::LintResult linted = convert::lintDocument(app, path);
    std::vector<std::set<std::string>> content;
    word::Document& doc = app.activeDocument();
    for (const convert::ClosedEntry& e : linted.entries)
      content.push_back(checkContent ? tokens(utf8(word::Range(app, doc, e.start, e.end).text()))
                                     : std::set<std::string>{});

    session = course::Session{};
    status.lines.clear();
    for (int i = 1; i < course::kOutlineRows; ++i) session.entryKind(i) = -1;  // not recorded
    const std::string folder = out(std::filesystem::path(path).stem().string());
    std::filesystem::remove_all(folder);
    ASSERT_EQ(run(path), convert::RunOutcome::Succeeded) << joined(status.lines);

    size_t recorded = 0;
    while (recorded + 1 < course::kOutlineRows && session.entryKind(recorded + 1) != -1) ++recorded;
    ASSERT_EQ(recorded, linted.entries.size());
    for (size_t k = 0; k < recorded; ++k) {
      const convert::ClosedEntry& e = linted.entries[k];
      const int32_t n = e.number;
      SCOPED_TRACE("entry " + std::to_string(n));
      EXPECT_EQ(n, static_cast<int32_t>(k + 1));
      EXPECT_EQ(session.entryKind(n), e.kind);
      EXPECT_EQ(session.entryTitle(n), e.escapedTitle);
      EXPECT_EQ(session.entryPid(n), e.pid.value_or(0));
      const course::EntryFiles files = course::entryFiles(session, n);
      const std::string written = files.page.empty() ? files.testData : files.page;
      if (written.empty()) continue;
      ASSERT_TRUE(exists(folder + written)) << written;
      if (checkContent) {
        EXPECT_EQ(tokens(readBytes(folder + written)), content[k]) << written;
      }
    }
  }
};

// `prefix` then `n`, built by appending: GCC 12 at -O3 wrongly warns of
// overlapping copies where a literal goes before a temporary string.
std::string numbered(const char* prefix, int n) {
  std::string s(prefix);
  s += std::to_string(n);
  return s;
}

}  // namespace

TEST_F(Agreement, OnTheSampleCourses) {
  const std::string corpus = std::string(RD_TEST_DIR) + "/corpus/courses/";
  const std::string examples = std::string(RD_TEST_DIR) + "/../examples/";
  for (const std::string& source :
       {corpus + "small.doc", corpus + "small.docx", corpus + "small.odt", corpus + "large.doc",
        corpus + "large.docx", corpus + "large.odt", corpus + "english.docx",
        examples + "course-template.doc", examples + "course-template.docx",
        examples + "course.txt"}) {
    SCOPED_TRACE(source);
    const std::string path = docs / std::filesystem::path(source).filename().string();
    std::filesystem::copy_file(source, path);
    compare(path, false);
  }
}

TEST_F(Agreement, OnGeneratedMarkerDocuments) {
  std::mt19937 random(28);
  auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  int token = 0;
  for (int d = 0; d < 2000; ++d) {
    word::Builder b;
    for (int k = below(16); k > 0; --k) {
      const int what = below(10);
      if (what < 4) {
        paragraph(b, numbered("c", ++token) + " text of the course");
      } else if (what == 4) {
        tableRow(b, {numbered("c", ++token), kPieces[below(kPieces.size())]});
      } else {
        paragraph(b, kPieces[below(kPieces.size())]);
      }
    }
    SCOPED_TRACE(numbered("document ", d));
    const std::string path = builtCourse(numbered("g", d) + ".doc", b);
    // The conversion is told lint's walk again: it must be the walk's events.
    const convert::LintResult linted = convert::lintDocument(app, path);
    ASSERT_TRUE(linted.walk.of(app.activeDocument()));
    EventLog walked, told;
    convert::walkMarkers(app, walked);
    EXPECT_EQ(linted.walk.replay(told), linted.entries.size());
    ASSERT_EQ(told.lines, walked.lines);
    compare(path, true);
    if (HasFatalFailure()) return;
    std::filesystem::remove_all(out(numbered("g", d)));
  }
}

// A walk is told again only to the document it was taken of, as it was:
// not once its text changed, nor once its file was read anew.
TEST_F(Agreement, RecordedWalkHoldsForOneEditionOnly) {
  const std::string path = docs / "edited.txt";
  writeBytes(path, "%H2=One\nfirst page text\n%H2=Two\nsecond page text\n");
  const convert::LintResult linted = convert::lintDocument(app, path);
  word::Document& doc = app.activeDocument();
  EXPECT_TRUE(linted.walk.of(doc));
  app.selection().insertAfter(u"%H2=Three\n");
  EXPECT_FALSE(linted.walk.of(doc));

  const convert::LintResult again = convert::lintDocument(app, path);
  EXPECT_TRUE(again.walk.of(app.activeDocument()));
  std::filesystem::last_write_time(
      path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
  word::Document& reread = app.documents().open(path);
  EXPECT_FALSE(again.walk.of(reread));
  EXPECT_FALSE(convert::RecordedWalk().of(reread));
}
