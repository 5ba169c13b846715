// Chart objects: drawn from the values of the chart's own table where
// their replacement picture is one browsers cannot show.
#include "word/read/odt/chart.h"

#include <gtest/gtest.h>

#include "odt_fixture.h"

namespace {

using odttest::Parts;
using word::read::Chart;

constexpr const char* kChartNs =
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
    "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
    "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
    "xmlns:chart=\"urn:oasis:names:tc:opendocument:xmlns:chart:1.0\" "
    "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\"";

// A chart object's content: a chart of `cls`, its plot area's properties,
// series (B and C columns of the table, C given `third`'s class) and the
// table: a header row of names, then three categories.
std::string content(const std::string& cls, const std::string& plotProps,
                    const std::string& third = "") {
  auto cell = [](const std::string& v) {
    return v.empty() ? std::string("<table:table-cell/>")
           : isdigit(static_cast<unsigned char>(v[0]))
               ? "<table:table-cell office:value-type=\"float\" office:value=\"" + v +
                     "\"><text:p>" + v + "</text:p></table:table-cell>"
               : "<table:table-cell office:value-type=\"string\"><text:p>" + v +
                     "</text:p></table:table-cell>";
  };
  auto row = [&](const std::string& a, const std::string& b, const std::string& c) {
    return "<table:table-row>" + cell(a) + cell(b) + cell(c) + "</table:table-row>";
  };
  return std::string("<office:document-content ") + kChartNs +
         "><office:automatic-styles><style:style style:name=\"plot\"><style:chart-properties " +
         plotProps +
         "/></style:style><style:style style:name=\"red\"><style:graphic-properties "
         "draw:fill-color=\"#ff0000\"/><style:chart-properties chart:data-label-number=\"value\"/>"
         "</style:style></office:automatic-styles><office:body><office:chart><chart:chart "
         "chart:class=\"" +
         cls +
         "\"><chart:title><text:p>Sales</text:p></chart:title><chart:legend "
         "chart:legend-position=\"bottom\"/><chart:plot-area chart:style-name=\"plot\">"
         "<chart:axis chart:dimension=\"x\" chart:name=\"primary-x\"><chart:categories "
         "table:cell-range-address=\"local-table.$A$2:.$A$4\"/></chart:axis>"
         "<chart:series chart:style-name=\"red\" chart:values-cell-range-address="
         "\"local-table.$B$2:.$B$4\" chart:label-cell-address=\"local-table.$B$1\"/>"
         "<chart:series chart:values-cell-range-address=\"local-table.$C$2:.$C$4\" "
         "chart:label-cell-address=\"local-table.$C$1\" " +
         third +
         "><chart:data-point chart:repeated=\"2\"/><chart:data-point chart:style-name=\"red\"/>"
         "</chart:series></chart:plot-area><table:table table:name=\"local-table\">"
         "<table:table-header-rows>" +
         row("", "North", "South") + "</table:table-header-rows><table:table-rows>" +
         row("Q1", "1", "4") + row("Q2", "", "5") + row("Q3", "3", "6") +
         "</table:table-rows></table:table></chart:chart></office:chart></office:body>"
         "</office:document-content>";
}

std::optional<Chart> read(const std::string& xml, size_t points = 1000) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(xml.c_str()));
  return word::read::odt::readOdfChart(doc.document_element(), points);
}

