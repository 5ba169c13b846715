// Charts: read from their part's cached values and drawn as a picture of
// the chart's size.
#include "word/read/docx/chart.h"

#include <gtest/gtest.h>

#include <regex>

#include "docx_fixture.h"

namespace {

using docxtest::p;
using docxtest::r;
using word::read::Chart;
using word::read::ChartSeries;

constexpr const char* kChartNs =
    "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"";

std::string series(const std::string& name, const std::string& values,
                   const std::string& more = "") {
  return "<c:ser><c:tx><c:strRef><c:strCache><c:pt idx=\"0\"><c:v>" + name +
         "</c:v></c:pt></c:strCache></c:strRef></c:tx>" + more +
         "<c:cat><c:strRef><c:strCache><c:pt idx=\"0\"><c:v>Q1</c:v></c:pt><c:pt "
         "idx=\"1\"><c:v>Q2</c:v></c:pt></c:strCache></c:strRef></c:cat><c:val><c:numRef>"
         "<c:numCache>" +
         values + "</c:numCache></c:numRef></c:val></c:ser>";
}

std::string chartSpace(const std::string& chart) {
  return std::string("<c:chartSpace ") + kChartNs + "><c:chart>" + chart +
         "</c:chart></c:chartSpace>";
}

std::optional<Chart> read(const std::string& chart) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(chartSpace(chart).c_str()));
  word::read::docx::Theme theme;
  theme.colours = {{"accent2", 0x112233}};
  return word::read::docx::readChart(doc.document_element(), theme);
}

