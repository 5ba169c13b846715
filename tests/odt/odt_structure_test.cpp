// What the OpenDocument reader makes of each part of a text: white space,
// styles, headings, lists, tables, pictures, links, bookmarks, notes, text
// boxes and tracked changes, in packages and in flat XML.
#include <gtest/gtest.h>

#include "../common/fixtures.h"
#include "../common/looks_check.h"
#include "looks_odt.h"
#include "odt_fixture.h"
#include "word/error.h"
#include "word/read/image_format.h"

namespace {

using odttest::Parts;

std::string p(const std::string& inner, const std::string& style = "") {
  return "<text:p" + (style.empty() ? "" : " text:style-name=\"" + style + "\"") + ">" + inner +
         "</text:p>";
}

const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, '\0');

TEST(OdtText, WhiteSpaceCollapsesAsTheFormatSays) {
  const std::pair<std::string, std::string> cases[] = {
      {p("  two   words\n here "), "two words here \r\n"},
      {p("a<text:s text:c=\"3\"/>b<text:tab/>c<text:line-break/> d"), "a   b\tc\r\n d\r\n"},
      {p("<text:span>one</text:span> <text:span>two</text:span>"), "one two\r\n"},
      // A layout cache, not a character: the marker line stays a marker.
      {p("<text:soft-page-break/>%PID=102"), "%PID=102\r\n"},
      {p("shown<office:annotation><text:p>comment</text:p></office:annotation>"
         "<text:change text:change-id=\"c1\"/> on"),
       "shown on\r\n"},
      {p("<text:file-name>course.odt</text:file-name> <text:page-number>3</text:page-number>"),
       "course.odt 3\r\n"},
      {"<text:section>" + p("in a section") + "</text:section>", "in a section\r\n"},
      // What the author hid leaves no empty line.
      {p("a") + p("<text:span text:style-name=\"H\">hidden</text:span>") +
           p("<text:span text:style-name=\"C\">hidden by its condition</text:span>") +
           p("<text:hidden-paragraph text:is-hidden=\"true\"/>by a field") +
           "<text:section text:display=\"none\">" + p("answer") + "</text:section>" + p("b"),
       "a\r\nb\r\n"},
  };
  const std::string hidden =
      "<style:style style:name=\"H\" style:family=\"text\">"
      "<style:text-properties text:display=\"none\"/></style:style>"
      "<style:style style:name=\"C\" style:family=\"text\"><style:text-properties "
      "text:display=\"condition\" text:condition=\"none\"/></style:style>";
  for (const auto& [body, expected] : cases)
    EXPECT_EQ(odttest::text(odttest::read({body, hidden, ""})), expected) << body;
}

TEST(OdtStyles, AutomaticOverCommonOverParentOverDefault) {
  Parts parts;
  parts.common =
      "<style:default-style style:family=\"paragraph\"><style:paragraph-properties "
      "style:tab-stop-distance=\"1.25cm\"/><style:text-properties "
      "fo:font-size=\"10pt\" style:font-name=\"Body\"/></style:default-style>"
      "<style:style style:name=\"Standard\" style:family=\"paragraph\"/>"
      "<style:style style:name=\"Heading_20_1\" style:display-name=\"Heading 1\" "
      "style:family=\"paragraph\" style:parent-style-name=\"Standard\" "
      "style:default-outline-level=\"1\"><style:text-properties fo:font-weight=\"bold\" "
      "fo:font-size=\"200%\"/></style:style>"
      "<style:style style:name=\"Strong\" style:family=\"text\"><style:text-properties "
      "fo:color=\"#ff0000\" style:text-underline-style=\"solid\" style:text-underline-type=\"double\" "
      "style:text-underline-color=\"#0000ff\"/></style:style>";
  parts.automatic =
      "<style:style style:name=\"P1\" style:family=\"paragraph\" "
      "style:parent-style-name=\"Heading_20_1\"><style:paragraph-properties "
      "fo:text-align=\"center\" fo:margin-left=\"1in\" fo:text-indent=\"-0.5cm\"/>"
      "</style:style><style:style style:name=\"T1\" style:family=\"text\" "
      "style:parent-style-name=\"Strong\"><style:text-properties fo:font-style=\"italic\" "
      "style:text-position=\"super 58%\" fo:background-color=\"#00ff00\"/></style:style>"
      "<style:style style:name=\"T2\" style:family=\"text\"><style:text-properties "
      "text:display=\"none\"/></style:style><style:style style:name=\"T3\" "
      "style:family=\"text\"><style:text-properties style:text-position=\"33% 100%\"/>"
      "</style:style>";
  parts.body =
      "<text:h text:style-name=\"P1\">Title <text:span text:style-name=\"T1\">x"
      "</text:span><text:span text:style-name=\"T2\">hidden</text:span></text:h>"
      "<text:p>plain<text:span text:style-name=\"T3\">r</text:span></text:p>"
      "<text:p text:style-name=\"Gone\">g</text:p>"
      "<text:h text:style-name=\"P1\">T</text:h><text:p/>";
  word::Model m = odttest::read(parts);
  EXPECT_EQ(m.defaultTabStop, 709);  // its default tab stops, 1.25 cm apart
  EXPECT_EQ(m.main.text, u"Title x\rplainr\rg\rT\r\r");
  ASSERT_EQ(m.main.paragraphs.size(), 5u);
  // An empty paragraph's mark has its style's size, not the heading's.
  EXPECT_EQ(m.main.runs.back().format.halfPoints, 20);
  const word::ParagraphFormat& h = m.main.paragraphs[0].format;
  EXPECT_EQ(m.styles[h.style].name, u"Heading 1");  // the nearest common style
  EXPECT_EQ(h.outlineLevel, 0);
  EXPECT_EQ(h.align, word::Align::Center);
  EXPECT_EQ(h.indentLeft, 1440);
  EXPECT_EQ(h.indentFirst, -283);
  EXPECT_EQ(m.main.paragraphs[1].format.style, 0);
  EXPECT_EQ(m.main.paragraphs[1].format.outlineLevel, 9);
  const word::CharFormat& title = odttest::formatAt(m.main, 0);
  EXPECT_TRUE(title.bold);
  EXPECT_EQ(title.halfPoints, 40);  // 200% of the default 10pt
  EXPECT_EQ(title.font, u"Body");
  const word::CharFormat& x = odttest::formatAt(m.main, 6);
  EXPECT_TRUE(x.bold && x.italic && x.underline && x.superscript);
  EXPECT_EQ(std::pair(x.underlineStyle, x.underlineColor),
            std::pair(word::UnderlineStyle::Double, 0x0000FFu));
  EXPECT_EQ(x.color, 0xFF0000u);
  EXPECT_EQ(x.highlight, 0x00FF00u);
  EXPECT_EQ(m.styles[0].name, u"Normal");
  EXPECT_EQ(m.styles[0].chars.halfPoints, 20);
  // Raised a third of its size at its own size: moved, not made smaller.
  const word::CharFormat& raised = odttest::formatAt(m.main, 13);
  EXPECT_EQ(raised.raise, 7);
  EXPECT_FALSE(raised.superscript);
  // A style no one defined: the defaults, as for no style.
  EXPECT_EQ(m.main.paragraphs[2].format.style, 0);
  EXPECT_EQ(odttest::formatAt(m.main, 14).halfPoints, 20);
}

