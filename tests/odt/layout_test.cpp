// A table's columns kept as wide as set, sections and pages set in columns
// (style:columns) and the East Asian font of a run (style:font-name-asian).
#include <gtest/gtest.h>

#include "odt_fixture.h"
#include "word/font_names.h"

namespace {

using odttest::style;

std::string column(const char* name, const std::string& props) {
  return style(name, "table-column", "<style:table-column-properties " + props + "/>");
}

// Columns of their own widths, unless one is fitted to its text or has
// none.
TEST(OdtLayout, TablesFixedWhereEveryColumnHasItsWidth) {
  const std::pair<const char*, bool> cases[] = {
      {"W2", true},
      {"Fit", false},
      {"None", false},
  };
  for (const auto& [second, fixed] : cases) {
    odttest::Parts parts;
    parts.automatic =
        column("W1", "style:column-width=\"1in\"") + column("W2", "style:column-width=\"2in\"") +
        column("Fit", "style:column-width=\"2in\" style:use-optimal-column-width=\"true\"") +
        column("None", "style:rel-column-width=\"1*\"");
    parts.body = std::string(
                     "<table:table><table:table-column table:style-name=\"W1\"/>"
                     "<table:table-column table:style-name=\"") +
                 second +
                 "\"/><table:table-row><table:table-cell><text:p>a</text:p></table:table-cell>"
                 "<table:table-cell><text:p>b</text:p></table:table-cell></table:table-row>"
                 "</table:table><text:p>after</text:p>";
    EXPECT_EQ(odttest::read(parts).main.tables.at(0).fixedLayout, fixed) << second;
  }
}

// A section's columns for its paragraphs; the page's for the rest.
TEST(OdtLayout, SectionsAndPagesInColumns) {
  odttest::Parts parts;
  parts.automatic = style("Two", "section",
                          "<style:section-properties><style:columns fo:column-count=\"2\" "
                          "fo:column-gap=\"0.25in\"><style:column-sep style:width=\"0.01in\"/>"
                          "</style:columns></style:section-properties>");
  parts.body =
      "<text:p>before</text:p><text:section text:style-name=\"Two\" text:name=\"S\">"
      "<text:p>in</text:p><text:p>it</text:p></text:section><text:p>after</text:p>";
  // The page's columns, in a flat document (its page layouts and master
  // pages beside its text).
  std::string withPage = odttest::flat(parts);
  withPage.insert(withPage.find("<office:body>"),
                  "<office:master-styles><style:master-page style:name=\"Standard\" "
                  "style:page-layout-name=\"pm1\"/></office:master-styles>");
  withPage.insert(withPage.find("</office:automatic-styles>"),
                  "<style:page-layout style:name=\"pm1\"><style:page-layout-properties>"
                  "<style:columns fo:column-count=\"3\" fo:column-gap=\"0.5in\"/>"
                  "</style:page-layout-properties></style:page-layout>");
  const std::pair<std::string, std::vector<uint8_t>> cases[] = {
      {odttest::package(parts), {0, 2, 2, 0}},
      {withPage, {3, 2, 2, 3}},
  };
  for (const auto& [bytes, columns] : cases) {
    const word::Model m = word::read::readOdt(bytes);
    std::vector<uint8_t> got;
    for (const word::Paragraph& p : m.main.paragraphs) got.push_back(p.format.columns);
    EXPECT_EQ(got, columns);
    EXPECT_EQ(m.main.paragraphs.at(1).format.columnGap, 18);  // points
    EXPECT_TRUE(m.main.paragraphs.at(1).format.columnLine);
  }
}

TEST(OdtLayout, EastAsianFontOfRunsWithSuchLetters) {
  odttest::Parts parts;
  parts.fonts =
      "<style:font-face style:name=\"Song\" svg:font-family=\"SimSun\"/>"
      "<style:font-face style:name=\"Lib\" svg:font-family=\"'Liberation Serif'\"/>";
  parts.automatic = style("T1", "text",
                          "<style:text-properties style:font-name=\"Lib\" "
                          "style:font-name-asian=\"Song\"/>");
  parts.body =
      "<text:p><text:span text:style-name=\"T1\">Latin</text:span>"
      "<text:span text:style-name=\"T1\">\xe6\xbc\xa2\xe5\xad\x97</text:span></text:p>";
  const word::Model m = odttest::read(parts);
  EXPECT_EQ(odttest::formatAt(m.main, 0).asianFont, 0);
  EXPECT_EQ(word::asianFontName(odttest::formatAt(m.main, 5).asianFont), u"SimSun");
  EXPECT_EQ(odttest::formatAt(m.main, 5).font, u"Liberation Serif");
}

}  // namespace
