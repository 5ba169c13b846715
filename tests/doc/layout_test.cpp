// A table's columns kept as wide as set (sprmTFAutofit) in small .doc
// files.
#include <gtest/gtest.h>

#include "synthetic_doc.h"
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

}  // namespace