const std::string kLists =
    "<style:style style:name=\"Num\" style:family=\"text\"><style:text-properties "
    "fo:font-weight=\"bold\" fo:font-size=\"14pt\" fo:color=\"#c00000\"/></style:style>"
    "<text:list-style style:name=\"L1\">"
    "<text:list-level-style-number text:level=\"1\" style:num-suffix=\".\" style:num-format=\"1\" "
    "text:style-name=\"Num\"><style:list-level-properties "
    "text:list-level-position-and-space-mode=\"label-alignment\"><style:list-level-label-alignment "
    "fo:margin-left=\"1in\" fo:text-indent=\"-0.25in\"/></style:list-level-properties>"
    "</text:list-level-style-number>"
    "<text:list-level-style-number text:level=\"2\" style:num-suffix=\")\" style:num-format=\"a\" "
    "text:display-levels=\"2\"/>"
    "<text:list-level-style-number text:level=\"3\" style:num-format=\"i\" "
    "ext:num-list-format=\"(%3%)\"/></text:list-style>"
    "<text:list-style style:name=\"B\"><text:list-level-style-bullet text:level=\"1\" "
    "text:bullet-char=\"\xEF\x82\xB7\"><style:list-level-properties "
    "text:list-level-position-and-space-mode=\"label-alignment\"><style:list-level-label-alignment "
    "text:label-followed-by=\"space\"/></style:list-level-properties>"
    "<style:text-properties style:font-name=\"Symbol\"/>"
    "</text:list-level-style-bullet></text:list-style>"
    "<text:outline-style style:name=\"Outline\"><text:outline-level-style text:level=\"1\" "
    "style:num-format=\"1\"/><text:outline-level-style text:level=\"2\" style:num-format=\"1\" "
    "text:display-levels=\"2\" style:num-prefix=\"\xC2\xA7\"/></text:outline-style>";

std::string item(const std::string& text, const std::string& inner = "") {
  return "<text:list-item>" + p(text) + inner + "</text:list-item>";
}

TEST(OdtLists, LabelsCountThroughLevelsContinuationsAndRestarts) {
  Parts parts;
  parts.common = kLists;
  parts.body =
      "<text:list xml:id=\"first\" text:style-name=\"L1\">" + item("one") +
      item("two", "<text:list>" + item("a") +
                      item("b", "<text:list>" + item("deep") + "</text:list>") + "</text:list>") +
      "<text:list-header>" + p("no label") + "</text:list-header></text:list>" + p("between") +
      "<text:list text:continue-list=\"first\" text:style-name=\"L1\">" + item("three") +
      "</text:list><text:list text:style-name=\"L1\">" + item("new list") +
      "<text:list-item text:start-value=\"7\">" + p("seven") + p("same item") +
      "</text:list-item></text:list><text:list text:style-name=\"L1\" "
      "text:continue-numbering=\"true\">" +
      item("eight") + "</text:list>" + "<text:list text:style-name=\"B\">" + item("bullet") +
      "</text:list>" +
      "<text:h text:outline-level=\"1\">Chapter</text:h><text:h "
      "text:outline-level=\"2\">Part</text:h><text:list "
      "text:style-name=\"Outline\"><text:list-item>"
      "<text:h text:outline-level=\"1\">Wrapped</text:h></text:list-item></text:list>";
  word::Model m = odttest::read(parts);
  std::vector<std::string> expected = {"1.", "2.", "2.a)",   "2.b)", "(i)",       "3.", "1.",
                                       "7.", "8.", "\u2022", "1",    "\u00A71.1", "2"};
  EXPECT_EQ(odttest::labels(m), expected);
  const auto& ps = m.main.paragraphs;
  EXPECT_EQ(ps[2].format.listLevel, 1);
  EXPECT_EQ(ps[0].format.listId, ps[7].format.listId);  // continued by id
  EXPECT_NE(ps[0].format.listId, ps[8].format.listId);  // a new list starts again
  EXPECT_EQ(ps[10].format.listId, -1);                  // an item's second paragraph
  // It stands under its item's text, as does an entry without a number.
  for (size_t i : {5, 10})
    EXPECT_EQ(std::pair(ps[i].format.indentLeft, ps[i].format.indentFirst), std::pair(1440, 0))
        << i;
  EXPECT_EQ(ps[0].format.indentFirst, -360);
  EXPECT_FALSE(ps[12].format.listOrdered);  // the Symbol bullet, mapped
  EXPECT_EQ(ps[12].format.labelFollow, word::LabelFollow::Space);
  EXPECT_EQ(ps[0].format.labelFollow, word::LabelFollow::Tab);
  // The first level's labels in its text style's look; the second's as
  // their text.
  EXPECT_EQ(ps[0].format.labelLook, word::kLabelBoldSet | word::kLabelBold);
  EXPECT_EQ(ps[0].format.labelHalfPoints, 28);
  EXPECT_EQ(ps[0].format.labelColor, 0xC00000u);
  EXPECT_EQ(ps[2].format.labelLook | ps[2].format.labelHalfPoints, 0);
  EXPECT_EQ(ps[14].format.outlineLevel, 1);
}