TEST(DocxCharts, AChartReadsItsKindValuesNamesAndColours) {
  const std::string two =
      "<c:ptCount val=\"2\"/><c:pt idx=\"0\"><c:v>1.5</c:v></c:pt>"
      "<c:pt idx=\"1\"><c:v>-2</c:v></c:pt>";
  const std::string gap =
      "<c:formatCode>0%</c:formatCode><c:ptCount val=\"3\"/><c:pt "
      "idx=\"2\"><c:v>7</c:v></c:pt>";
  const std::string own = "<c:spPr><a:solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill></c:spPr>";
  const std::string themed =
      "<c:spPr><a:solidFill><a:schemeClr val=\"accent2\"/></a:solidFill></c:spPr>";
  auto titled = [](const char* t) {
    return std::string("<c:title><c:tx><c:rich><a:p><a:r><a:t>") + t +
           "</a:t></a:r></a:p></c:rich></c:tx></c:title>";
  };
  const std::optional<Chart> bars = read(
      "<c:title><c:tx><c:rich><a:p><a:r><a:t>Sales</a:t></a:r><a:br/><a:r><a:t>2024</a:t></a:r></"
      "a:p>"
      "</c:rich></c:tx></c:title><c:plotArea><c:barChart><c:barDir val=\"bar\"/><c:grouping "
      "val=\"percentStacked\"/><c:gapWidth val=\"80\"/>" +
      series("North", two, own) +
      series("South", gap, themed + "<c:dLbls><c:delete val=\"1\"/></c:dLbls>") +
      "<c:dLbls><c:showVal val=\"1\"/><c:showCatName val=\"1\"/></c:dLbls></c:barChart>"
      "<c:catAx><c:axPos val=\"l\"/>" +
      titled("Quarter") + "</c:catAx><c:valAx>" + titled("Share") +
      "</c:valAx></c:plotArea><c:legend><c:legendPos val=\"b\"/></c:legend>");
  ASSERT_TRUE(bars);
  EXPECT_EQ(bars->kind, Chart::Kind::Bar);
  EXPECT_TRUE(bars->stacked && bars->percent);
  EXPECT_EQ(bars->gapPercent, 80);
  EXPECT_EQ(bars->title, "Sales 2024");
  EXPECT_EQ(bars->categoryTitle, "Quarter");
  EXPECT_EQ(bars->valueTitle, "Share");
  EXPECT_EQ(bars->legend, Chart::Legend::Bottom);
  EXPECT_EQ(bars->categories, (std::vector<std::string>{"Q1", "Q2"}));
  ASSERT_EQ(bars->series.size(), 2u);
  EXPECT_EQ(bars->series[0].name, "North");
  EXPECT_EQ(bars->series[0].values, (std::vector<std::optional<double>>{1.5, -2}));
  EXPECT_EQ(bars->series[0].colour, 0xFF0000u);
  EXPECT_EQ(bars->series[1].values, (std::vector<std::optional<double>>{{}, {}, 7}));
  EXPECT_EQ(bars->series[1].colour, 0x112233u);
  // The chart's labels, unless a series has its own; values in percent.
  EXPECT_EQ(bars->series[0].labels, word::read::kChartLabelValue | word::read::kChartLabelCategory);
  EXPECT_EQ(bars->series[1].labels, 0);
  EXPECT_FALSE(bars->percentFormat);  // the first series' format
  // One series without a title of its own is titled by its name; the
  // theme's accents are the palette.
  const std::optional<Chart> line = read("<c:plotArea><c:lineChart><c:marker val=\"1\"/>" +
                                         series("Trend", gap) + "</c:lineChart></c:plotArea>");
  ASSERT_TRUE(line);
  EXPECT_EQ(line->kind, Chart::Kind::Line);
  EXPECT_EQ(line->title, "Trend");
  EXPECT_EQ(line->legend, Chart::Legend::None);
  EXPECT_TRUE(line->series[0].markers);
  EXPECT_EQ(line->palette[1], 0x112233u);
  EXPECT_TRUE(line->percentFormat);
  const std::optional<Chart> pie =
      read("<c:autoTitleDeleted val=\"1\"/><c:plotArea><c:doughnutChart><c:holeSize val=\"60\"/>" +
           series("Share", two,
                  "<c:dPt><c:idx val=\"1\"/><c:spPr><a:solidFill><a:srgbClr val=\"00FF00\"/>"
                  "</a:solidFill></c:spPr></c:dPt>") +
           "</c:doughnutChart></c:plotArea><c:legend/>");
  ASSERT_TRUE(pie);
  EXPECT_EQ(pie->kind, Chart::Kind::Doughnut);
  EXPECT_EQ(pie->holePercent, 60);
  EXPECT_EQ(pie->title, "");
  EXPECT_EQ(pie->legend, Chart::Legend::Right);
  EXPECT_EQ(pie->series[0].point, (std::vector<std::optional<uint32_t>>{{}, 0x00FF00}));
  // A kind not drawn, a chart without series, and a damaged count.
  EXPECT_FALSE(
      read("<c:plotArea><c:radarChart>" + series("x", two) + "</c:radarChart></c:plotArea>"));
  EXPECT_FALSE(read("<c:plotArea><c:barChart/></c:plotArea>"));
  const std::optional<Chart> huge = read(
      "<c:plotArea><c:areaChart>" +
      series("x", "<c:ptCount val=\"4000000000\"/><c:pt idx=\"99999999\"><c:v>1</c:v></c:pt>") +
      "</c:areaChart></c:plotArea>");
  ASSERT_TRUE(huge);
  EXPECT_LE(huge->series[0].values.size(), word::read::kMaxChartPoints);
}

// A combined chart: the lines drawn over a column chart's bars, on the
// bars' value axis or on one of their own.
TEST(DocxCharts, ACombinedChartKeepsItsLinesOverItsBars) {
  const std::string two = "<c:pt idx=\"0\"><c:v>1</c:v></c:pt><c:pt idx=\"1\"><c:v>2</c:v></c:pt>";
  auto combined = [&](const char* lineAxis) {
    return read("<c:plotArea><c:barChart><c:barDir val=\"col\"/>" + series("Sales", two) +
                "<c:axId val=\"1\"/><c:axId val=\"2\"/></c:barChart><c:lineChart>" +
                series("Share", two, "<c:marker><c:symbol val=\"circle\"/></c:marker>") +
                "<c:axId val=\"1\"/><c:axId val=\"" + lineAxis +
                "\"/></c:lineChart><c:valAx><c:axId val=\"3\"/><c:numFmt formatCode=\"0%\"/>"
                "</c:valAx></c:plotArea>");
  };
  const std::optional<Chart> shared = combined("2"), own = combined("3");
  ASSERT_TRUE(shared && own);
  ASSERT_EQ(own->series.size(), 2u);
  EXPECT_EQ(own->kind, Chart::Kind::Column);
  EXPECT_FALSE(own->series[0].overBars);
  EXPECT_TRUE(own->series[1].overBars);
  EXPECT_TRUE(own->series[1].markers);
  EXPECT_EQ(own->series[1].values, own->series[0].values);
  EXPECT_TRUE(own->secondary);
  EXPECT_TRUE(own->secondaryPercent);  // its axis's format
  EXPECT_FALSE(shared->secondary);
}

