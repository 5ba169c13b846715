// A table's columns kept as wide as set (w:tblLayout).
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

}  // namespace