// With no look of a paragraph's mark to go by, a label takes the weight,
// slant and colour all of its item's text shares, under its level's.
TEST(OdtLists, LabelsTakeTheLookAllTheirTextShares) {
  Parts parts;
  parts.common = kLists;
  parts.automatic =
      "<style:style style:name=\"Red\" style:family=\"text\"><style:text-properties "
      "fo:font-weight=\"bold\" fo:font-style=\"italic\" fo:color=\"#ff0000\"/></style:style>";
  const std::string red = "<text:span text:style-name=\"Red\">";
  parts.body = "<text:list text:style-name=\"B\">" + item(red + "all</text:span>") +
               item("half " + red + "red</text:span>") + "</text:list>";
  word::Model m = odttest::read(parts);
  const auto& ps = m.main.paragraphs;
  EXPECT_EQ(ps[0].format.labelLook,
            word::kLabelBoldSet | word::kLabelBold | word::kLabelItalicSet | word::kLabelItalic);
  EXPECT_EQ(ps[0].format.labelColor, 0xFF0000u);
  EXPECT_EQ(ps[1].format.labelLook, 0);
  EXPECT_EQ(ps[1].format.labelColor, word::kAutoColor);
}

TEST(OdtTables, SpansCoveredCellsWidthsAndNesting) {
  Parts parts;
  parts.automatic =
      "<style:style style:name=\"C\" style:family=\"table-column\"><style:table-column-properties "
      "style:column-width=\"1in\"/></style:style>"
      "<style:style style:name=\"T\" style:family=\"table\"><style:table-properties "
      "style:width=\"4in\"/></style:style>"
      "<style:style style:name=\"R1\" style:family=\"table-column\"><style:table-column-properties "
      "style:rel-column-width=\"16383*\"/></style:style>"
      "<style:style style:name=\"R3\" style:family=\"table-column\"><style:table-column-properties "
      "style:rel-column-width=\"49149*\"/></style:style>";
  auto cell = [](const std::string& t, const std::string& attrs = "") {
    return "<table:table-cell" + attrs + ">" + p(t) + "</table:table-cell>";
  };
  parts.body =
      "<table:table><table:table-column table:style-name=\"C\" "
      "table:number-columns-repeated=\"3\"/><table:table-header-rows><table:table-row>" +
      cell("wide", " table:number-columns-spanned=\"2\"") + "<table:covered-table-cell/>" +
      cell("tall", " table:number-rows-spanned=\"2\"") +
      "</table:table-row></table:table-header-rows><table:table-row>" +
      cell("x", " table:number-columns-repeated=\"2\"") +
      "<table:covered-table-cell/></table:table-row><table:table-row>" +
      cell("<text:span>n</text:span>") + "<table:table-cell><table:table><table:table-row>" +
      cell("inner") + "</table:table-row></table:table></table:table-cell>" + cell("z") +
      "</table:table-row></table:table>" +
      // Columns given only as shares of the table's width (in groups too).
      "<table:table table:style-name=\"T\"><table:table-column table:style-name=\"R1\"/>"
      "<table:table-column-group><table:table-column-group><table:table-column "
      "table:style-name=\"R3\"/></table:table-column-group></table:table-column-group>"
      "<table:table-row>" +
      cell("a") + cell("b") + "</table:table-row></table:table>";
  word::Model m = odttest::read(parts);
  ASSERT_EQ(m.main.tables.size(), 3u);
  EXPECT_EQ(
      std::pair(m.main.tables[2].rows[0].cells[0].width, m.main.tables[2].rows[0].cells[1].width),
      std::pair(1440, 4320));
  const auto& rows = m.main.tables[0].rows;
  ASSERT_EQ(rows.size(), 3u);
  ASSERT_EQ(rows[0].cells.size(), 2u);
  EXPECT_EQ(rows[0].cells[0].gridSpan, 2);
  EXPECT_EQ(rows[0].cells[0].width, 2880);
  EXPECT_EQ(rows[0].cells[1].vmerge, word::VMerge::Restart);
  EXPECT_TRUE(rows[0].header);
  EXPECT_FALSE(rows[1].header);
  ASSERT_EQ(rows[1].cells.size(), 3u);  // two copies of "x", then the merged cell
  EXPECT_EQ(rows[1].cells[2].vmerge, word::VMerge::Continue);
  EXPECT_EQ(m.main.tables[1].depth, 2);
  EXPECT_EQ(odttest::text(m), "wide\ttall\r\nx\tx\t\r\nn\tinner\r\n\tz\r\na\tb\r\n\r\n");
}

// Cell styles' borders: all sides at once, a side over them, a parent's
// under its child's, none, a double line's width as each of its lines',
// a cell's room inside, and a cell without a style (golden/borders.txt).
TEST(OdtTables, CellsTakeTheirStylesBorders) {
  auto cellStyle = [](const char* name, const std::string& borders, const char* parent = "") {
    return std::string("<style:style style:name=\"") + name +
           "\" style:family=\"table-cell\" style:parent-style-name=\"" + parent +
           "\"><style:table-cell-properties " + borders + "/></style:style>";
  };
  Parts parts;
  parts.common = cellStyle("Ruled", "fo:border-left=\"thin dashed #00FF00\"");
  parts.automatic =
      cellStyle("All",
                "fo:border=\"0.5pt solid #000000\" fo:padding=\"0.1in\" "
                "fo:padding-top=\"0in\"") +
      cellStyle("Over", "fo:border-top=\"none\" fo:border-bottom=\"1.5pt double #FF0000\"",
                "Ruled") +
      cellStyle("Odd", "fo:border=\"#0000FF 2pt ridge\" fo:border-top=\"0.06pt dotted\"");
  auto cell = [](const char* style) {
    return std::string("<table:table-cell") +
           (*style ? std::string(" table:style-name=\"") + style + "\"" : std::string()) + ">" +
           p("x") + "</table:table-cell>";
  };
  parts.body = "<table:table><table:table-row>" + cell("All") + cell("Over") + cell("Odd") +
               cell("") + "</table:table-row></table:table>";
  const std::string got = word::write::dump(odttest::read(parts));
  EXPECT_EQ(got, testing_support::golden(RD_TEST_DIR "/odt/golden/borders.txt", got));
}

