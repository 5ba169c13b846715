// Table borders: the table style's, the table's own, each condition's under
// the table's look, and the cell's own, as the model dump shows them
// (golden/borders.txt); cells spaced apart; paragraphs' lines between them
// and the room inside their borders.
#include <gtest/gtest.h>

#include "../common/fixtures.h"
#include "docx_fixture.h"
#include "word/story_ops.h"
#include "word/write/writers.h"

namespace {

using docxtest::p;
using docxtest::r;

std::string border(const char* edge, const char* style, int eighths = 4,
                   const char* colour = "auto") {
  return std::string("<w:") + edge + " w:val=\"" + style + "\" w:sz=\"" + std::to_string(eighths) +
         "\" w:color=\"" + colour + "\"/>";
}

std::string grid(const char* style) {
  std::string out;
  for (const char* e : {"top", "left", "bottom", "right", "insideH", "insideV"})
    out += border(e, style);
  return out;
}

const std::string kStyles = docxtest::part(
    "styles",
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name "
    "w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"table\" w:styleId=\"Grid\"><w:name w:val=\"Table Grid\"/><w:tblPr>"
    "<w:tblBorders>" +
        grid("single") +
        "</w:tblBorders></w:tblPr></w:style>"
        // A rule above and below the table and under its header row.
        "<w:style w:type=\"table\" w:styleId=\"Rules\"><w:name w:val=\"Rules\"/><w:tblPr>"
        "<w:tblBorders>" +
        border("top", "single", 8) + border("bottom", "single", 8) +
        "</w:tblBorders></w:tblPr><w:tblStylePr w:type=\"firstRow\"><w:tcPr><w:tcBorders>" +
        border("bottom", "single", 6, "4472C4") +
        "</w:tcBorders></w:tcPr></w:tblStylePr>"
        "<w:tblStylePr w:type=\"band1Horz\"><w:tcPr><w:tcBorders>" +
        border("insideV", "dotted") + "</w:tcBorders></w:tcPr></w:tblStylePr></w:style>");

// Three rows of two cells; `own` goes into the tcPr of the middle row's
// first cell.
std::string table(const std::string& tblPr, const std::string& own = "") {
  std::string out = "<w:tbl><w:tblPr>" + tblPr + "</w:tblPr>";
  for (int row = 0; row < 3; ++row) {
    out += "<w:tr>";
    for (int cell = 0; cell < 2; ++cell)
      out += "<w:tc>" + (row == 1 && cell == 0 ? "<w:tcPr>" + own + "</w:tcPr>" : "") +
             p(r(std::to_string(row) + std::to_string(cell))) + "</w:tc>";
    out += "</w:tr>";
  }
  return out + "</w:tbl>";
}

TEST(DocxTableBorders, EachLayerOfBordersReachesItsCells) {
  const std::string header = "<w:tblStyle w:val=\"Rules\"/>";
  const std::pair<std::string, std::string> cases[] = {
      {"no borders", table("")},
      {"grid style", table("<w:tblStyle w:val=\"Grid\"/>")},
      {"header rule and bands as the look asks",
       table(header + "<w:tblLook w:firstRow=\"1\" w:noHBand=\"0\"/>")},
      {"no header row, no bands", table(header + "<w:tblLook w:firstRow=\"0\" w:noHBand=\"1\"/>")},
      {"the table's own borders over its style's, the cell's over all",
       table("<w:tblStyle w:val=\"Grid\"/><w:tblBorders>" + border("insideV", "nil") +
                 border("end", "double", 6, "FF0000") + "</w:tblBorders>",
             "<w:tcBorders>" + border("top", "none") + border("start", "dashed", 12, "00FF00") +
                 border("bottom", "thick", 24) + border("end", "threeDEngrave") +
                 "</w:tcBorders>")},
  };
  std::string got;
  for (const auto& [name, body] : cases)
    got += name + "\n" + word::write::dump(docxtest::read(body, {{"word/styles.xml", kStyles}})) +
           "\n";
  EXPECT_EQ(got, testing_support::golden(RD_TEST_DIR "/docx/golden/borders.txt", got));
}

// Cells spaced apart inside the table's outer edges (the table's spacing,
// else its first row's); a table without a grid as wide as it says.
TEST(DocxTableBorders, SpacedCellsAndTheWidthOfATableWithoutAGrid) {
  const std::string grid = "<w:tblStyle w:val=\"Grid\"/>";
  const struct {
    std::string tblPr;
    int16_t spacing;
    int32_t width, share;
  } cases[] = {
      {grid + "<w:tblCellSpacing w:w=\"40\" w:type=\"dxa\"/>", 40, 0, 0},
      {"<w:tblW w:w=\"5000\" w:type=\"pct\"/>", 0, 0, 5000},
      {"<w:tblW w:w=\"50%\" w:type=\"pct\"/>", 0, 0, 2500},
      {"<w:tblW w:w=\"4320\" w:type=\"dxa\"/>", 0, 4320, 0},
  };
  for (const auto& c : cases) {
    const word::Model m = docxtest::read(table(c.tblPr), {{"word/styles.xml", kStyles}});
    const word::Table& t = m.main.tables.at(0);
    EXPECT_EQ(t.cellSpacing, c.spacing) << c.tblPr;
    EXPECT_EQ(t.width, c.width) << c.tblPr;
    EXPECT_EQ(t.widthShare, c.share) << c.tblPr;
    EXPECT_EQ(t.frame.left.style, c.spacing ? word::LineStyle::Single : word::LineStyle::Unknown);
  }
  // A row's spacing; a grid's columns over the table's stated width.
  std::string row = table("<w:tblW w:w=\"4320\" w:type=\"dxa\"/>");
  row.replace(row.find("<w:tr>"), 6,
              "<w:tr><w:trPr><w:tblCellSpacing w:w=\"20\" w:type=\"dxa\"/></w:trPr>");
  row.replace(row.find("</w:tblPr>"), 10,
              "</w:tblPr><w:tblGrid><w:gridCol w:w=\"2000\"/></w:tblGrid>");
  const word::Model m = docxtest::read(row);
  EXPECT_EQ(m.main.tables.at(0).cellSpacing, 20);
  EXPECT_EQ(m.main.tables.at(0).width, 0);
}

// A paragraph's line between it and the next of its border, alone or with a
// box; the room inside its border where every side drawn gives the same,
// else each side's own (none where no line is drawn).
TEST(DocxParagraphBorders, LinesBetweenAndTheRoomInside) {
  auto line = [](const char* side, int space) {
    return std::string("<w:") + side + " w:val=\"single\" w:sz=\"4\" w:space=\"" +
           std::to_string(space) + "\"/>";
  };
  constexpr uint8_t kBox =
      word::kBorderTop | word::kBorderLeft | word::kBorderBottom | word::kBorderRight;
  const struct {
    std::string lines;
    uint8_t sides, room;
    std::array<uint8_t, 4> sideRooms{};  // top, left, bottom, right
  } cases[] = {
      {line("top", 1) + line("left", 4) + line("bottom", 1) + line("right", 4),
       kBox,
       0,
       {1, 4, 1, 4}},
      {line("top", 4) + line("left", 4) + line("bottom", 4) + line("right", 4) + line("between", 1),
       kBox | word::kBorderBetween, 4},
      {line("between", 1), word::kBorderBetween, 1},
      {line("left", 10), word::kBorderLeft, 10},
      {line("top", 2) + line("left", 12) + line("bottom", 8),
       word::kBorderTop | word::kBorderLeft | word::kBorderBottom,
       0,
       {2, 12, 8, 0}},
  };
  for (const auto& c : cases) {
    const word::Model m = docxtest::read(p(r("x"), "<w:pBdr>" + c.lines + "</w:pBdr>"));
    const word::ParagraphFormat& f = m.main.paragraphs.at(0).format;
    EXPECT_EQ(f.borderSides, c.sides) << c.lines;
    EXPECT_EQ(f.border.room, c.room) << c.lines;
    EXPECT_EQ(f.sideRooms, c.sideRooms) << c.lines;
  }
}

// Sides drawn with lines of their own: each keeps its style, width and
// colour on the page, the line between too where it is the line below.
TEST(DocxParagraphBorders, EachSideDrawsItsOwnLine) {
  const std::string thick = "w:val=\"thick\" w:sz=\"24\" w:color=\"FF0000\"/>",
                    thin = "w:val=\"single\" w:sz=\"4\" w:color=\"0000FF\"/>",
                    dotted = "w:val=\"dotted\" w:sz=\"8\"/>",
                    dashed = "w:val=\"dashed\" w:sz=\"8\"/>";
  const struct {
    std::string lines;
    int paragraphs;
    std::vector<std::string> css;
  } cases[] = {
      {"<w:top " + thick + "<w:bottom " + thin,
       1,
       {"border-top:3pt solid #FF0000;border-bottom:0.75pt solid #0000FF;"}},
      {"<w:left " + thick + "<w:top " + thin + "<w:bottom " + thin + "<w:right " + thin,
       1,
       {"border-top:0.75pt solid #0000FF;border-left:3pt solid #FF0000;border-bottom:0.75pt "
        "solid #0000FF;border-right:0.75pt solid #0000FF;"}},
      {"<w:left " + thin + "<w:between " + thick,
       2,
       {"border-left:0.75pt solid #0000FF;border-bottom:3pt solid #FF0000;"}},
      // A fourth line, and a third between paragraphs.
      {"<w:top " + thick + "<w:left " + thin + "<w:bottom " + dotted + "<w:right " + dashed,
       1,
       {"border-top:3pt solid #FF0000;border-left:0.75pt solid #0000FF;border-bottom:1pt dotted "
        "#000000;border-right:1pt dashed #000000;"}},
      {"<w:top " + thick + "<w:left " + thin + "<w:between " + dotted,
       2,
       {"border-top:3pt solid #FF0000;border-left:0.75pt solid #0000FF;border-bottom:1pt dotted "
        "#000000;"}},
  };
  for (const auto& c : cases) {
    std::string body;
    for (int i = 0; i < c.paragraphs; ++i) body += p(r("x"), "<w:pBdr>" + c.lines + "</w:pBdr>");
    const std::string page = word::write::html(docxtest::read(body), "p_files", u"t").text;
    for (const std::string& css : c.css)
      EXPECT_NE(page.find(css), std::string::npos) << c.lines << "\n" << page;
  }
}

// A third line of its own on the sides that draw it, kept where a page
// pastes the paragraph into a document that numbers its lines otherwise.
TEST(DocxParagraphBorders, AThirdLineIsDrawnAsItsOwn) {
  auto box = [](const std::string& bottom) {
    return p(r("x"),
             "<w:pBdr><w:top w:val=\"thick\" w:sz=\"24\" w:color=\"FF0000\"/>"
             "<w:left w:val=\"single\" w:sz=\"4\" w:color=\"0000FF\"/>" +
                 bottom + "</w:pBdr>");
  };
  const word::Model from = docxtest::read(box("<w:bottom w:val=\"dotted\" w:sz=\"8\"/>"));
  word::Model pasted = docxtest::read(box("<w:bottom w:val=\"dashed\" w:sz=\"8\"/>"));
  word::ops::insert(pasted, 0, word::ops::copyRange(from, 0, from.main.text.size()));
  const std::string sides = "border-top:3pt solid #FF0000;border-left:0.75pt solid #0000FF;";
  for (const auto& [m, css] : {std::pair{&from, "border-bottom:1pt dotted"},
                               {&pasted, "border-bottom:1pt dotted"},
                               {&pasted, "border-bottom:1pt dashed"}}) {
    const std::string page = word::write::html(*m, "p_files", u"t").text;
    EXPECT_NE(page.find(sides + css), std::string::npos) << css << page;
  }
}

// A style that draws a third line keeps it where a paste brings the style
// into a document that numbers its lines otherwise.
TEST(DocxParagraphBorders, APastedStyleKeepsItsThirdLine) {
  auto box = [](const std::string& bottom) {
    return p(r("x"),
             "<w:pBdr><w:top w:val=\"thick\" w:sz=\"24\"/><w:left w:val=\"single\" "
             "w:sz=\"4\"/>" +
                 bottom + "</w:pBdr>");
  };
  word::Model from = docxtest::read(box("<w:bottom w:val=\"dotted\" w:sz=\"8\"/>"));
  word::Style boxed;
  boxed.name = u"Boxed";
  boxed.paragraph = from.main.paragraphs.at(0).format;
  from.main.paragraphs.at(0).format.style = static_cast<int32_t>(from.styles.size());
  from.styles.push_back(boxed);
  word::Model pasted = docxtest::read(box("<w:bottom w:val=\"dashed\" w:sz=\"8\"/>"));
  word::ops::insert(pasted, 0, word::ops::copyRange(from, 0, from.main.text.size()));
  const word::Style& style = pasted.styles.at(pasted.main.paragraphs.at(0).format.style);
  ASSERT_EQ(style.name, u"Boxed");
  EXPECT_EQ(style.paragraph.line(word::kBorderBottom, pasted.borderLines).style,
            word::LineStyle::Dotted);
}

}  // namespace