// The rectangles of one colour in a chart's SVG: {x, y, width, height}.
std::vector<std::array<double, 4>> rects(const std::string& svg, const char* colour) {
  std::vector<std::array<double, 4>> out;
  const std::regex rect(
      "<rect x=\"([-\\d.]+)\" y=\"([-\\d.]+)\" width=\"([\\d.]+)\" "
      "height=\"([\\d.]+)\" fill=\"" +
      std::string(colour) + "\"");
  for (std::sregex_iterator i(svg.begin(), svg.end(), rect), end; i != end; ++i)
    out.push_back({std::stod((*i)[1]), std::stod((*i)[2]), std::stod((*i)[3]), std::stod((*i)[4])});
  return out;
}

TEST(ChartSvg, ValuesAreDrawnToScale) {
  Chart c;
  c.legend = Chart::Legend::None;
  c.categories = {"a", "b"};
  c.series = {ChartSeries{"one", 0xFF0000, {1.0, 2.0}, {}, {}},
              ChartSeries{"two", 0x0000FF, {3.0, {}}, {}, {}}};
  c.valueTitle = "Units";
  // Clustered: side by side, from the same base, two to one; the values'
  // title up the left side.
  std::string svg = word::read::chartSvg(c, 400, 300);
  EXPECT_TRUE(std::regex_search(svg, std::regex("rotate\\(-90[^>]*><text[^>]*>Units</text></g>")))
      << svg;
  auto red = rects(svg, "#ff0000"), blue = rects(svg, "#0000ff");
  ASSERT_EQ(red.size(), 2u);
  ASSERT_EQ(blue.size(), 1u);  // a gap draws nothing
  EXPECT_NEAR(red[1][3], 2 * red[0][3], 0.02);
  EXPECT_NEAR(red[0][1] + red[0][3], blue[0][1] + blue[0][3], 0.02);
  EXPECT_GT(blue[0][0], red[0][0]);
  // Stacked: the second series from where the first ends.
  c.stacked = true;
  svg = word::read::chartSvg(c, 400, 300);
  red = rects(svg, "#ff0000"), blue = rects(svg, "#0000ff");
  ASSERT_EQ(blue.size(), 1u);
  EXPECT_NEAR(blue[0][1] + blue[0][3], red[0][1], 0.02);
  EXPECT_NEAR(blue[0][3], 3 * red[0][3], 0.02);
  EXPECT_NEAR(blue[0][0], red[0][0], 0.02);
  // A labelled series' values stand above their columns.
  c.series[0].labels = word::read::kChartLabelValue;
  c.stacked = false;
  svg = word::read::chartSvg(c, 400, 300);
  red = rects(svg, "#ff0000");
  std::smatch label;
  ASSERT_TRUE(std::regex_search(
      svg, label, std::regex("<text x=\"[\\d.]+\" y=\"([\\d.]+)\"[^>]*\"middle\">2</text>")));
  EXPECT_LT(std::stod(label[1]), red[1][1]);
  c.series[0].labels = 0;
  // Bars across: lengths to scale, the first category lowest.
  c.kind = Chart::Kind::Bar;
  svg = word::read::chartSvg(c, 400, 300);
  red = rects(svg, "#ff0000");
  ASSERT_EQ(red.size(), 2u);
  EXPECT_NEAR(red[1][2], 2 * red[0][2], 0.02);
  EXPECT_GT(red[0][1], red[1][1]);
  // A line breaks at a gap; values close together far from zero leave
  // zero off the axis.
  c.kind = Chart::Kind::Line;
  c.series = {ChartSeries{"one", 0xFF0000, {100.0, {}, 101.0, 102.0}, {}, {}}};
  svg = word::read::chartSvg(c, 400, 300);
  EXPECT_EQ(std::regex_search(svg, std::regex(">0</text>")), false) << svg;
  const std::regex line("<polyline points=\"([^\"]*)\"");
  std::vector<size_t> runs;
  for (std::sregex_iterator i(svg.begin(), svg.end(), line), end; i != end; ++i)
    runs.push_back(std::count((*i)[1].first, (*i)[1].second, ','));
  EXPECT_EQ(runs, (std::vector<size_t>{1, 2}));
}