TEST(OdtDrawings, PicturesTextBoxesAndFloatingTables) {
  Parts parts;
  // In grey, from the style its frame's style is based on, and darker.
  parts.common = odttest::style("Grey", "graphic",
                                "<style:graphic-properties draw:color-mode=\"greyscale\" "
                                "draw:luminance=\"-20%\"/>");
  parts.automatic =
      "<style:style style:name=\"fr1\" style:family=\"graphic\" "
      "style:parent-style-name=\"Grey\"><style:graphic-properties style:wrap=\"parallel\" "
      "style:horizontal-pos=\"right\"/></style:style><style:style style:name=\"fr2\" "
      "style:family=\"graphic\"><style:graphic-properties style:wrap=\"none\" "
      "style:horizontal-pos=\"center\"/></style:style><style:style style:name=\"fr3\" "
      "style:family=\"graphic\"><style:graphic-properties style:wrap=\"run-through\"/>"
      "</style:style><style:style style:name=\"fr4\" style:family=\"graphic\">"
      "<style:graphic-properties fo:border=\"0.5pt solid #ff0000\"/></style:style>"
      "<style:style style:name=\"t1\" style:family=\"table\"><style:table-properties "
      "style:rel-width=\"50%\"/></style:style>";
  parts.body =
      p("see <draw:a xlink:href=\"http://example.org/\"><draw:frame draw:style-name=\"fr1\" "
        "svg:width=\"1in\" svg:height=\"0.5in\"><draw:image "
        "xlink:href=\"Pictures/v.svg\"/><draw:image "
        "xlink:href=\"Pictures/a.png\"/><svg:title>Title</svg:title><svg:desc>Described</svg:desc>"
        "</draw:frame></draw:a><draw:frame draw:style-name=\"fr2\"><draw:image "
        "xlink:href=\"http://example.org/x.png\"/></draw:frame><draw:frame "
        "draw:style-name=\"fr3\" svg:x=\"5in\" svg:width=\"1in\"><draw:image "
        "xlink:href=\"http://example.org/y.png\"/></draw:frame><draw:frame "
        "draw:style-name=\"fr4\"><draw:text-box>" +
        p("boxed") +
        "</draw:text-box></draw:frame>"
        "<draw:frame svg:width=\"2in\"><draw:text-box><table:table table:style-name=\"t1\">"
        "<table:table-column/><table:table-row><table:table-cell>" +
        p("floats") +
        "</table:table-cell></table:table-row></table:table></draw:text-box></draw:frame>");
  word::Model m = word::read::readOdt(
      odttest::package(parts, {{"Pictures/v.svg", "<svg/>"}, {"Pictures/a.png", kPng}}));
  // The first image in a format the model carries; a frame linking outside
  // the document has a stand-in.
  ASSERT_EQ(m.main.pictures.size(), 3u);
  EXPECT_TRUE(m.main.pictures[1].linked);
  const word::Picture& pic = m.main.pictures[0];
  EXPECT_EQ(pic.format, "png");
  EXPECT_EQ(*pic.data, kPng);
  EXPECT_EQ(pic.widthPx, 96);
  EXPECT_EQ(pic.heightPx, 48);
  EXPECT_EQ(pic.alt, u"Described");
  EXPECT_EQ(pic.look, (word::PictureLook{true, false, -200, 1000}));
  EXPECT_EQ(pic.side, word::PictureSide::End);  // the text flows at its left
  EXPECT_EQ(m.main.pictures[1].side, word::PictureSide::OwnLineCentre);  // text above and below
  EXPECT_EQ(m.main.pictures[2].side, word::PictureSide::End);  // over the text, at its right
  EXPECT_EQ(odttest::formatAt(m.main, pic.pos).hyperlink, u"http://example.org/");
  ASSERT_EQ(m.main.paragraphs.size(), 5u);  // the anchor, the box, the cell, the row, the end
  EXPECT_TRUE(m.main.paragraphs[1].format.textBox);
  EXPECT_FALSE(m.main.paragraphs[2].format.textBox);
  // The text frame's line goes round its text; the table's frame has none.
  EXPECT_EQ(m.main.paragraphs[1].format.border,
            (word::Border{word::LineStyle::Single, 4, 0, 0xFF0000}));
  EXPECT_EQ(m.main.paragraphs[1].format.borderSides, 15);
  EXPECT_EQ(m.main.paragraphs[2].format.borderSides, 0);
  // Its share of the frame it stands alone in.
  ASSERT_EQ(m.main.tables.size(), 1u);
  EXPECT_EQ(m.main.tables[0].rows[0].cells[0].width, 1440);
  EXPECT_EQ(odttest::text(m), "see \r\nfloats\r\n\r\n");
}

// A crop is given in lengths of the image at its own size: its pixels at
// the resolution it states (here 200 by 100 at 192 dots an inch, the
// right half cut off), or 96 dots an inch where it states none.
TEST(OdtDrawings, ACropIsTakenAsSharesOfTheImageAtItsOwnSize) {
  auto be32 = [](uint32_t v) {
    return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
  };
  const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + be32(200) +
                          be32(100) + std::string(9, '\x08') + be32(9) + "pHYs" + be32(7559) +
                          be32(7559) + '\x01' + be32(0) + be32(0) + "IDAT";
  Parts parts;
  parts.automatic = odttest::style(
      "fr", "graphic",
      "<style:graphic-properties fo:clip=\"rect(0in, 0.52083in, 0in, auto)\" "
      "fo:border=\"0.06pt solid #404040\"/>");
  parts.body =
      p("<draw:frame draw:style-name=\"fr\" svg:width=\"0.5in\" svg:height=\"0.5in\">"
        "<draw:image xlink:href=\"Pictures/a.png\"/></draw:frame>");
  word::Model m = word::read::readOdt(odttest::package(parts, {{"Pictures/a.png", png}}));
  ASSERT_EQ(m.main.pictures.size(), 1u);
  const word::PictureLook& look = m.main.pictures[0].look;
  EXPECT_EQ(std::vector<int32_t>({look.cropLeft, look.cropTop, look.cropRight, look.cropBottom}),
            std::vector<int32_t>({0, 0, 50000, 0}));
  EXPECT_EQ(std::pair(look.outlineEmu, look.outlineColor), std::pair(1, 0x404040u));  // a hairline
  // A JPEG's size from its frame header, its resolution in dots a
  // centimetre; a cut-short image has no size.
  const std::string jpeg = std::string(
      "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x02\x00\x76\x00\x76\x00\x00"
      "\xFF\xC0\x00\x0B\x08\x00\x64\x00\xC8\x01\x01\x11\x00",
      33);
  const word::read::ImageSize size = word::read::imageSize(jpeg);
  EXPECT_EQ(std::pair(size.width, size.height), std::pair(200, 100));
  EXPECT_NEAR(size.dpiX, 299.7, 0.1);
  EXPECT_EQ(word::read::imageSize(png.substr(0, 20)).width, 0);
}

