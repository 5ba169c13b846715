// A table's columns kept as wide as set (sprmTFAutofit), sections set in
// columns (sprmSCcolumns) and the East Asian font of a run (ftcFE) in
// small .doc files.
#include <gtest/gtest.h>

#include <algorithm>

#include "synthetic_doc.h"
#include "word/font_names.h"
#include "word/read/reader.h"

using doctest::SyntheticDoc;

namespace {

const std::string kInTable = doctest::sprm8(0x2416, 1);
const std::string kRowEnd = kInTable + doctest::sprm8(0x2417, 1);

// Autofit off, on, and not said.
TEST(DocLayout, TablesFixedWhereTheRowSaysSo) {
  const std::pair<std::string, bool> cases[] = {
      {doctest::sprm8(0x3615, 0), true},
      {doctest::sprm8(0x3615, 1), false},
      {"", false},
  };
  for (const auto& [sprm, fixed] : cases) {
    SyntheticDoc d;
    d.text =
        u"a\x07row\x07"
        u"after\r";
    d.paragraphs = {{kInTable}, {kRowEnd + doctest::tableDefinition({0, 2000}, {0}) + sprm}, {}};
    const word::Model m = word::read::readDoc(d.build());
    ASSERT_EQ(m.main.tables.size(), 1u);
    EXPECT_EQ(m.main.tables[0].fixedLayout, fixed);
  }
}

// The second of three sections in two columns, a line between them; the
// third's properties say one column.
TEST(DocLayout, SectionsInColumns) {
  SyntheticDoc d;
  d.text =
      u"one\f"
      u"two\rthree\f"
      u"four\r";
  d.sectionStarts = {4, 14};
  d.sectionSprms = {
      "", doctest::sprm16(0x500B, 1) + doctest::sprm16(0x900C, 360) + doctest::sprm8(0x3019, 1),
      doctest::sprm16(0x500B, 0)};
  const word::Model m = word::read::readDoc(d.build());
  std::vector<uint8_t> columns;
  for (const word::Paragraph& p : m.main.paragraphs) columns.push_back(p.format.columns);
  EXPECT_EQ(columns, (std::vector<uint8_t>{0, 2, 2, 0}));
  EXPECT_EQ(m.main.paragraphs.at(1).format.columnGap, 18);  // points
  EXPECT_TRUE(m.main.paragraphs.at(1).format.columnLine);
}

// A run's East Asian font from the font table, where it holds Chinese
// letters: not in a paragraph of Latin letters of the same properties.
TEST(DocLayout, EastAsianFontOfRunsWithSuchLetters) {
  SyntheticDoc d;
  d.text = u"Latin only\r\u6F22\u5B57\r";
  d.fonts = {{u"Times New Roman"}, {u"MS Mincho"}};
  d.charRuns = {{0, 14, doctest::sprm16(0x4A4F, 0) + doctest::sprm16(0x4A50, 1)}};
  const word::Model m = word::read::readDoc(d.build());
  auto at = [&](uint32_t pos) {
    auto it = std::upper_bound(m.main.runs.begin(), m.main.runs.end(), pos,
                               [](uint32_t p, const word::Run& r) { return p < r.start; });
    return std::prev(it)->format;
  };
  EXPECT_EQ(at(0).asianFont, 0);
  EXPECT_EQ(word::asianFontName(at(11).asianFont), u"MS Mincho");
  EXPECT_EQ(at(11).font, u"Times New Roman");
}

}  // namespace