TEST(OdtCharts, AChartReadsItsTable) {
  const std::optional<Chart> bars = read(content("chart:bar", ""));
  ASSERT_TRUE(bars);
  EXPECT_EQ(bars->kind, Chart::Kind::Column);
  EXPECT_EQ(bars->title, "Sales");
  EXPECT_EQ(bars->legend, Chart::Legend::Bottom);
  EXPECT_EQ(bars->categories, (std::vector<std::string>{"Q1", "Q2", "Q3"}));
  ASSERT_EQ(bars->series.size(), 2u);
  EXPECT_EQ(bars->series[0].name, "North");
  EXPECT_EQ(bars->series[0].values, (std::vector<std::optional<double>>{1.0, {}, 3.0}));
  EXPECT_EQ(bars->series[0].colour, 0xFF0000u);
  EXPECT_EQ(bars->series[0].labels, word::read::kChartLabelValue);
  EXPECT_EQ(bars->series[1].values, (std::vector<std::optional<double>>{4.0, 5.0, 6.0}));
  EXPECT_FALSE(bars->series[1].colour);  // the palette's
  EXPECT_EQ(bars->series[1].point, (std::vector<std::optional<uint32_t>>{{}, {}, 0xFF0000}));
  // Bars across, stacked to 100%; a line over columns on its own axis.
  const std::optional<Chart> across =
      read(content("chart:bar", "chart:vertical=\"true\" chart:percentage=\"true\""));
  ASSERT_TRUE(across);
  EXPECT_EQ(across->kind, Chart::Kind::Bar);
  EXPECT_TRUE(across->stacked && across->percent);
  const std::optional<Chart> combined = read(
      content("chart:bar", "", "chart:class=\"chart:line\" chart:attached-axis=\"secondary-y\""));
  ASSERT_TRUE(combined);
  EXPECT_TRUE(combined->series[1].overBars);
  EXPECT_TRUE(combined->secondary);
  EXPECT_EQ(read(content("chart:circle", ""))->kind, Chart::Kind::Pie);
  // A title's spans and spaces are its text too.
  std::string spans = content("chart:bar", "");
  spans.replace(spans.find("Sales</text:p>"), 5, "Sales<text:s/><text:span>2024</text:span>");
  EXPECT_EQ(read(spans)->title, "Sales 2024");
  // A kind not drawn; points past the document's budget; a damaged address.
  EXPECT_FALSE(read(content("chart:radar", "")));
  EXPECT_FALSE(read(content("chart:bar", ""), 2));
  std::string damaged = content("chart:bar", "");
  damaged.replace(damaged.find("$B$2:"), 4, "$2B$");
  const std::optional<Chart> none = read(damaged);
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->series[0].values.empty());
}

// In a document: drawn at its frame's size with its description (else
// the title it shows), where its replacement picture does not show; a
// picture that shows stays.
TEST(OdtCharts, AChartObjectWithoutAPictureThatShowsIsDrawn) {
  const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, '\0');
  const std::string metafile("VCLMTF\x01\x00", 8), desc = "<svg:desc>Sales by quarter</svg:desc>";
  const std::pair<std::string, std::string> cases[] = {
      {metafile, desc}, {png, desc}, {metafile, ""}, {png, ""}};
  for (const auto& [replacement, described] : cases) {
    const Parts body{
        "<text:p><draw:frame svg:width=\"4in\" svg:height=\"3in\"><draw:object "
        "xlink:href=\"./Object 1\"/><draw:image xlink:href=\"./ObjectReplacements/"
        "Object 1\"/>" +
            described + "</draw:frame></text:p>",
        "", ""};
    const word::Model m = word::read::readOdt(
        odttest::package(body, {{"Object 1/content.xml", content("chart:bar", "")},
                                {"ObjectReplacements/Object 1", replacement}}));
    ASSERT_EQ(m.main.pictures.size(), 1u);
    const word::Picture& p = m.main.pictures[0];
    EXPECT_EQ(p.alt, described.empty() ? u"Sales" : u"Sales by quarter");
    if (replacement == png) {
      EXPECT_EQ(p.format, "png");
      continue;
    }
    EXPECT_EQ(p.format, "svg");
    EXPECT_EQ(p.widthPx, 384);
    EXPECT_EQ(p.heightPx, 288);
    EXPECT_NE(p.data->find(">North</text>"), std::string::npos);
    EXPECT_TRUE(m.losses.empty());
  }
}

}  // namespace