TEST(OdtInline, LinksBookmarksNotesAndAcceptedChanges) {
  Parts parts;
  parts.body =
      "<text:tracked-changes><text:changed-region text:id=\"c1\"><text:deletion>" + p("gone") +
      "</text:deletion></text:changed-region></text:tracked-changes>" +
      p("<text:bookmark text:name=\"here\"/><text:a xlink:href=\"../other.odt\" office:title=\"The "
        "tip\">file</text:a> "
        "<text:a xlink:href=\"#here\">back</text:a><text:bookmark-start text:name=\"span\"/>"
        "<text:change-start text:change-id=\"c2\"/>new<text:change-end text:change-id=\"c2\"/>"
        "<text:bookmark-end text:name=\"span\"/><text:note text:note-class=\"footnote\">"
        "<text:note-citation>1</text:note-citation><text:note-body>" +
        p("foot") +
        "</text:note-body></text:note><text:note text:note-class=\"endnote\"><text:note-citation "
        "text:label=\"*\">i</text:note-citation><text:note-body>" +
        p("end") + "</text:note-body></text:note>");
  // Form fields kept as marks: a check box checked, one not, a list's
  // chosen entry.
  const std::string form = "<field:fieldmark field:type=\"vnd.oasis.opendocument.field.FORM";
  parts.body += p(form +
                  "CHECKBOX\"><field:param field:name=\"Checkbox_Checked\" "
                  "field:value=\"true\"/></field:fieldmark>" +
                  form + "CHECKBOX\"/>" + form +
                  "DROPDOWN\"><field:param field:name=\"Dropdown_ListEntry\" field:value=\"one\"/>"
                  "<field:param field:name=\"Dropdown_ListEntry\" field:value=\"two\"/>"
                  "<field:param field:name=\"Dropdown_Selected\" field:value=\"1\"/>"
                  "</field:fieldmark>");
  word::Model m = odttest::read(parts);
  EXPECT_EQ(odttest::text(m), "file backnew1*\r\n\u2612\u2610two\r\n");
  EXPECT_EQ(odttest::formatAt(m.main, 0).hyperlink, u"other.odt");  // beside the document
  EXPECT_EQ(odttest::formatAt(m.main, 0).linkTitle, u"The tip");
  EXPECT_EQ(odttest::formatAt(m.main, 5).hyperlink, u"#here");
  EXPECT_EQ(odttest::formatAt(m.main, 5).linkTitle, u"");
  ASSERT_EQ(m.main.bookmarks.size(), 2u);
  EXPECT_EQ(m.main.bookmarks[1].name, u"span");
  EXPECT_EQ(m.main.bookmarks[1].end - m.main.bookmarks[1].start, 3u);
  ASSERT_EQ(m.notes.size(), 2u);
  EXPECT_FALSE(m.notes[0].endnote);
  EXPECT_EQ(m.notes[0].body.text, u"foot\r");
  EXPECT_TRUE(m.notes[1].endnote);
  EXPECT_EQ(m.notes[1].label, u"*");
}

// A picture linked outside the document is never read: it stands in the
// model as linked, without data, and the page shows a stand-in for it. A
// frame with a picture of its own shows that one.
TEST(OdtDrawings, PicturesLinkedOutsideTheDocumentAreNotRead) {
  const struct {
    const char* href;
    bool inPackage;  // read from the package (a flat file has no parts)
  } links[] = {
      {"Pictures/a.png", true},
      {"./Pictures/../Pictures/a.png", true},
      {"../a.png", false},
      {"Pictures/../../a.png", false},
      {"/tmp/a.png", false},
      {"\\\\server\\a.png", false},
      {"file:///tmp/a.png", false},
      {"http://example.org/a.png", false},
      {"C:\\Pictures\\a.png", false},
  };
  for (const auto& link : links) {
    SCOPED_TRACE(link.href);
    Parts parts;
    parts.body = p("<draw:frame svg:width=\"1in\" svg:height=\"0.5in\"><draw:image xlink:href=\"" +
                   std::string(link.href) + "\"/><svg:desc>Chart</svg:desc></draw:frame>");
    const word::Model models[] = {
        word::read::readOdt(odttest::package(parts, {{"Pictures/a.png", kPng}, {"a.png", kPng}})),
        word::read::loadBytes(odttest::flat(parts))};
    for (const word::Model& m : models) {
      ASSERT_EQ(m.main.pictures.size(), 1u);
      const word::Picture& pic = m.main.pictures[0];
      const bool read = link.inPackage && &m == &models[0];
      EXPECT_EQ(pic.linked, !read);
      EXPECT_EQ(pic.data != nullptr, read);
      EXPECT_EQ(pic.alt, u"Chart");
    }
    const word::write::HtmlPage page = word::write::html(models[1], "page_files", u"Page");
    ASSERT_EQ(page.placeholders.size(), 1u);
    EXPECT_TRUE(page.placeholders[0].linked);
    ASSERT_EQ(page.pictures.size(), 1u);
    EXPECT_NE(page.pictures[0].bytes->find(">Chart</tspan>"), std::string::npos);
  }
  Parts both;
  both.body =
      p("<draw:frame><draw:image xlink:href=\"http://example.org/a.png\"/><draw:image "
        "xlink:href=\"Pictures/a.png\"/></draw:frame>");
  const word::Model m = word::read::readOdt(odttest::package(both, {{"Pictures/a.png", kPng}}));
  ASSERT_EQ(m.main.pictures.size(), 1u);
  EXPECT_FALSE(m.main.pictures[0].linked);
}

