// The page of a table whose columns keep their widths, of sections set in
// columns, and of runs with an East Asian font.
#include <gtest/gtest.h>

#include "helpers.h"
#include "word/font_names.h"
#include "word/story_ops.h"
#include "word/write/css.h"
#include "word/write/writers.h"

using namespace word;
using testing_support::occurrences;

namespace {

std::string html(const Model& m) {
  return write::html(m, "page1_files", u"Title").text;
}

// A fixed table is as wide as its columns (or as it says), no wider than
// the screen, its columns in proportion; a fitted one leaves its width to
// its text, its columns in points.
TEST(HtmlLayout, FixedTablesKeepTheirColumnsWidths) {
  const struct {
    bool fixed;
    int32_t width;
    const char* css;
    std::vector<std::string> columns;
  } cases[] = {
      {true, 0, "table-layout:fixed;width:min(16.666667rem,100%);", {"25%", "75%"}},
      {true, 4320, "table-layout:fixed;width:min(18rem,100%);", {"25%", "75%"}},
      {false, 0, "", {"4.166667rem", "12.5rem"}},
  };
  for (const auto& c : cases) {
    Table t;
    t.fixedLayout = c.fixed;
    t.width = c.width;
    Row& row = t.rows.emplace_back();
    row.cells.emplace_back().width = 1000;
    row.cells.emplace_back().width = 3000;
    EXPECT_EQ(u8(write::tableCss(t)), c.css);
    std::vector<std::string> columns;
    for (const std::u16string& w : write::columnWidthsCss(t)) columns.push_back(u8(w));
    EXPECT_EQ(columns, c.columns);
  }
  // A course page is written from a copy of its range: the copy keeps it.
  Builder b;
  b.startTable();
  b.tableFixed();
  b.startRow();
  b.startCell();
  b.text("a");
  b.endRow();
  b.endTable();
  const Model m = b.finish();
  const Model copy = ops::copyRange(m, 0, static_cast<uint32_t>(m.main.text.size()));
  EXPECT_TRUE(copy.main.tables.at(0).fixedLayout);
}

// The paragraphs of a section in columns, and a table among them, stand in
// one box of columns; a paragraph after the section is outside it.
TEST(HtmlLayout, SectionsInColumnsAreOneBox) {
  Builder b;
  wordtest::para(b, "before");
  const uint32_t start = b.position();
  wordtest::para(b, "one");
  wordtest::table(b, {"cell"});
  wordtest::para(b, "two");
  b.columns(start, 2, 360, true);
  wordtest::para(b, "after");
  const std::string page = html(b.finish());
  const size_t open =
      page.find("<div style=\"columns:2 15em;column-gap:1.5rem;column-rule:1px solid;\">");
  ASSERT_NE(open, std::string::npos);
  EXPECT_EQ(occurrences(page, "<div style=\"columns"), 1u);
  const size_t close = page.find("</div>", open);
  EXPECT_LT(page.find("before"), open);
  EXPECT_LT(page.find("two"), close);
  EXPECT_GT(page.find("after"), close);
}

// Latin letters first from the run's font and its twins, Chinese ones
// from the East Asian font, before the generic family.
TEST(HtmlLayout, EastAsianFontAfterTheTextsOwn) {
  EXPECT_EQ(u8(write::fontFamily(u"Times New Roman", FontClass::Roman, asianFontId(u"MS Mincho"))),
            "'Times New Roman','Liberation Serif','Tinos','MS Mincho',serif");
  EXPECT_EQ(u8(write::fontFamily(u"SimSun", FontClass::Unknown, asianFontId(u"SimSun"))),
            "'SimSun',sans-serif");
  Builder b;
  CharFormat f;
  f.font = u"Arial";
  f.asianFont = asianFontId(u"SimSun");
  b.text(u"ok \u6F22", f);
  b.endParagraph();
  EXPECT_NE(
      html(b.finish()).find("font-family:'Arial','Liberation Sans','Arimo','SimSun',sans-serif"),
      std::string::npos);
}

}  // namespace
