// Pages written on the second thread: the same files and the same status
// lines, in the same order, as pages written at once; failures in their
// place; nothing left unwritten when the writer goes away.
#include <gtest/gtest.h>

#include "../common/course.h"
#include "../common/fixtures.h"
#include "pages/page_writer.h"

using namespace testing_support;

namespace {

word::Model pageWith(const std::string& text) {
  word::Builder b;
  paragraph(b, text);
  return b.finish();
}

// Hands `writer` a run's worth of pages and status lines: pages with links
// (each gives a "link: " line), plain ones, a page that cannot be written,
// and status lines in between.
void feed(pages::PageWriter& writer, const std::string& dir) {
  for (int i = 1; i <= 40; ++i) {
    const std::string path = dir + "page" + std::to_string(i) + ".htm";
    writer.showStatus(u"    page " + utf16(std::to_string(i)));
    const std::string text = i % 3 == 0 ? "see %A=" + std::to_string(i) + " more%A# here"
                                        : "plain text of page " + std::to_string(i);
    writer.save(pageWith(text), i == 17 ? dir + "missing/page17.htm" : path,
                word::wdFormatHTML, utf16(path));
  }
  writer.showStatus(u"done");
}

}  // namespace

TEST(PageWriter, WritesWhatSavingAtOnceWritesInTheSameOrder) {
  ScratchFolder now, later;
  RecordingStatus nowStatus, laterStatus;
  {
    pages::PageWriter writer(nowStatus, false);
    feed(writer, now.path());
  }
  {
    pages::PageWriter writer(laterStatus, true);
    feed(writer, later.path());
    writer.finish();
    // Everything is shown once finish returns.
    ASSERT_EQ(laterStatus.lines.size(), nowStatus.lines.size());
  }
  ASSERT_EQ(laterStatus.lines.size(), 40u + 13u + 1u + 1u);  // 13 links, 1 failure
  for (size_t i = 0; i < nowStatus.lines.size(); ++i) {
    std::string expected = nowStatus.lines[i];
    // The failure line names the page path as given.
    for (size_t p; (p = expected.find(now.path())) != std::string::npos;)
      expected.replace(p, now.path().size(), later.path());
    EXPECT_EQ(laterStatus.lines[i], expected) << i;
  }
  EXPECT_TRUE(laterStatus.lines[17 + 5].starts_with("saveHTML: Filename " + later.path() +
                                                     "page17.htm, error # "))
      << laterStatus.lines[17 + 5];
  EXPECT_EQ(laterStatus.lines.back(), "done");
  EXPECT_EQ(listFiles(later.path()), listFiles(now.path()));
  for (const std::string& name : listFiles(now.path()))
    EXPECT_EQ(readBytes(later / name), readBytes(now / name)) << name;
  EXPECT_NE(readBytes(later / "page3.htm").find("showref('3')\">more</a> here"),
            std::string::npos);
}

TEST(PageWriter, GoingAwayWritesEveryPageAndShowsItsLines) {
  ScratchFolder dir;
  RecordingStatus status;
  {
    pages::PageWriter writer(status, true);
    for (int i = 1; i <= 20; ++i)
      writer.save(pageWith("%A=x y%A#"), dir / ("page" + std::to_string(i) + ".htm"),
                  word::wdFormatHTML, u"p");
  }
  EXPECT_EQ(listFiles(dir.path()).size(), 20u);
  EXPECT_EQ(status.lines.size(), 20u);
  EXPECT_NE(readBytes(dir / "page20.htm").find("showref('x')\">y</a>"), std::string::npos);
}

TEST(PageWriter, ALineWithNothingPendingIsShownAtOnce) {
  RecordingStatus status;
  pages::PageWriter writer(status, true);
  writer.showStatus(u"first");
  EXPECT_EQ(status.lines, (std::vector<std::string>{"first"}));
}