TEST(OdtContainers, FlatXmlReadsAsThePackageAndBothAreDetected) {
  Parts parts;
  parts.common = kLists;
  parts.body = "<text:list text:style-name=\"L1\">" + item("<text:span>flat</text:span>") +
               "</text:list>" +
               p("<draw:frame><draw:image><office:binary-data>iVBORw0KGgo=\n"
                 "</office:binary-data></draw:image></draw:frame>");
  std::string zipped = odttest::package(parts), flat = odttest::flat(parts);
  EXPECT_EQ(word::read::detect(zipped), word::read::Format::Odt);
  EXPECT_EQ(word::read::detect(flat), word::read::Format::Odt);
  word::Model fromFlat = word::read::loadBytes(flat);
  EXPECT_EQ(odttest::text(fromFlat), odttest::text(word::read::loadBytes(zipped)));
  EXPECT_EQ(odttest::labels(fromFlat), std::vector<std::string>{"1."});
  ASSERT_EQ(fromFlat.main.pictures.size(), 1u);  // base64 in the element
  EXPECT_EQ(fromFlat.main.pictures[0].format, "png");

  // Other zips and XML: by the type they name, whatever the file's name.
  using word::read::Format;
  const std::pair<std::string, Format> kinds[] = {
      {testing_support::zipBytes({{"mimetype", "application/epub+zip"}}), Format::Zip},
      {testing_support::zipBytes({{"imsmanifest.xml", "<manifest/>"}}), Format::CoursePackage},
      {testing_support::zipBytes({{"cmi5.xml", "<courseStructure/>"}}), Format::CoursePackage},
      {testing_support::zipBytes({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}}),
       Format::Odt},
      {testing_support::zipBytes({{"META-INF/manifest.xml", odttest::manifest()},
                                  {"content.xml", odttest::contentXml(parts)}}),
       Format::Odt},
      {"<?xml version=\"1.0\"?><!-- a> --><office:document-content/>", Format::Text},
  };
  for (const auto& [bytes, format] : kinds) EXPECT_EQ(word::read::detect(bytes), format) << bytes;
  // Either is told for what it is, with what to do.
  for (const auto& [bytes, told] : {std::pair{kinds[0].first, "a zip archive, not a Word"},
                                    std::pair{kinds[1].first, "\"raredozud check\""}}) {
    try {
      word::read::loadBytes(bytes);
      ADD_FAILURE() << told;
    } catch (const word::Error& e) {
      EXPECT_NE(e.description().find(told), std::string::npos) << e.description();
    }
  }
}

// Typefaces by the font faces' classes, spacing and line spacing from
// styles and automatic styles, and shading, as the documents shared by
// every format give them (the format has no automatic spacing).
TEST(OdtStyles, TypefacesSpacingAndShading) {
  looks::checkFaces(word::read::readOdt(looks::facesOdt()));
  looks::checkSpaces(word::read::readOdt(looks::spacesOdt()), false);
  looks::checkShades(word::read::readOdt(looks::shadesOdt()));
}

// fo:margin gives every side; a side given on its own wins.
TEST(OdtStyles, MarginShorthandGivesEverySide) {
  Parts parts;
  parts.automatic =
      odttest::style("All", "paragraph", "<style:paragraph-properties fo:margin=\"0.1in\"/>") +
      odttest::style("Top", "paragraph",
                     "<style:paragraph-properties fo:margin=\"0.1in\" fo:margin-top=\"0.2in\"/>");
  parts.body = p("a", "All") + p("b", "Top");
  const word::Model m = odttest::read(parts);
  ASSERT_GE(m.main.paragraphs.size(), 2u);
  const word::ParagraphFormat& all = m.main.paragraphs[0].format;
  EXPECT_EQ(all.spaceBefore, 144);
  EXPECT_EQ(all.spaceAfter, 144);
  EXPECT_EQ(all.indentLeft, 144);
  EXPECT_EQ(all.indentRight, 144);
  EXPECT_EQ(m.main.paragraphs[1].format.spaceBefore, 288);
  EXPECT_EQ(m.main.paragraphs[1].format.spaceAfter, 144);
}

// The room inside a paragraph's border and shading (fo:padding), points:
// one for every side, or each side its own (none where it gives none).
TEST(OdtStyles, PaddingIsTheRoomInsideBorderAndShading) {
  const struct {
    std::string props;
    uint8_t room;
    std::array<uint8_t, 4> sides;
  } cases[] = {
      {"fo:border=\"0.5pt solid #000000\" fo:padding=\"0.2cm\"", 6, {}},
      {"fo:background-color=\"#f2f2f2\" fo:padding-left=\"0.1in\"", 0, {0, 7, 0, 0}},
      {"fo:padding-top=\"0.05in\" fo:padding-left=\"0.3in\"", 0, {4, 22, 0, 0}},
      {"fo:padding=\"0.1in\" fo:padding-bottom=\"0cm\"", 0, {7, 7, 0, 7}},
      {"fo:border-left=\"2pt solid #4472c4\"", 0, {}},
  };
  for (const auto& c : cases) {
    Parts parts;
    parts.automatic =
        odttest::style("P", "paragraph", "<style:paragraph-properties " + c.props + "/>");
    parts.body = p("x", "P");
    const word::ParagraphFormat f = odttest::read(parts).main.paragraphs.at(0).format;
    EXPECT_EQ(f.border.room, c.room) << c.props;
    EXPECT_EQ(f.sideRooms, c.sides) << c.props;
  }
}

// A border's third line, on the side that draws it, in the document's
// table of them.
TEST(OdtStyles, AThirdLineIsKept) {
  Parts parts;
  parts.automatic =
      odttest::style("P", "paragraph",
                     "<style:paragraph-properties fo:border-top=\"3pt solid #FF0000\" "
                     "fo:border-left=\"2pt solid #4472C4\" "
                     "fo:border-bottom=\"1pt dotted #000000\"/>");
  parts.body = p("x", "P");
  const word::Model m = odttest::read(parts);
  EXPECT_EQ(m.main.paragraphs.at(0).format.line(word::kBorderBottom, m.borderLines).style,
            word::LineStyle::Dotted);
  EXPECT_EQ(m.borderLines.size(), 1u);
}