// Lines over bars: the bars in slots of their own, the line through the
// bands' middles to scale, its own axis's labels at the right.
TEST(ChartSvg, LinesOverBarsAreDrawnOnTheirAxis) {
  Chart c;
  c.legend = Chart::Legend::None;
  c.categories = {"a", "b"};
  c.series = {ChartSeries{"bars", 0xFF0000, {10.0, 20.0}, {}, {}},
              ChartSeries{"line", 0x0000FF, {0.5, 0.25}, {}, {}}};
  c.series[1].overBars = true;
  for (const bool secondary : {false, true}) {
    SCOPED_TRACE(secondary);
    c.secondary = c.secondaryPercent = secondary;
    const std::string svg = word::read::chartSvg(c, 400, 300);
    const auto red = rects(svg, "#ff0000");
    ASSERT_EQ(red.size(), 2u);
    EXPECT_TRUE(rects(svg, "#0000ff").empty());
    std::smatch line;
    ASSERT_TRUE(std::regex_search(svg, line,
                                  std::regex("<polyline points=\"([\\d.]+),([\\d.]+) "
                                             "([\\d.]+),([\\d.]+) \"[^>]*stroke=\"#0000ff\"")))
        << svg;
    // Through the middles of the bars' bands, one bar to a band.
    EXPECT_NEAR(std::stod(line[1]), red[0][0] + red[0][2] / 2, 0.05);
    const double bottom = red[0][1] + red[0][3], y0 = std::stod(line[2]), y1 = std::stod(line[4]);
    // On its own axis the line's values fill its height as the bars fill
    // theirs (0.5 and 0.25 against 10 and 20); on theirs, they lie at
    // the bottom.
    EXPECT_NEAR((bottom - y1) / (bottom - y0), 0.5, 0.01);
    if (secondary)
      EXPECT_GT(bottom - y0, red[0][3]);
    else
      EXPECT_LT(bottom - y0, red[0][3] / 10);
    EXPECT_EQ(std::regex_search(svg, std::regex("\"start\">40%</text>")), secondary) << svg;
  }
  // In the legend the line shows as a stroke, the bars as a square.
  c.legend = Chart::Legend::Right;
  const std::string svg = word::read::chartSvg(c, 400, 300);
  EXPECT_EQ(rects(svg, "#ff0000").size(), 3u);
  EXPECT_TRUE(rects(svg, "#0000ff").empty());
  EXPECT_TRUE(
      std::regex_search(svg, std::regex("<line [^>]*stroke=\"#0000ff\" stroke-width=\"3\"/>")));
}

