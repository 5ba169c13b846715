// The page of a table whose columns keep their widths.
#include <gtest/gtest.h>

#include "helpers.h"
#include "word/story_ops.h"
#include "word/write/css.h"
#include "word/write/writers.h"

using namespace word;

namespace {

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
      {true, 0, "table-layout:fixed;width:min(200pt,100%);", {"25%", "75%"}},
      {true, 4320, "table-layout:fixed;width:min(216pt,100%);", {"25%", "75%"}},
      {false, 0, "", {"50pt", "150pt"}},
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

}  // namespace