// Tab stops: a style's, measured from the indent unless the settings say
// from the margin; an empty list of the paragraph's own replaces them.
// (And a setting that justified lines ending in a line break stay ragged.)
TEST(OdtStyles, TabStopsFromTheIndentOrTheMargin) {
  Parts parts;
  parts.common =
      "<style:style style:name=\"Toc\" style:family=\"paragraph\"><style:paragraph-properties "
      "fo:margin-left=\"1in\"><style:tab-stops><style:tab-stop style:position=\"0.5in\"/>"
      "<style:tab-stop style:position=\"3in\" "
      "style:type=\"right\" style:leader-text=\"-\"/></style:tab-stops>"
      "</style:paragraph-properties></style:style>";
  parts.automatic =
      "<style:style style:name=\"None\" style:family=\"paragraph\" "
      "style:parent-style-name=\"Toc\"><style:paragraph-properties><style:tab-stops/>"
      "</style:paragraph-properties></style:style>"
      "<style:style style:name=\"Prices\" style:family=\"paragraph\"><style:paragraph-properties "
      "fo:margin-left=\"-0.5in\"><style:tab-stops><style:tab-stop style:position=\"0.25in\"/>"
      "<style:tab-stop style:position=\"1in\" style:type=\"center\"/><style:tab-stop "
      "style:position=\"2in\" style:type=\"char\" style:char=\",\"/></style:tab-stops>"
      "</style:paragraph-properties></style:style>";
  parts.body = p("a\t1", "Toc") + p("b\t2", "None") + p("c\t1,5", "Prices");
  const std::string margin =
      "<office:document-settings><config:config-item config:name=\"TabsRelativeToIndent\" "
      "config:type=\"boolean\">false</config:config-item><config:config-item "
      "config:name=\"DoNotJustifyLinesWithManualBreak\" config:type=\"boolean\">true"
      "</config:config-item></office:document-settings>";
  for (const bool fromIndent : {true, false}) {
    const word::Model m = word::read::readOdt(odttest::package(
        parts, fromIndent
                   ? std::vector<std::pair<std::string, std::string>>{}
                   : std::vector<std::pair<std::string, std::string>>{{"settings.xml", margin}}));
    EXPECT_EQ(m.main.paragraphs[0].format.tabEnd, fromIndent ? 5760 : 4320);
    EXPECT_EQ(m.main.paragraphs[0].format.tabLeader, word::TabLeader::Dashes);
    EXPECT_EQ(m.main.paragraphs[1].format.tabEnd, 0);
    EXPECT_EQ(m.main.paragraphs[0].format.tabStart, fromIndent ? 2160 : 720);
    EXPECT_EQ(m.main.paragraphs[1].format.tabStart, 0);
    // A stop left of the indent is none; those after it keep how they
    // align. A decimal stop's character is the document's.
    const word::ParagraphFormat& prices = m.main.paragraphs[2].format;
    EXPECT_EQ(prices.tabEnd, fromIndent ? 2160 : 2880);
    EXPECT_EQ(prices.tabEndAlign, word::TabAlign::Decimal);
    EXPECT_EQ(prices.tabStops[fromIndent ? 0 : 1], fromIndent ? 720 : 1440);
    EXPECT_EQ(prices.tabAlign(fromIndent ? 0 : 1), word::TabAlign::Centre);
    EXPECT_EQ(m.decimalPoint, u',');
    // The same settings leave justified lines before a line break ragged.
    EXPECT_EQ(m.stretchBeforeBreaks, fromIndent);
  }
}

// Right to left, the model's alignment and indents are of the paragraph's
// start and end: text-align's start and end are those already, its left
// and right and the margins name the page's sides. A direction given by
// the parent style counts for the child's sides.
TEST(OdtStyles, RightToLeftParagraphsTurnThePageSidesToStartAndEnd) {
  const std::string rtl = "style:writing-mode=\"rl-tb\" ";
  struct Row {
    std::string props, parent;
    word::Align align;
    int32_t start, end;
    bool rightToLeft;
  } rows[] = {
      {rtl + "fo:text-align=\"start\" fo:margin-left=\"1in\"", "", word::Align::Left, 0, 1440,
       true},
      {rtl + "fo:text-align=\"left\"", "", word::Align::Right, 0, 0, true},
      {rtl + "fo:text-align=\"end\" fo:margin-right=\"0.5in\"", "", word::Align::Right, 720, 0,
       true},
      {"fo:text-align=\"right\" fo:margin-left=\"1in\"", "", word::Align::Right, 1440, 0, false},
      {"fo:text-align=\"right\" fo:margin-left=\"1in\"", "Rtl", word::Align::Left, 0, 1440, true},
  };
  Parts parts;
  parts.common = odttest::style("Rtl", "paragraph", "<style:paragraph-properties " + rtl + "/>");
  for (size_t i = 0; i < std::size(rows); ++i) {
    const std::string name = "P" + std::to_string(i);
    parts.automatic += "<style:style style:name=\"" + name + "\" style:family=\"paragraph\"" +
                       (rows[i].parent.empty() ? "" : " style:parent-style-name=\"Rtl\"") +
                       "><style:paragraph-properties " + rows[i].props + "/></style:style>";
    parts.body += p("row", name);
  }
  const word::Model m = odttest::read(parts);
  ASSERT_GE(m.main.paragraphs.size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    const word::ParagraphFormat& f = m.main.paragraphs[i].format;
    EXPECT_EQ(f.align, rows[i].align) << i;
    EXPECT_EQ(f.indentLeft, rows[i].start) << i;
    EXPECT_EQ(f.indentRight, rows[i].end) << i;
    EXPECT_EQ(f.rightToLeft, rows[i].rightToLeft) << i;
  }
}