// A pie's slices and a legend's names; the document's text is escaped,
// so that the picture is well formed whatever the names hold.
TEST(ChartSvg, PiesSliceTheirValuesAndTextIsEscaped) {
  Chart c;
  c.kind = Chart::Kind::Pie;
  c.title = "<script>&\"x\"\x01";
  c.categories = {"a<b", "c", "d"};
  c.series = {ChartSeries{"s", {}, {1.0, 1.0, 2.0, -1.0}, {}, {{}, 0x00FF00}, false}};
  const std::string svg = word::read::chartSvg(c, 300, 200);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(svg.c_str())) << svg;
  EXPECT_EQ(svg.find("<script"), std::string::npos);
  EXPECT_NE(svg.find("&lt;script&gt;&amp;&quot;x&quot; "), std::string::npos) << svg;
  EXPECT_NE(svg.find(">a&lt;b</text>"), std::string::npos);
  const std::regex slice("<path d=\"M[^\"]* A[\\d.,]+ 0 (\\d) 1 [^\"]*\" fill=\"(#[0-9a-f]+)\"");
  std::vector<std::pair<std::string, std::string>> slices;
  for (std::sregex_iterator i(svg.begin(), svg.end(), slice), end; i != end; ++i)
    slices.emplace_back((*i)[1], (*i)[2]);
  // A negative value draws no slice; the half is no large arc; the second
  // slice keeps its own colour, the others the palette's.
  EXPECT_EQ(slices, (std::vector<std::pair<std::string, std::string>>{
                        {"0", "#4472c4"}, {"0", "#00ff00"}, {"0", "#a5a5a5"}}));
}

// In a document: the chart part its drawing names is drawn at the
// drawing's size, its title the picture's alternative text where it has
// none; a chart of a kind not drawn stays a loss.
TEST(DocxCharts, ADrawingsChartIsAPictureOfItsSize) {
  auto document = [](const std::string& plot,
                     const std::string& docPr = "descr=\"Sales by quarter\"",
                     const std::string& title = "") {
    return docxtest::read(
        p(r("a") +
          "<w:r><w:drawing><wp:inline><wp:extent cx=\"1905000\" cy=\"952500\"/><wp:docPr "
          "id=\"1\" name=\"Chart 1\" " +
          docPr +
          "/><a:graphic><a:graphicData "
          "uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><c:chart "
          "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" r:id=\"rChart\"/>"
          "</a:graphicData></a:graphic></wp:inline></w:drawing></w:r>"),
        {{"word/charts/chart1.xml", chartSpace(title + "<c:plotArea>" + plot + "</c:plotArea>")}},
        docxtest::relationship("rChart", "chart", "charts/chart1.xml"));
  };
  const std::string values = "<c:pt idx=\"0\"><c:v>1</c:v></c:pt>";
  const word::Model drawn = document("<c:pieChart>" + series("s", values) + "</c:pieChart>");
  ASSERT_EQ(drawn.main.pictures.size(), 1u);
  EXPECT_TRUE(drawn.losses.empty());
  const word::Picture& pic = drawn.main.pictures[0];
  EXPECT_EQ(pic.format, "svg");
  EXPECT_EQ(pic.widthPx, 200);
  EXPECT_EQ(pic.heightPx, 100);
  EXPECT_EQ(pic.alt, u"Sales by quarter");
  EXPECT_NE(pic.data->find("<path"), std::string::npos);
  const word::Model lost = document("<c:radarChart>" + series("s", values) + "</c:radarChart>");
  EXPECT_TRUE(lost.main.pictures.empty());
  ASSERT_EQ(lost.losses.size(), 1u);
  EXPECT_EQ(lost.losses[0].what, "a chart");
  // Without alternative text of its own a chart takes the title it shows:
  // its title's text, else its one series' name; none where it shows none.
  const std::string pie = "<c:pieChart>" + series("North", values) + "</c:pieChart>";
  const std::string sales =
      "<c:title><c:tx><c:rich><a:p><a:r><a:t>Sales</a:t></a:r></a:p></c:rich></c:tx></c:title>";
  const struct {
    std::string docPr, title;
    std::u16string alt;
  } cases[] = {{"title=\"Quarters\"", sales, u"Quarters"},
               {"", sales, u"Sales"},
               {"descr=\"\"", "", u"North"},
               {"", "<c:autoTitleDeleted val=\"1\"/>", u""}};
  for (const auto& c : cases) {
    const word::Model m = document(pie, c.docPr, c.title);
    ASSERT_EQ(m.main.pictures.size(), 1u) << c.docPr;
    EXPECT_EQ(m.main.pictures[0].alt, c.alt) << c.docPr << c.title;
  }
}

}  // namespace
