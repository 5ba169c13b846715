// A table's columns kept as wide as set (w:tblLayout) and sections set in
// columns (w:sectPr/w:cols).
#include <gtest/gtest.h>

#include "docx_fixture.h"

namespace {

using docxtest::p;
using docxtest::r;

std::string table(const std::string& tblPr) {
  return "<w:tbl><w:tblPr>" + tblPr +
         "</w:tblPr><w:tblGrid><w:gridCol w:w=\"1000\"/><w:gridCol w:w=\"3000\"/></w:tblGrid>"
         "<w:tr><w:tc>" +
         p(r("a")) + "</w:tc><w:tc>" + p(r("b")) + "</w:tc></w:tr></w:tbl>";
}

TEST(DocxLayout, TablesFixedOrFittedToTheirText) {
  const std::pair<std::string, bool> cases[] = {
      {"<w:tblLayout w:type=\"fixed\"/>", true},
      {"<w:tblLayout w:type=\"autofit\"/>", false},
      {"", false},
  };
  for (const auto& [tblPr, fixed] : cases)
    EXPECT_EQ(docxtest::read(table(tblPr) + p(r("after"))).main.tables.at(0).fixedLayout, fixed)
        << tblPr;
}

// A section's properties end it: those in a paragraph's, then the body's
// for the last section.
TEST(DocxLayout, SectionsInColumns) {
  const std::string twoColumns =
      "<w:sectPr><w:cols w:num=\"2\" w:space=\"360\" w:sep=\"1\"/></w:sectPr>";
  const std::string body =
      p(r("one")) + p(r("two"), twoColumns) + table("") + p(r("three")) +
      p(r("four"), "<w:sectPr><w:cols w:space=\"720\"/></w:sectPr>") + p(r("five")) +
      "<w:sectPr><w:cols w:equalWidth=\"0\"><w:col w:w=\"3000\"/><w:col w:w=\"3000\"/>"
      "<w:col w:w=\"3000\"/></w:cols></w:sectPr>";
  const word::Model m = docxtest::read(body);
  struct Expected {
    uint8_t columns;
    int16_t gap;
    bool line;
  };
  // one, two; the table's two cells and its row's mark, three, four; five.
  const Expected kTwo{2, 360, true}, kOne{0, 0, false}, kThree{3, 720, false};
  const Expected expected[] = {kTwo, kTwo, kOne, kOne, kOne, kOne, kOne, kThree};
  ASSERT_EQ(m.main.paragraphs.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const word::ParagraphFormat& f = m.main.paragraphs[i].format;
    EXPECT_EQ(f.columns, expected[i].columns) << i;
    EXPECT_EQ(f.columnGap, expected[i].gap) << i;
    EXPECT_EQ(f.columnLine, expected[i].line) << i;
  }
}

}  // namespace