// A leading (space added between lines) shows as the multiple of the
// text's size that gives a single line (1.15 times the size) and the
// leading; a line height of another kind in a style over it replaces it.
TEST(OdtStyles, LeadingBecomesTheMultipleOfTheSameHeight) {
  auto props = [](const std::string& para, const std::string& text = "") {
    return "<style:paragraph-properties " + para + "/><style:text-properties " + text + "/>";
  };
  Parts parts;
  parts.common = odttest::style("Lead", "paragraph", props("style:line-spacing=\"6pt\""));
  parts.automatic =
      odttest::style("Big", "paragraph",
                     props("style:line-spacing=\"0.25in\"", "fo:font-size=\"24pt\"")) +
      "<style:style style:name=\"Own\" style:family=\"paragraph\" "
      "style:parent-style-name=\"Lead\">" +
      props("fo:line-height=\"150%\"") + "</style:style>" +
      "<style:style style:name=\"Kept\" style:family=\"paragraph\" "
      "style:parent-style-name=\"Lead\">" +
      props("fo:margin-top=\"0.1in\"") + "</style:style>" +
      odttest::style("None", "paragraph", props("style:line-spacing=\"0cm\""));
  const struct {
    const char* style;
    word::LineRule rule;
    int32_t line;
  } cases[] = {
      {"Lead", word::LineRule::Multiple, 396},  // 12pt text: (13.8 + 6) / 12
      {"Big", word::LineRule::Multiple, 456},   // 24pt text: (27.6 + 18) / 24
      {"Own", word::LineRule::Multiple, 360},
      {"Kept", word::LineRule::Multiple, 396},
      {"None", word::LineRule::Multiple, word::kSingleLine},
  };
  for (const auto& c : cases) parts.body += p("x", c.style);
  const word::Model m = odttest::read(parts);
  ASSERT_EQ(m.main.paragraphs.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].style);
    EXPECT_EQ(m.main.paragraphs[i].format.lineRule, cases[i].rule);
    EXPECT_EQ(m.main.paragraphs[i].format.lineSpacing, cases[i].line);
  }
}

}  // namespace

// Capitals and text in the Symbol font; a table's place between the
// margins and its cells' vertical alignment from their styles.
TEST(OdtStyles, CapitalsSymbolsTablePlacementAndCellAlignment) {
  using odttest::style;
  Parts parts;
  parts.automatic =
      style("Small", "text", "<style:text-properties fo:font-variant=\"small-caps\"/>") +
      style("All", "text", "<style:text-properties fo:text-transform=\"uppercase\"/>") +
      style("Sym", "text", "<style:text-properties style:font-name=\"Symbol\"/>") +
      style("W2", "text", "<style:text-properties style:font-name=\"Wingdings 2\"/>") +
      style("In", "table", "<style:table-properties fo:margin-left=\"0.5in\"/>") +
      style("Mid", "table", "<style:table-properties table:align=\"center\"/>") +
      style("Low", "table-cell",
            "<style:table-cell-properties style:vertical-align=\"bottom\" "
            "style:rotation-angle=\"90\"/>");
  parts.body = p("<text:span text:style-name=\"Small\">small</text:span>"
                 "<text:span text:style-name=\"All\">all</text:span>40"
                 "<text:span text:style-name=\"Sym\">\xEF\x82\xB0</text:span>"
                 "<text:span text:style-name=\"W2\">P</text:span>") +
               "<table:table table:style-name=\"In\"><table:table-row><table:table-cell "
               "table:style-name=\"Low\">" +
               p("a") + "</table:table-cell></table:table-row></table:table>" +
               "<table:table table:style-name=\"Mid\"><table:table-row><table:table-cell>" +
               p("b") + "</table:table-cell></table:table-row></table:table>";
  word::Model m = odttest::read(parts);
  EXPECT_EQ(m.main.text.substr(0, 12), u"smallall40\u00B0\u2713");  // a check list's mark
  EXPECT_TRUE(odttest::formatAt(m.main, 0).smallCaps);
  EXPECT_TRUE(odttest::formatAt(m.main, 5).allCaps);
  EXPECT_FALSE(odttest::formatAt(m.main, 8).allCaps);
  ASSERT_EQ(m.main.tables.size(), 2u);
  EXPECT_EQ(m.main.tables[0].indent, 720);
  EXPECT_EQ(m.main.tables[0].rows[0].cells[0].valign, word::VAlign::Bottom);
  EXPECT_EQ(m.main.tables[1].align, word::Align::Center);
  EXPECT_EQ(m.main.tables[1].rows[0].cells[0].valign, word::VAlign::Top);
  EXPECT_EQ(m.main.tables[0].rows[0].cells[0].flow, word::TextFlow::Up);
  EXPECT_EQ(m.main.tables[1].rows[0].cells[0].flow, word::TextFlow::Across);
}

// What the page cannot show is noted where it stands.
TEST(OdtDrawings, WhatThePageCannotShowIsNotedWhereItStands) {
  Parts parts;
  parts.body = p("a<draw:frame><draw:object xlink:href=\"./Object 1\"/></draw:frame>b") +
               p("c<draw:rect svg:width=\"1in\" svg:height=\"1in\"/>d<draw:control/>") +
               p("e<draw:frame><draw:image xlink:href=\"Pictures/gone.png\"/></draw:frame>f"
                 "<draw:frame><draw:image xlink:href=\"Pictures/v.svg\"/>"
                 "<draw:image xlink:href=\"Pictures/gone.png\"/></draw:frame>") +
               p("g<draw:frame><draw:object/><draw:image xlink:href=\"Pictures/gone.png\"/>"
                 "</draw:frame><draw:frame><draw:plugin xlink:href=\"Media/v.mp4\"/></draw:frame>");
  const word::Model m =
      word::read::readOdt(odttest::package(parts, {{"Pictures/v.svg", "<svg/>"}}));
  std::vector<std::pair<uint32_t, std::string>> losses;
  for (const word::Loss& l : m.losses) losses.emplace_back(l.pos, l.what);
  EXPECT_EQ(losses, (std::vector<std::pair<uint32_t, std::string>>{
                        {1, "an embedded object without a picture"},
                        {4, "a shape drawn only by its geometry"},
                        {5, "a form control (a check box, a list or a button)"},
                        {7, "a picture it cannot read"},
                        {11, "an embedded object without a picture"},
                        {11, "an embedded object without a picture"}}));
  // A picture in a format the model does not carry, with no other image
  // that can stand for it, keeps its bytes: the page shows a stand-in.
  ASSERT_EQ(m.main.pictures.size(), 1u);
  EXPECT_EQ(m.main.pictures[0].format, "");
  EXPECT_EQ(*m.main.pictures[0].data, "<svg/>");
}
