// A table's columns kept as wide as set.
#include <gtest/gtest.h>

#include "odt_fixture.h"

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

}  // namespace
