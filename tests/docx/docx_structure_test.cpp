// What the reader makes of WordprocessingML: styles, lists, tables, fields,
// links, notes, pictures, tracked changes and the containers around text.
#include <gtest/gtest.h>

#include <tuple>

#include "../common/looks_check.h"
#include "docx_fixture.h"
#include "looks_docx.h"
#include "word/error.h"
#include "word/read/docx/numbering.h"

using docxtest::formatAt;
using docxtest::paragraphText;
using docxtest::read;
using docxtest::text;
using word::u16;

namespace {

using docxtest::p;
using docxtest::r;

const std::string kStyles = docxtest::part(
    "styles",
    "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Calibri\" w:hAnsi=\"Calibri\"/><w:sz "
    "w:val=\"22\"/>"
    "</w:rPr></w:rPrDefault></w:docDefaults>"
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name "
    "w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/><w:basedOn "
    "w:val=\"Normal\"/>"
    "<w:pPr><w:outlineLvl w:val=\"0\"/><w:jc w:val=\"center\"/></w:pPr><w:rPr><w:b/><w:sz "
    "w:val=\"32\"/>"
    "<w:color w:val=\"2E74B5\"/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Heading2\"><w:name w:val=\"heading 2\"/><w:basedOn "
    "w:val=\"Heading1\"/>"
    "<w:rPr><w:sz w:val=\"26\"/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Loop1\"><w:name w:val=\"Loop one\"/><w:basedOn "
    "w:val=\"Loop2\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Loop2\"><w:name w:val=\"Loop two\"/><w:basedOn "
    "w:val=\"Loop1\"/></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"Emph\"><w:name w:val=\"Emphasis\"/><w:rPr><w:i/>"
    "<w:highlight w:val=\"yellow\"/></w:rPr></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"Strong\"><w:name w:val=\"Strong\"/><w:rPr><w:b/>"
    "</w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Hidden\"><w:name w:val=\"Hidden\"/><w:rPr>"
    "<w:vanish/></w:rPr></w:style>");

// A run marked right to left or complex shows in its own bold, italic,
// size and font; others ignore them.
TEST(DocxStyles, RightToLeftRunsTakeTheirOwnBoldSizeAndFont) {
  const std::string both =
      "<w:b/><w:sz w:val=\"24\"/><w:bCs w:val=\"0\"/><w:iCs/>"
      "<w:szCs w:val=\"40\"/><w:rFonts w:ascii=\"Calibri\" w:cs=\"Arial\"/>";
  const word::Model m = read(p(r("ab", both) + r("\u05d0", "<w:rtl/>" + both) +
                               r("\u0627", "<w:cs/><w:szCs w:val=\"30\"/>")));
  const word::CharFormat &latin = formatAt(m, 0), &hebrew = formatAt(m, 2),
                         &arabic = formatAt(m, 3);
  EXPECT_TRUE(latin.bold && !latin.italic && latin.halfPoints == 24 && latin.font == u"Calibri");
  EXPECT_TRUE(!hebrew.bold && hebrew.italic && hebrew.halfPoints == 40 && hebrew.font == u"Arial");
  EXPECT_EQ(arabic.halfPoints, 30);
}

TEST(DocxStyles, DefaultsStyleChainAndDirectFormattingResolve) {
  word::Model m =
      read(p(r("Title") +
                 r("emph",
                   "<w:rStyle w:val=\"Emph\"/><w:b w:val=\"0\"/><w:u w:val=\"wavyHeavy\" "
                   "w:color=\"FF0000\"/>") +
                 r("strong", "<w:rStyle w:val=\"Strong\"/>"),
             "<w:pStyle w:val=\"Heading2\"/>") +
               p(r("body",
                   "<w:strike/><w:vertAlign w:val=\"superscript\"/><w:shd w:val=\"clear\" "
                   "w:fill=\"1F3864\"/>") +
                 r("strong", "<w:rStyle w:val=\"Strong\"/>")) +
               p(r("loop"), "<w:pStyle w:val=\"Loop1\"/>") +
               p(r("Title"), "<w:pStyle w:val=\"Heading2\"/>") + p("") +
               p("", "<w:rPr><w:sz w:val=\"8\"/></w:rPr>") + p("", "<w:pStyle w:val=\"Heading2\"/>") +
               p("", "<w:pStyle w:val=\"Heading2\"/><w:rPr><w:rStyle w:val=\"Emph\"/><w:b "
                     "w:val=\"0\"/></w:rPr>"),
           {{"word/styles.xml", kStyles}});
  ASSERT_GE(m.styles.size(), 4u);
  EXPECT_EQ(m.styles[0].name, u"Normal");
  const auto& h = m.main.paragraphs[0].format;
  EXPECT_EQ(m.styles[static_cast<size_t>(h.style)].name, u"heading 2");
  EXPECT_EQ(h.outlineLevel, 1);  // its name's level, not its base's
  EXPECT_EQ(h.align, word::Align::Center);
  int32_t base = m.styles[static_cast<size_t>(h.style)].basedOn;
  ASSERT_GE(base, 0);
  EXPECT_EQ(m.styles[static_cast<size_t>(base)].name, u"heading 1");

  const word::CharFormat& title = formatAt(m, 0);
  EXPECT_TRUE(title.bold);
  EXPECT_EQ(title.halfPoints, 26);
  EXPECT_EQ(title.color, 0x2E74B5u);
  EXPECT_EQ(title.font, u"Calibri");
  const word::CharFormat& emph = formatAt(m, 6);
  EXPECT_FALSE(emph.bold);  // direct formatting switches the style's bold off
  EXPECT_TRUE(emph.italic);
  EXPECT_TRUE(emph.underline);
  EXPECT_EQ(std::pair(emph.underlineStyle, emph.underlineColor),
            std::pair(word::UnderlineStyle::Wavy, 0xFF0000u));
  EXPECT_EQ(emph.highlight, 0xFFFF00u);
  EXPECT_FALSE(emph.shaded);  // a highlighter's
  // A character style's bold turns the heading's over; in plain text it
  // makes it bold.
  EXPECT_FALSE(formatAt(m, 9).bold);
  EXPECT_TRUE(formatAt(m, m.main.paragraphs[0].end + 4).bold);

  const word::CharFormat& body = formatAt(m, m.main.paragraphs[0].end);
  EXPECT_FALSE(body.bold);
  EXPECT_TRUE(body.strike);
  EXPECT_TRUE(body.superscript);
  EXPECT_EQ(body.highlight, 0x1F3864u);
  EXPECT_TRUE(body.shaded);
  EXPECT_EQ(body.halfPoints, 22);
  EXPECT_EQ(m.main.paragraphs[1].format.outlineLevel, 9);
  EXPECT_EQ(m.main.paragraphs[1].format.style, 0);
  // A basedOn cycle neither hangs nor loses the paragraph.
  EXPECT_EQ(paragraphText(m, 2), "loop");
  // An empty paragraph's mark has its own look, not the heading's before it.
  EXPECT_EQ(formatAt(m, m.main.paragraphs[4].end - 1).halfPoints, 22);
  EXPECT_EQ(formatAt(m, m.main.paragraphs[5].end - 1).halfPoints, 8);
  // The mark takes its paragraph style's look under its own and its
  // character style's, as a run there would.
  const word::CharFormat& styled = formatAt(m, m.main.paragraphs[6].end - 1);
  EXPECT_EQ(std::tuple(styled.halfPoints, styled.bold, styled.color), std::tuple(26, true, 0x2E74B5u));
  const word::CharFormat& own = formatAt(m, m.main.paragraphs[7].end - 1);
  EXPECT_EQ(std::tuple(own.halfPoints, own.bold, own.italic), std::tuple(26, false, true));

  // Text whose size nothing gives is 10 points, the default style's too,
  // with or without a styles part.
  const std::string unsized =
      docxtest::part("styles",
                     "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name "
                     "w:val=\"Normal\"/></w:style>");
  for (const word::Model& plain :
       {read(p(r("x"))), read(p(r("x")), {{"word/styles.xml", unsized}})}) {
    EXPECT_EQ(formatAt(plain, 0).halfPoints, 20);
    EXPECT_EQ(plain.styles[0].chars.halfPoints, 20);
  }
}

TEST(DocxStyles, HeadingNamesGiveLevelsAndIndentsAreRead) {
  std::string styles = docxtest::part(
      "styles",
      "<w:style w:type=\"paragraph\" w:styleId=\"H3\"><w:name w:val=\"Heading 3\"/><w:pPr>"
      "<w:tabs><w:tab w:val=\"left\" w:leader=\"underscore\" w:pos=\"1000\"/><w:tab w:val=\"right\" w:leader=\"dot\" "
      "w:pos=\"9000\"/></w:tabs></w:pPr></w:style>");
  // Tab stops: the style's last, aligning by the end, with its leader; a
  // stop of the paragraph's own cleared, leaving a left one last.
  word::Model m =
      read(p(r("x"),
             "<w:pStyle w:val=\"H3\"/><w:ind w:left=\"720\" w:right=\"360\" w:hanging=\"360\"/>"
             "<w:jc w:val=\"both\"/>") +
               p(r("y"),
                 "<w:outlineLvl w:val=\"4\"/><w:ind w:start=\"100\" w:firstLine=\"200\"/>"
                 "<w:jc w:val=\"end\"/><w:tabs><w:tab w:val=\"center\" w:pos=\"500\"/>"
                 "<w:tab w:val=\"left\" w:pos=\"800\"/></w:tabs>") +
               p(r("z"),
                 "<w:pStyle w:val=\"H3\"/><w:tabs><w:tab w:val=\"clear\" w:pos=\"9000\"/>"
                 "</w:tabs><w:jc w:val=\"distribute\"/>"),
           {{"word/styles.xml", styles}});
  EXPECT_EQ(m.main.paragraphs[0].format.tabEnd, 9000);
  EXPECT_EQ(m.main.paragraphs[0].format.tabLeader, word::TabLeader::Dots);
  EXPECT_EQ(m.main.paragraphs[2].format.tabEnd, 0);
  // The first stop, aligning by the start; none where the first centres.
  for (size_t i : {0, 2}) {
    EXPECT_EQ(m.main.paragraphs[i].format.tabStart, 1000);
    EXPECT_EQ(m.main.paragraphs[i].format.tabStartLeader, word::TabLeader::Line);
  }
  EXPECT_EQ(m.main.paragraphs[1].format.tabStart, 0);
  const auto& a = m.main.paragraphs[0].format;
  EXPECT_EQ(a.outlineLevel, 2);
  EXPECT_EQ(a.indentLeft, 720);
  EXPECT_EQ(a.indentRight, 360);
  EXPECT_EQ(a.indentFirst, -360);
  EXPECT_EQ(a.align, word::Align::Justify);
  const auto& b = m.main.paragraphs[1].format;
  EXPECT_EQ(b.outlineLevel, 4);
  EXPECT_EQ(b.indentLeft, 100);
  EXPECT_EQ(b.indentFirst, 200);
  EXPECT_EQ(b.align, word::Align::Right);
  EXPECT_EQ(m.main.paragraphs[2].format.align, word::Align::Distribute);
}

// Stops keep how they align the text after them; alignment tabs are
// stops of their own in the middle or at the end of the line, between the
// page's margins (a page 8.5 inches wide, with inch margins) or the
// indents.
TEST(DocxStyles, TabStopsKeepHowTheyAlignAndAlignmentTabsAreStops) {
  using word::TabAlign, word::TabLeader;
  const std::string ptab =
      "<w:r><w:t>a</w:t><w:ptab w:relativeTo=\"margin\" "
      "w:alignment=\"center\" w:leader=\"none\"/><w:t>b</w:t><w:ptab "
      "w:relativeTo=\"indent\" w:alignment=\"right\" w:leader=\"dot\"/>"
      "<w:t>c</w:t></w:r>";
  const word::Model m = read(
      p(r("x"),
        "<w:tabs><w:tab w:val=\"center\" w:pos=\"4680\"/><w:tab w:val=\"right\" "
        "w:pos=\"9360\"/></w:tabs>") +
      p(r("y"), "<w:tabs><w:tab w:val=\"decimal\" w:leader=\"dot\" w:pos=\"2880\"/></w:tabs>") +
      p(ptab, "<w:ind w:left=\"720\" w:right=\"360\"/>") +
      "<w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/><w:pgMar w:left=\"1440\" "
      "w:right=\"1440\"/></w:sectPr>");
  const std::tuple<int16_t, TabAlign, TabLeader, int16_t, TabAlign> wants[] = {
      {9360, TabAlign::End, TabLeader::None, 4680, TabAlign::Centre},
      {2880, TabAlign::Decimal, TabLeader::Dots, 0, TabAlign::Start},
      {9000, TabAlign::End, TabLeader::Dots, 4680, TabAlign::Centre},
  };
  ASSERT_EQ(m.main.paragraphs.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const word::ParagraphFormat& f = m.main.paragraphs[i].format;
    EXPECT_EQ(std::tuple(f.tabEnd, f.tabEndAlign, f.tabLeader, f.tabStops[0], f.tabAlign(0)),
              wants[i])
        << i;
  }
}

std::string level(int i, const char* fmt, const char* text, const std::string& extra = "") {
  return "<w:lvl w:ilvl=\"" + std::to_string(i) + "\"><w:start w:val=\"1\"/><w:numFmt w:val=\"" +
         fmt + "\"/><w:lvlText w:val=\"" + text + "\"/>" + extra + "</w:lvl>";
}

std::string item(const std::string& t, int numId, int ilvl = 0) {
  return p(r(t), "<w:numPr><w:ilvl w:val=\"" + std::to_string(ilvl) + "\"/><w:numId w:val=\"" +
                     std::to_string(numId) + "\"/></w:numPr>");
}

TEST(DocxLists, LabelsComeFromTheNumberingDefinitions) {
  std::string numbering = docxtest::part(
      "numbering",
      "<w:abstractNum w:abstractNumId=\"0\">" + level(0, "decimal", "%1.") +
          level(1, "lowerLetter", "%1.%2)") +
          level(2, "upperRoman", "(%3)", "<w:lvlRestart w:val=\"0\"/>") +
          "</w:abstractNum>"
          "<w:abstractNum w:abstractNumId=\"1\">" +
          level(0, "bullet", "\xEF\x82\xB7",
                "<w:rPr><w:rFonts w:ascii=\"Symbol\" w:hAnsi=\"Symbol\"/></w:rPr>") +
          "</w:abstractNum>"
          "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>"
          "<w:num w:numId=\"2\"><w:abstractNumId w:val=\"0\"/><w:lvlOverride w:ilvl=\"0\">"
          "<w:startOverride w:val=\"10\"/></w:lvlOverride></w:num>"
          "<w:num w:numId=\"3\"><w:abstractNumId w:val=\"0\"/></w:num>"
          "<w:num w:numId=\"4\"><w:abstractNumId w:val=\"1\"/></w:num>");
  word::Model m = read(item("a", 1) + item("b", 1) + item("b1", 1, 1) + item("b1x", 1, 2) +
                           item("b2", 1, 1) + item("c", 1) + item("c1", 1, 1) + item("c1x", 1, 2) +
                           p(r("plain")) + item("ten", 2) + item("eleven", 2) + item("d", 3) +
                           item("dot", 4) + item("none", 0) + item("undefined", 9),
                       {{"word/numbering.xml", numbering}});
  std::vector<std::string> labels;
  for (const auto& para : m.main.paragraphs) labels.push_back(word::u8(para.format.listLabel));
  std::vector<std::string> expected = {"1.",   "2.",  "2.a)", "(I)", "2.b)",         "3.", "3.a)",
                                       "(II)",  // lvlRestart 0: never restarts
                                       "",     "10.", "11.",  "4.",  "\xE2\x80\xA2", "",   ""};
  EXPECT_EQ(labels, expected);
  const auto& f = m.main.paragraphs;
  EXPECT_TRUE(f[0].format.listOrdered);
  EXPECT_EQ(f[2].format.listLevel, 1);
  EXPECT_EQ(f[0].format.listId, f[11].format.listId);  // numId 3 continues numId 1
  EXPECT_NE(f[0].format.listId, f[9].format.listId);   // numId 2 restarts at 10
  EXPECT_FALSE(f[12].format.listOrdered);
  EXPECT_EQ(f[8].format.listId, -1);
  EXPECT_EQ(f[13].format.listId, -1);
  EXPECT_EQ(f[14].format.listId, -1);
  std::string t = text(m);
  EXPECT_NE(t.find("2.a)\tb1\r\n"), std::string::npos) << t;
  EXPECT_NE(t.find("\r\n\xE2\x80\xA2\tdot\r\n"), std::string::npos) << t;
}

// An item hidden whole still counts its number, as the word processor
// counts it (a list skips numbers so); one whose mark is deleted is gone,
// its number too, its text running on into the next item.
TEST(DocxLists, AHiddenItemCountsItsNumberADeletedOneNot) {
  const std::string numbering = docxtest::part(
      "numbering", "<w:abstractNum w:abstractNumId=\"0\">" + level(0, "decimal", "%1.") +
                       "</w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/>"
                       "</w:num>");
  const struct {
    std::string mark, text;
    std::string label;
  } cases[] = {{"<w:vanish/>", "three", "3."},
               {"<w:del w:id=\"9\" w:author=\"x\"/>", "twothree", "2."}};
  for (const auto& c : cases) {
    const word::Model m = read(item("one", 1) +
                                   p(r("two", c.mark),
                                     "<w:numPr><w:ilvl w:val=\"0\"/><w:numId "
                                     "w:val=\"1\"/></w:numPr><w:rPr>" +
                                         c.mark + "</w:rPr>") +
                                   item("three", 1),
                               {{"word/numbering.xml", numbering}});
    ASSERT_EQ(m.main.paragraphs.size(), 2u) << c.mark;
    EXPECT_EQ(paragraphText(m, 1), c.text);
    EXPECT_EQ(word::u8(m.main.paragraphs[1].format.listLabel), c.label) << c.mark;
  }
}

TEST(DocxLists, HeadingStylesTakeTheLevelThatNamesThemItsFollowerAndLook) {
  std::string numbering = docxtest::part(
      "numbering",
      "<w:abstractNum w:abstractNumId=\"0\">" +
          level(0, "decimal", "%1",
                "<w:pStyle w:val=\"H1\"/><w:suff w:val=\"nothing\"/><w:rPr><w:b/><w:i "
                "w:val=\"0\"/><w:sz w:val=\"28\"/><w:color w:val=\"C00000\"/></w:rPr>") +
          level(1, "decimal", "%1.%2", "<w:pStyle w:val=\"H2\"/><w:suff w:val=\"space\"/>") +
          "</w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>");
  std::string styles = docxtest::part(
      "styles",
      "<w:style w:type=\"paragraph\" w:styleId=\"H1\"><w:name w:val=\"heading 1\"/><w:pPr><w:numPr>"
      "<w:numId w:val=\"1\"/></w:numPr></w:pPr></w:style>"
      "<w:style w:type=\"paragraph\" w:styleId=\"H2\"><w:name w:val=\"heading 2\"/><w:basedOn "
      "w:val=\"H1\"/>"
      "</w:style>");
  auto h = [](const char* style, const char* t) {
    return p(r(t), std::string("<w:pStyle w:val=\"") + style + "\"/>");
  };
  word::Model m = read(h("H1", "a") + h("H2", "b") + h("H2", "c") + h("H1", "d") + h("H2", "e"),
                       {{"word/numbering.xml", numbering}, {"word/styles.xml", styles}});
  // A level's label followed by nothing, or by a space, not by a tab.
  EXPECT_EQ(text(m), "1a\r\n1.1 b\r\n1.2 c\r\n2d\r\n2.1 e\r\n");
  EXPECT_EQ(m.main.paragraphs[1].format.listLevel, 1);
  EXPECT_EQ(m.main.paragraphs[1].format.outlineLevel, 1);
  // The first level's labels bold, upright, 14 points and red; the
  // second's as their text.
  const word::ParagraphFormat& first = m.main.paragraphs[0].format;
  EXPECT_EQ(first.labelLook, word::kLabelBoldSet | word::kLabelBold | word::kLabelItalicSet);
  EXPECT_EQ(first.labelHalfPoints, 28);
  EXPECT_EQ(first.labelColor, 0xC00000u);
  const word::ParagraphFormat& second = m.main.paragraphs[1].format;
  EXPECT_EQ(second.labelLook | second.labelHalfPoints, 0);
  EXPECT_EQ(second.labelColor, word::kAutoColor);
}

// A label takes what the paragraph's mark is given (the level's own look
// over it), not its text's.
TEST(DocxLists, LabelsTakeTheirMarksLook) {
  std::string numbering = docxtest::part(
      "numbering",
      "<w:abstractNum w:abstractNumId=\"0\">" +
          level(0, "decimal", "%1.", "<w:rPr><w:i w:val=\"0\"/></w:rPr>") +
          "</w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>");
  const std::string numPr = "<w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr>";
  word::Model m = read(p(r("plain mark", "<w:color w:val=\"0000FF\"/>"), numPr) +
                           p(r("coloured mark"), numPr + "<w:rPr><w:b/><w:i/><w:color "
                                                         "w:val=\"00B050\"/></w:rPr>"),
                       {{"word/numbering.xml", numbering}});
  const auto& ps = m.main.paragraphs;
  EXPECT_EQ(ps[0].format.labelColor, word::kAutoColor);  // the text's colour is not the mark's
  EXPECT_EQ(ps[0].format.labelLook, word::kLabelItalicSet);
  EXPECT_EQ(ps[1].format.labelColor, 0x00B050u);
  EXPECT_EQ(ps[1].format.labelLook, word::kLabelBoldSet | word::kLabelBold | word::kLabelItalicSet);
}

TEST(DocxLists, NumberFormats) {
  const struct {
    int number;
    const char* format;
    std::u16string text;
  } cases[] = {{4, "lowerRoman", u"iv"},     {1994, "upperRoman", u"MCMXCIV"},
               {28, "lowerLetter", u"bb"},   {26, "upperLetter", u"Z"},
               {3, "decimalZero", u"03"},    {12, "ordinal", u"12th"},
               {22, "ordinal", u"22nd"},     {21, "cardinalText", u"Twenty-one"},
               {3, "ordinalText", u"Third"}, {6, "chicago", u"\u2020\u2020"},
               {7, "bullet", u""},           {5000, "upperRoman", u"5000"},
               {7, "someFutureFormat", u"7"}};
  for (const auto& c : cases)
    EXPECT_EQ(word::read::docx::formatNumber(c.number, c.format), c.text)
        << c.number << " " << c.format;
}

std::string tc(const std::string& content, const std::string& tcPr = "") {
  return "<w:tc>" + (tcPr.empty() ? "" : "<w:tcPr>" + tcPr + "</w:tcPr>") + content + "</w:tc>";
}

TEST(DocxTables, SpansMergesWidthsAndNesting) {
  std::string nested = "<w:tbl><w:tr>" + tc(p(r("n1")), "<w:tcW w:w=\"700\" w:type=\"dxa\"/>") +
                       tc(p(r("n2"))) + "</w:tr></w:tbl>";
  std::string body =
      "<w:tbl><w:tblGrid><w:gridCol w:w=\"1000\"/><w:gridCol w:w=\"2000\"/><w:gridCol "
      "w:w=\"3000\"/></w:tblGrid>"
      "<w:tr><w:trPr><w:tblHeader/></w:trPr>" +
      tc(p(r("wide")), "<w:gridSpan w:val=\"2\"/>") +
      tc(p(r("tall")), "<w:vMerge w:val=\"restart\"/>") + "</w:tr><w:tr>" +
      tc(p(r("a")), "<w:tcW w:w=\"900\" w:type=\"dxa\"/>") + tc(nested + p("")) +
      tc(p(""), "<w:vMerge/>") + "</w:tr>" +
      "<w:tr><w:trPr><w:del w:id=\"1\" w:author=\"x\"/></w:trPr>" + tc(p(r("deleted row"))) +
      "</w:tr>" + "<w:sdt><w:sdtContent><w:tr>" + tc(p(r("in sdt"))) +
      "</w:tr></w:sdtContent></w:sdt></w:tbl>" + p(r("after"));
  word::Model m = read(body);
  ASSERT_EQ(m.main.tables.size(), 2u);
  const word::Table& t = m.main.tables[0];
  EXPECT_EQ(t.depth, 1);
  ASSERT_EQ(t.rows.size(), 3u);
  ASSERT_EQ(t.rows[0].cells.size(), 2u);
  EXPECT_EQ(t.rows[0].cells[0].gridSpan, 2);
  EXPECT_EQ(t.rows[0].cells[0].width, 3000);  // from the grid
  EXPECT_TRUE(t.rows[0].header);
  EXPECT_FALSE(t.rows[1].header);
  EXPECT_EQ(t.rows[0].cells[1].vmerge, word::VMerge::Restart);
  EXPECT_EQ(t.rows[0].cells[1].width, 3000);
  ASSERT_EQ(t.rows[1].cells.size(), 3u);
  EXPECT_EQ(t.rows[1].cells[0].width, 1000);  // the grid's, not the 900 it asks for
  EXPECT_EQ(t.rows[1].cells[2].vmerge, word::VMerge::Continue);
  const word::Table& n = m.main.tables[1];
  EXPECT_EQ(n.depth, 2);
  EXPECT_EQ(n.rows[0].cells[0].width, 700);  // no grid: its own
  EXPECT_GT(n.start, t.rows[1].cells[1].start - 1);
  EXPECT_LT(n.end, t.rows[1].cells[1].end);
  std::string s = text(m);
  EXPECT_EQ(s.find("deleted row"), std::string::npos);
  EXPECT_NE(s.find("wide\ttall\r\n"), std::string::npos) << s;
  EXPECT_NE(s.find("in sdt"), std::string::npos);
  EXPECT_NE(s.find("after"), std::string::npos);
}

// Rows starting at a later grid column keep their cells under the columns
// they belong to, a merge down into such a row included, and the grid's
// widths hold when the first row is one of them.
TEST(DocxTables, RowsStartingAtALaterColumn) {
  auto cell = [](const std::string& t, const std::string& pr = "") {
    return tc(p(r(t)), "<w:tcW w:w=\"1000\" w:type=\"dxa\"/>" + pr);
  };
  const std::string later = "<w:trPr><w:gridBefore w:val=\"1\"/></w:trPr>";
  const std::string body =
      "<w:tbl><w:tblGrid><w:gridCol w:w=\"500\"/><w:gridCol w:w=\"1000\"/><w:gridCol "
      "w:w=\"1000\"/></w:tblGrid><w:tr>" +
      later + cell("B1") + cell("C1", "<w:vMerge w:val=\"restart\"/>") + "</w:tr><w:tr>" + later +
      cell("B2") + cell("", "<w:vMerge/>") + "</w:tr><w:tr>" + cell("A3") + cell("B3") +
      cell("C3") + "</w:tr></w:tbl>" + p(r("after"));
  word::Model m = read(body);
  ASSERT_EQ(m.main.tables.size(), 1u);
  EXPECT_EQ(m.main.tables[0].rows[0].skipBefore, 1);
  EXPECT_EQ(m.main.tables[0].rows[2].skipBefore, 0);
  const std::string page = word::write::html(m, "p_files", u"t").text;
  EXPECT_NE(page.find("<col style=\"width:2.083333rem\"><col style=\"width:4.166667rem\"><col "
                      "style=\"width:4.166667rem\">"),
            std::string::npos)
      << page;
  EXPECT_EQ(page.find("<td colspan=\"1\" style=\"border:none;padding:0\"></td>", page.find("<tr")),
            page.find("<tr") + 4)
      << page;
  EXPECT_NE(page.find("rowspan=\"2\""), std::string::npos) << page;
}

TEST(DocxFields, OnlyResultsShowAndHyperlinkFieldsLinkTheirRuns) {
  auto fld = [](const char* type) {
    return std::string("<w:r><w:fldChar w:fldCharType=\"") + type + "\"/></w:r>";
  };
  auto instr = [](const std::string& code) {
    return "<w:r><w:instrText xml:space=\"preserve\">" + code + "</w:instrText></w:r>";
  };
  std::string body =
      p(r("A ") + fld("begin") + instr(" IF ") + fld("begin") + instr(" MERGEFIELD x ") +
        fld("separate") + r("inner") + fld("end") + instr(" = 1 \"y\" ") + fld("separate") +
        r("result") + fld("end") + r(" B")) +
      p(fld("begin") + instr(" HYPERLINK \\l \"target\" \\o \"Go there\" ") + fld("separate") +
        r("jump") + fld("end") + fld("begin") + instr(" PAGE ") + fld("end")) +
      p("<w:fldSimple w:instr=\" HYPERLINK &quot;http://example.org/a&quot; \">" + r("simple") +
        "</w:fldSimple>" + "<w:fldSimple w:instr=\" DATE \">" + r("today") + "</w:fldSimple>");
  // Form fields without results: a box, crossed when checked, and a
  // drop-down's chosen entry, drawn from their settings.
  auto form = [&](const std::string& settings, const char* code) {
    return "<w:r><w:fldChar w:fldCharType=\"begin\"><w:ffData>" + settings +
           "</w:ffData></w:fldChar></w:r>" + instr(code) + fld("separate") + fld("end");
  };
  body +=
      p(form("<w:checkBox><w:default w:val=\"1\"/></w:checkBox>", " FORMCHECKBOX ") +
        form("<w:checkBox><w:default/><w:checked w:val=\"0\"/></w:checkBox>", " FORMCHECKBOX ") +
        form("<w:ddList><w:result w:val=\"1\"/><w:listEntry w:val=\"one\"/>"
             "<w:listEntry w:val=\"two\"/></w:ddList>",
             " FORMDROPDOWN ") +
        fld("begin") + instr(" FORMCHECKBOX ") + fld("end"));
  word::Model m = read(body);
  EXPECT_EQ(paragraphText(m, 3), "\u2612\u2610two\u2610");
  EXPECT_TRUE(m.losses.empty());
  EXPECT_EQ(paragraphText(m, 0), "A result B");
  EXPECT_EQ(paragraphText(m, 1), "jump");
  EXPECT_EQ(formatAt(m, m.main.paragraphs[0].end).hyperlink, u"#target");
  EXPECT_EQ(formatAt(m, m.main.paragraphs[0].end).linkTitle, u"Go there");
  EXPECT_EQ(paragraphText(m, 2), "simpletoday");
  uint32_t third = m.main.paragraphs[1].end;
  EXPECT_EQ(formatAt(m, third).hyperlink, u"http://example.org/a");
  EXPECT_EQ(formatAt(m, third + 6).hyperlink, u"");
}

TEST(DocxLinks, ExternalAndInternalHyperlinksAndBookmarks) {
  std::string rels = docxtest::relationship("rL", "hyperlink", "https://example.com/x?y=1", true);
  std::string body = p("<w:hyperlink r:id=\"rL\" w:tooltip=\"Tip &amp; &quot;%A=1&quot;\">" +
                       r("out") + "</w:hyperlink>" + r(" mid ") +
                       "<w:hyperlink w:anchor=\"here\">" + r("in") + "</w:hyperlink>") +
                     p("<w:bookmarkStart w:id=\"0\" w:name=\"here\"/>" + r("target") +
                       "<w:bookmarkEnd w:id=\"0\"/>" + "<w:bookmarkEnd w:id=\"7\"/>");
  word::Model m = read(body, {}, rels);
  EXPECT_EQ(formatAt(m, 0).hyperlink, u"https://example.com/x?y=1");
  EXPECT_EQ(formatAt(m, 4).hyperlink, u"");
  EXPECT_EQ(formatAt(m, 9).hyperlink, u"#here");
  EXPECT_EQ(formatAt(m, 9).linkTitle, u"");
  // The tip is the link's title on the page, its "%" no link marker there.
  EXPECT_NE(
      word::write::html(m, "p_files", u"t")
          .text.find(
              "<a href=\"https://example.com/x?y=1\" title=\"Tip &amp; &quot;&#37;A=1&quot;\">"),
      std::string::npos);
  ASSERT_EQ(m.main.bookmarks.size(), 1u);
  EXPECT_EQ(m.main.bookmarks[0].name, u"here");
  EXPECT_EQ(m.main.bookmarks[0].start, m.main.paragraphs[0].end);
  EXPECT_EQ(m.main.bookmarks[0].end, m.main.paragraphs[0].end + 6);
  // A tip past the longest kept is cut at a whole character, not in an emoji.
  const std::string tip = std::string(word::kMaxLinkTitle - 1, 'a') + "\xF0\x9F\x98\x80";
  const word::Model cut = read(p("<w:hyperlink w:anchor=\"here\" w:tooltip=\"" + tip + "\">" +
                                 r("in") + "</w:hyperlink>"));
  EXPECT_EQ(formatAt(cut, 0).linkTitle, std::u16string(word::kMaxLinkTitle - 1, u'a'));
}

// A target that would run in the player, in each of the forms a link takes:
// its text stays, plain; a web link beside it stays a link.
TEST(DocxLinks, ScriptTargetsLeaveTheirTextPlainInEveryForm) {
  auto fld = [](const char* type) {
    return std::string("<w:r><w:fldChar w:fldCharType=\"") + type + "\"/></w:r>";
  };
  for (const std::string target :
       {"javascript:alert(1)", " JavaScript:alert(1)", "java&#9;script:x", "vbscript:msgbox(1)",
        "data:text/html,&lt;b&gt;", "JAVASCRIPT:x"}) {
    SCOPED_TRACE(target);
    const std::string rels =
        docxtest::relationship("rJ", "hyperlink", target, true) +
        docxtest::relationship("rW", "hyperlink", "https://example.com/", true);
    const std::string body =
        p("<w:hyperlink r:id=\"rJ\">" + r("one") + "</w:hyperlink>" +
          "<w:fldSimple w:instr=\" HYPERLINK &quot;" + target + "&quot; \">" + r("two") +
          "</w:fldSimple>" + fld("begin") + "<w:r><w:instrText> HYPERLINK \"" + target +
          "\" </w:instrText></w:r>" + fld("separate") + r("three") + fld("end") +
          "<w:hyperlink r:id=\"rW\">" + r("web") + "</w:hyperlink>");
    word::Model m = read(body, {}, rels);
    EXPECT_EQ(paragraphText(m, 0), "onetwothreeweb");
    for (uint32_t at : {0u, 3u, 6u}) EXPECT_EQ(formatAt(m, at).hyperlink, u"") << at;
    const std::string page = word::write::html(m, "p_files", u"t").text;
    EXPECT_EQ(page.find("script:"), std::string::npos) << page;
    EXPECT_EQ(page.find("data:"), std::string::npos) << page;
    EXPECT_NE(page.find("<a href=\"https://example.com/\">web</a>"), std::string::npos) << page;
  }
}

TEST(DocxText, BreaksTabsSymbolsAndSpecialCharacters) {
  std::string body =
      p("<w:r><w:t>a</w:t><w:br/><w:t>b</w:t><w:br w:type=\"page\"/><w:t>c</w:t>"
        "<w:br w:type=\"column\"/><w:tab/><w:t>d</w:t><w:cr/><w:noBreakHyphen/>"
        "<w:sym w:font=\"Wingdings\" w:char=\"F0E0\"/><w:sym w:font=\"Wingdings\" "
        "w:char=\"F096\"/><w:softHyphen/>"
        "<w:t xml:space=\"preserve\"> </w:t><w:t>&#x5;x&#xA0;y</w:t></w:r>") +
      // White space at a w:t's ends counts only where it is kept.
      p("<w:r><w:t>6 </w:t><w:t xml:space=\"preserve\"> (1) </w:t><w:t> x\n</w:t></w:r>") +
      // A mark hidden as a style separator runs its paragraph into the next.
      p(r("Run-in. "), "<w:rPr><w:specVanish/></w:rPr>") + p(r("Text"));
  word::Model m = read(body);
  // A symbol known as a character shows as that in the run's font; another
  // keeps its glyph's code point in its own font.
  EXPECT_EQ(m.main.text,
            u"a\vb\fc\x0e\td\v\u2011\u27a2\uf096\u00ad x\u00a0y\r6 (1) x\rRun-in. Text\r");
  EXPECT_EQ(formatAt(m, 10).font, u"");
  EXPECT_EQ(formatAt(m, 11).font, u"Wingdings");
}

TEST(DocxChanges, InsertionsStayDeletionsAndMovesAwayGo) {
  std::string delMark = "<w:rPr><w:del w:id=\"9\" w:author=\"x\"/></w:rPr>";
  std::string body =
      p(r("keep ") + "<w:ins w:id=\"1\" w:author=\"x\">" + r("inserted ") + "</w:ins>" +
        "<w:del w:id=\"2\" w:author=\"x\"><w:r><w:delText>deleted </w:delText></w:r></w:del>" +
        "<w:moveFrom w:id=\"3\" w:author=\"x\">" + r("moved away ") + "</w:moveFrom>" +
        "<w:moveTo w:id=\"4\" w:author=\"x\">" + r("moved here") + "</w:moveTo>") +
      p(r("joined "), delMark) + p(r("to next")) + "<w:del w:id=\"5\" w:author=\"x\">" +
      p(r("gone block")) + "</w:del>" +
      p("<w:r><w:rPr><w:vanish/></w:rPr><w:t>hidden</w:t></w:r>" + r("shown")) +
      // Paragraphs hidden whole, by their marks' or their style's
      // properties, leave no line, before a table too.
      p(r("gone", "<w:vanish/>"), "<w:rPr><w:vanish/></w:rPr>") +
      p(r("by style"), "<w:pStyle w:val=\"Hidden\"/>") + p(r("end")) +
      p(r("before table"), "<w:pStyle w:val=\"Hidden\"/>") + "<w:tbl><w:tr><w:tc>" +
      p(r("cell")) + "</w:tc></w:tr></w:tbl>";
  word::Model m = read(body, {{"word/styles.xml", kStyles}});
  EXPECT_EQ(m.main.text, u"keep inserted moved here\rjoined to next\rshown\rend\rcell\a\a\r");
}

TEST(DocxContainers, ContentControlsTagsAndAlternateContentShowOnce) {
  std::string box = "<w:txbxContent>" + p(r("boxed")) + p(r("more")) + "</w:txbxContent>";
  std::string body =
      "<w:sdt><w:sdtPr/><w:sdtContent>" + p(r("block sdt")) + "</w:sdtContent></w:sdt>" +
      p("<w:smartTag w:element=\"x\">" + r("tag ") + "</w:smartTag><w:customXml w:element=\"y\">" +
        r("custom ") + "</w:customXml><w:sdt><w:sdtContent>" + r("inline") +
        "</w:sdtContent></w:sdt>" +
        "<w:commentRangeStart w:id=\"0\"/><w:r><w:commentReference w:id=\"0\"/></w:r>") +
      p("<mc:AlternateContent><mc:Choice Requires=\"wps\"><w:r><w:drawing><wp:anchor "
        "distR=\"127000\"><wp:extent cx=\"1905000\" cy=\"914400\"/><wp:wrapSquare "
        "wrapText=\"bothSides\"/>"
        "<a:graphic><a:graphicData><wps:wsp><wps:spPr><a:prstGeom prst=\"rect\"/><a:solidFill>"
        "<a:srgbClr val=\"4472C4\"/></a:solidFill><a:ln w=\"12700\"><a:solidFill><a:srgbClr "
        "val=\"1F3864\"/></a:solidFill></a:ln></wps:spPr><wps:txbx>" +
        box +
        "</wps:txbx></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing></w:r></"
        "mc:Choice>"
        "<mc:Fallback><w:r><w:pict><v:shape><v:textbox>" +
        box + "</v:textbox></v:shape></w:pict></w:r></mc:Fallback></mc:AlternateContent>" +
        r("anchor")) +
      p("<mc:AlternateContent><mc:Choice Requires=\"unknownNs\">" + r("choice") +
        "</mc:Choice><mc:Fallback>" + r("fallback") + "</mc:Fallback></mc:AlternateContent>") +
      p(r("framed"), "<w:framePr w:wrap=\"around\" w:vAnchor=\"text\"/>");
  word::Model m = read(body);
  EXPECT_EQ(paragraphText(m, 0), "block sdt");
  EXPECT_EQ(paragraphText(m, 1), "tag custom inline");
  EXPECT_EQ(paragraphText(m, 2), "anchor");
  EXPECT_EQ(paragraphText(m, 3), "boxed");  // after its anchor, once
  EXPECT_EQ(paragraphText(m, 4), "more");
  for (size_t k : {3, 4}) {
    SCOPED_TRACE(k);
    const word::ParagraphFormat& boxed = m.main.paragraphs[k].format;
    EXPECT_TRUE(boxed.textBox);
    EXPECT_FALSE(boxed.inFrame);  // not the main text's
    // Each in its shape's fill, framed by its line (a point wide).
    EXPECT_EQ(boxed.shading, 0x4472C4u);
    EXPECT_EQ(boxed.borderSides,
              word::kBorderTop | word::kBorderLeft | word::kBorderBottom | word::kBorderRight);
    EXPECT_EQ(boxed.border, (word::Border{word::LineStyle::Single, 8, 0, 0x1F3864}));
    // The text wraps around it at the left: it floats there at its width,
    // at least an inch tall (in fours of points), ten points from the
    // text, its first paragraph opening its box.
    EXPECT_EQ(boxed.frame, word::FrameSide::Left);
    EXPECT_EQ(boxed.frameWidth, 3000);
    EXPECT_EQ(boxed.frameHeight, 18);
    EXPECT_EQ(boxed.frameAside, 10);
    EXPECT_EQ(boxed.frameOpens, k == 3);
  }
  EXPECT_FALSE(m.main.paragraphs[2].format.textBox);
  EXPECT_EQ(paragraphText(m, 5), "fallback");
  EXPECT_TRUE(m.main.paragraphs[6].format.textBox);
  EXPECT_TRUE(m.main.paragraphs[6].format.inFrame);  // the main text's, floating
  // Plain text leaves floating text out.
  std::string t = text(m);
  EXPECT_EQ(t.find("boxed"), std::string::npos);
  EXPECT_EQ(t.find("framed"), std::string::npos);
  EXPECT_NE(t.find("anchor"), std::string::npos);
}

TEST(DocxNotes, FootnotesAndEndnotesAreNotesWithTheirLabels) {
  std::string footnotes = docxtest::part(
      "footnotes", "<w:footnote w:type=\"separator\" w:id=\"-1\">" +
                       p("<w:r><w:separator/></w:r>") + "</w:footnote>" +
                       "<w:footnote w:id=\"1\">" +
                       p("<w:r><w:footnoteRef/></w:r>" + r(" first note")) + "</w:footnote>" +
                       "<w:footnote w:id=\"2\">" + p(r("*") + r("second note")) + "</w:footnote>");
  std::string endnotes =
      docxtest::part("endnotes", "<w:endnote w:id=\"5\">" + p(r("an endnote")) + "</w:endnote>");
  std::string body =
      p(r("a") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>" + r("b") +
        "<w:r><w:footnoteReference w:customMarkFollows=\"1\" w:id=\"2\"/><w:t>*</w:t></w:r>" +
        r("c") + "<w:r><w:endnoteReference w:id=\"5\"/></w:r>" +
        "<w:r><w:footnoteReference w:id=\"404\"/></w:r>" +
        "<w:r><w:footnoteReference w:id=\"1\"/></w:r>");
  word::Model m = read(body, {{"word/footnotes.xml", footnotes}, {"word/endnotes.xml", endnotes}});
  ASSERT_EQ(m.notes.size(), 5u);
  EXPECT_EQ(m.notes[0].label, u"1");
  EXPECT_EQ(word::u8(m.notes[0].body.text), " first note\r");
  EXPECT_EQ(m.notes[1].label, u"*");
  EXPECT_EQ(word::u8(m.notes[1].body.text), "second note\r");  // its typed mark once, as label
  EXPECT_TRUE(m.notes[2].endnote);
  EXPECT_EQ(m.notes[2].label, u"i");
  EXPECT_EQ(m.notes[3].label, u"2");  // a missing note still counts
  // A second reference to one note is read as a missing one: a file of a
  // hundred would copy a long note a hundred times.
  EXPECT_EQ(m.notes[4].label, u"3");
  EXPECT_EQ(m.notes[4].body.text, m.notes[3].body.text);
  EXPECT_EQ(text(m), "a1b*ci23\r\n");
}

// A section's note settings count over the document's: its number
// format, its start in the first section, a new count where it restarts.
TEST(DocxNotes, EachSectionNumbersItsNotesAsItSays) {
  std::string notes, refs[4];
  for (int i = 0; i < 4; ++i) {
    notes += "<w:footnote w:id=\"" + std::to_string(i + 1) + "\">" + p(r("n")) + "</w:footnote>";
    refs[i] = "<w:r><w:footnoteReference w:id=\"" + std::to_string(i + 1) + "\"/></w:r>";
  }
  auto section = [](const std::string& footnotePr) {
    return "<w:sectPr><w:footnotePr>" + footnotePr + "</w:footnotePr></w:sectPr>";
  };
  const word::Model m =
      read(p(r("a") + refs[0] + refs[1],
             section("<w:numFmt w:val=\"lowerLetter\"/><w:numStart w:val=\"3\"/>")) +
               p(r("b") + refs[2], section("")) + p(r("c") + refs[3]) +
               section("<w:numFmt w:val=\"upperRoman\"/><w:numRestart w:val=\"eachSect\"/>"),
           {{"word/footnotes.xml", docxtest::part("footnotes", notes)},
            {"word/settings.xml",
             docxtest::part("settings",
                            "<w:footnotePr><w:numFmt w:val=\"upperLetter\"/></w:footnotePr>")}});
  std::vector<std::u16string> labels;
  for (const word::Note& n : m.notes) labels.push_back(n.label);
  EXPECT_EQ(labels, (std::vector<std::u16string>{u"c", u"d", u"E", u"I"}));
}

const std::string kPng = std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + std::string(20, '\0');

TEST(DocxPictures, InlineAnchoredAndVmlPicturesWithTheirSize) {
  std::string rels = docxtest::relationship("rP", "image", "media/image1.png") +
                     docxtest::relationship("rX", "image", "media/unknown.bin") +
                     docxtest::relationship("rE", "image", "http://example.com/i.png", true) +
                     docxtest::relationship("rM", "image", "media/missing.png");
  auto drawing = [](const char* kind, const char* id, const std::string& effects = "",
                    const std::string& crop = "") {
    return std::string("<w:r><w:drawing><wp:") + kind +
           "><wp:extent cx=\"952500\" cy=\"476250\"/>" +
           (kind == std::string("anchor")
                ? "<wp:positionH relativeFrom=\"column\"><wp:align>right</wp:align></wp:positionH>"
                  "<wp:wrapSquare wrapText=\"bothSides\"/>"
                : "") +
           "<wp:docPr id=\"1\" name=\"p\" descr=\"a cat\"/><a:graphic>"
           "<a:graphicData><pic:pic><pic:blipFill><a:blip r:embed=\"" +
           id + "\">" + effects + "</a:blip>" + crop +
           "</pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:" + kind +
           "></w:drawing></w:r>";
  };
  // Washed out and cropped (a tenth off the left, a frame above), and in
  // grey with a tenth off the right and a quarter off the top.
  std::string body =
      p(r("x") + drawing("inline", "rP") +
        drawing("anchor", "rP", "<a:lum bright=\"70000\" contrast=\"-70000\"/>",
                "<a:srcRect l=\"10000\" t=\"-5000\"/>") +
        drawing("inline", "rX") + drawing("inline", "rE") + drawing("inline", "rM") +
        "<w:r><w:pict><v:shape style=\"width:75pt;height:1in;mso-position-horizontal:center\">"
        "<v:imagedata r:id=\"rP\" grayscale=\"t\" cropright=\"6554f\" croptop=\"0.25\"/><w10:wrap "
        "type=\"topAndBottom\"/></v:shape>"
        "</w:pict></w:r>");
  word::Model m = read(
      body, {{"word/media/image1.png", kPng}, {"word/media/unknown.bin", "not an image"}}, rels);
  // A format the model does not carry keeps its bytes, unnamed, and a linked
  // picture none: the page shows each as a stand-in. A missing part is a loss.
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"png", kPng}, {"png", kPng}, {"", "not an image"}, {"", ""}, {"png", kPng}};
  ASSERT_EQ(m.main.pictures.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const word::Picture& pic = m.main.pictures[i];
    EXPECT_EQ(pic.format, expected[i].first) << i;
    EXPECT_EQ(pic.data ? *pic.data : "", expected[i].second) << i;
    EXPECT_EQ(pic.linked, i == 3) << i;
    EXPECT_EQ(m.main.text[pic.pos], word::kPictureMark);
  }
  ASSERT_EQ(m.losses.size(), 1u);
  EXPECT_EQ(m.losses[0].what, "a picture it cannot read");
  EXPECT_EQ(m.main.pictures[0].pos, 1u);
  EXPECT_EQ(m.main.pictures[0].widthPx, 100);
  EXPECT_EQ(m.main.pictures[0].heightPx, 50);
  EXPECT_EQ(m.main.pictures[0].alt, u"a cat");
  EXPECT_EQ(m.main.pictures[0].data, m.main.pictures[1].data);  // one copy of the bytes
  EXPECT_EQ(m.main.pictures[4].widthPx, 100);
  EXPECT_EQ(m.main.pictures[4].heightPx, 96);
  EXPECT_EQ(m.main.pictures[0].look, word::PictureLook{});
  word::PictureLook washed{false, false, 700, 300};
  washed.cropLeft = 10000;
  washed.cropTop = -5000;
  EXPECT_EQ(m.main.pictures[1].look, washed);
  const word::PictureLook& grey = m.main.pictures[4].look;
  EXPECT_TRUE(grey.gray);
  EXPECT_EQ(std::vector<int32_t>({grey.cropLeft, grey.cropTop, grey.cropRight, grey.cropBottom}),
            std::vector<int32_t>({0, 25000, 10000, 0}));
  // The text wraps around the anchored picture at the right, and stands
  // above and below the VML one, centred; the inline one stays in its line.
  EXPECT_EQ(m.main.pictures[0].side, word::PictureSide::Inline);
  EXPECT_EQ(m.main.pictures[1].side, word::PictureSide::End);
  EXPECT_EQ(m.main.pictures[4].side, word::PictureSide::OwnLineCentre);
}

TEST(DocxPackage, MainPartFoundThroughRelationshipsWhateverItsName) {
  std::string doc = docxtest::documentXml(p(r("elsewhere")));
  std::string bytes = docxtest::zip(
      {{"[Content_Types].xml", "<Types/>"},
       {"_rels/.rels", "<Relationships>" +
                           docxtest::relationship("r", "officeDocument", "/Main/Doc.xml") +
                           "</Relationships>"},
       {"Main/Doc.xml", doc}});
  word::Model m = word::read::readDocx(bytes);
  EXPECT_EQ(paragraphText(m, 0), "elsewhere");
  // No relationships at all: the usual name is tried.
  m = word::read::readDocx(docxtest::zip({{"word/document.xml", doc}}));
  EXPECT_EQ(paragraphText(m, 0), "elsewhere");
}

TEST(DocxPackage, SeveralBodiesAllShow) {
  std::string doc = std::string("<w:document ") + docxtest::kNs + "><w:body>" + p(r("one")) +
                    "</w:body><w:body>" + p(r("two")) + "</w:body></w:document>";
  word::Model m = word::read::readDocx(docxtest::zip({{"word/document.xml", doc}}));
  EXPECT_EQ(text(m), "one\r\ntwo\r\n");
}

}  // namespace

// A table style's conditions, as each table's look asks for them: the header
// row bold and shaded, banded rows, the first column italic when the look
// says so, and a cell's own shading over the style's.
TEST(DocxTables, TableStylesShowTheirConditionsAsTheLookAsks) {
  const std::string styles = docxtest::part(
      "styles",
      "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name "
      "w:val=\"Normal\"/></w:style>"
      "<w:style w:type=\"table\" w:styleId=\"Grid\"><w:name w:val=\"Grid\"/>"
      "<w:tblStylePr w:type=\"firstRow\"><w:rPr><w:b/></w:rPr><w:tcPr><w:shd "
      "w:fill=\"4472C4\"/></w:tcPr></w:tblStylePr>"
      "<w:tblStylePr w:type=\"band1Horz\"><w:tcPr><w:shd "
      "w:fill=\"D9E2F3\"/></w:tcPr></w:tblStylePr>"
      "<w:tblStylePr w:type=\"firstCol\"><w:rPr><w:i/></w:rPr></w:tblStylePr></w:style>");
  auto row = [](std::vector<std::string> cells, const std::string& own = "") {
    std::string out = "<w:tr>";
    for (size_t i = 0; i < cells.size(); ++i)
      out += "<w:tc>" + (i == 0 ? own : std::string()) + p(r(cells[i])) + "</w:tc>";
    return out + "</w:tr>";
  };
  auto table = [&](const std::string& look) {
    return "<w:tbl><w:tblPr><w:tblStyle w:val=\"Grid\"/>" + look + "</w:tblPr>" +
           row({"H1", "H2"}) + row({"a", "b"}) + row({"c", "d"}) +
           row({"e", "f"}, "<w:tcPr><w:shd w:fill=\"FF0000\"/></w:tcPr>") + "</w:tbl>";
  };
  const word::Model m =
      docxtest::read(table("<w:tblLook w:firstRow=\"1\" w:firstColumn=\"0\" w:noHBand=\"0\"/>") +
                         p(r("x")) + table("<w:tblLook w:val=\"04A0\"/>") + p(r("y")) +
                         table("<w:tblLook w:firstRow=\"0\" w:firstColumn=\"0\" w:noHBand=\"1\"/>"),
                     {{"word/styles.xml", styles}});
  ASSERT_EQ(m.main.tables.size(), 3u);
  auto shading = [&](size_t t, size_t r, size_t c) {
    return m.main.tables[t].rows[r].cells[c].shading;
  };
  auto bold = [&](size_t t, size_t r) {
    return formatAt(m, m.main.tables[t].rows[r].cells[1].start).bold;
  };
  auto italic = [&](size_t t, size_t r) {
    return formatAt(m, m.main.tables[t].rows[r].cells[0].start).italic;
  };
  const uint32_t none = word::kAutoColor;
  // Header row, then bands: band1 on the first row after the header.
  EXPECT_EQ(std::vector<uint32_t>(
                {shading(0, 0, 1), shading(0, 1, 1), shading(0, 2, 1), shading(0, 3, 1)}),
            std::vector<uint32_t>({0x4472C4, 0xD9E2F3, none, 0xD9E2F3}));
  EXPECT_EQ(shading(0, 3, 0), 0xFF0000u);  // the cell's own
  EXPECT_TRUE(bold(0, 0));
  EXPECT_FALSE(bold(0, 1));
  EXPECT_FALSE(italic(0, 1));
  // 04A0: header row and first column, bands of rows.
  EXPECT_TRUE(bold(1, 0));
  EXPECT_TRUE(italic(1, 1));
  EXPECT_EQ(shading(1, 1, 1), 0xD9E2F3u);
  // No header, no bands: the style gives nothing.
  EXPECT_FALSE(bold(2, 0));
  EXPECT_EQ(shading(2, 0, 1), none);
  EXPECT_EQ(shading(2, 1, 1), none);
  // The page shows the shading.
  EXPECT_NE(word::write::html(m, "p_files", u"t").text.find("background-color:#4472C4"),
            std::string::npos);
}

// A theme colour wins over the colour written beside it, darkened or
// lightened as the word processor makes its tones (these are its values).
TEST(DocxStyles, ThemeColoursWinOverTheColoursWrittenBeside) {
  const std::string theme =
      "<?xml version=\"1.0\"?><a:theme " + std::string(docxtest::kNs) +
      "><a:themeElements><a:clrScheme name=\"c\"><a:dk1><a:srgbClr val=\"222222\"/></a:dk1>"
      "<a:accent1><a:srgbClr val=\"4472C4\"/></a:accent1></a:clrScheme></a:themeElements>"
      "</a:theme>";
  const std::string written = "<w:color w:val=\"FF0000\" ";
  const word::Model m =
      read(p(r("a", written + "w:themeColor=\"accent1\" w:themeShade=\"BF\"/>") +
                 r("b", written + "w:themeColor=\"accent1\" w:themeTint=\"66\"/>") +
                 r("c", written + "w:themeColor=\"text1\"/>") +
                 r("d", "<w:color w:val=\"2E5597\" w:themeColor=\"accent1\" w:themeShade=\"BF\"/>"),
             "<w:shd w:val=\"clear\" w:fill=\"FFFFFF\" w:themeFill=\"accent1\" "
             "w:themeFillTint=\"99\"/>"),
           {{"word/theme/theme1.xml", theme}},
           docxtest::relationship("rTheme", "theme", "theme/theme1.xml"));
  EXPECT_EQ(formatAt(m, 0).color, 0x2F5496u);
  EXPECT_EQ(formatAt(m, 1).color, 0xB4C6E7u);
  EXPECT_EQ(formatAt(m, 2).color, 0x222222u);
  // Within a step of each channel the colour written is the same tone.
  EXPECT_EQ(formatAt(m, 3).color, 0x2E5597u);
  EXPECT_EQ(m.main.paragraphs[0].format.shading, 0x8EAADBu);
}

// Typefaces by the font table, spacing and line spacing from styles and
// the paragraph's own formatting, and shading, as the documents shared by
// every format give them.
TEST(DocxStyles, TypefacesSpacingAndShading) {
  looks::checkFaces(word::read::readDocx(looks::facesDocx()));
  looks::checkSpaces(word::read::readDocx(looks::spacesDocx()), true);
  looks::checkShades(word::read::readDocx(looks::shadesDocx()));
}

// Space in hundredths of a line wins over the same space in twips.
TEST(DocxStyles, SpaceInLinesWinsOverTwips) {
  const word::Model m =
      read(p(r("a"), "<w:spacing w:before=\"100\" w:beforeLines=\"50\" w:after=\"80\"/>") +
           p(r("b"), "<w:spacing w:afterLines=\"100\"/>"));
  ASSERT_GE(m.main.paragraphs.size(), 2u);
  EXPECT_EQ(m.main.paragraphs[0].format.spaceBefore, 120);
  EXPECT_EQ(m.main.paragraphs[0].format.spaceAfter, 80);
  EXPECT_EQ(m.main.paragraphs[1].format.spaceAfter, 240);
}

// Capitals and the Symbol font's glyphs (as a symbol and as text in that
// font) show as in the document; a symbol of another font keeps its font.
TEST(DocxText, CapitalsAndSymbolFontsShowAsInTheDocument) {
  const std::string symbolFont = "<w:rFonts w:ascii=\"Symbol\" w:hAnsi=\"Symbol\"/>";
  word::Model m = read(p(r("small", "<w:smallCaps/>") + r("all", "<w:caps/>") + r("plain") +
                         "<w:r><w:t>40</w:t><w:sym w:font=\"Symbol\" w:char=\"F0B0\"/></w:r>" +
                         r("a", symbolFont)));
  EXPECT_EQ(m.main.text, u"smallallplain40\u00B0\u03B1\r");
  EXPECT_TRUE(formatAt(m, 0).smallCaps);
  EXPECT_TRUE(formatAt(m, 5).allCaps);
  EXPECT_FALSE(formatAt(m, 8).smallCaps || formatAt(m, 8).allCaps);
  EXPECT_EQ(formatAt(m, 15).font, formatAt(m, 13).font);  // the degree sign in the run's font
}

// Letters raised or lowered at their own size (a chemical's mass number,
// an inline equation set down to the line) stand so on the page.
TEST(DocxText, RaisedAndLoweredLettersKeepTheirSize) {
  word::Model m =
      read(p(r("H") + r("1", "<w:position w:val=\"6\"/>") + r("2", "<w:position w:val=\"-4\"/>")));
  EXPECT_EQ(formatAt(m, 1).raise, 6);
  EXPECT_EQ(formatAt(m, 2).raise, -4);
  EXPECT_FALSE(formatAt(m, 1).superscript);
  const std::string page = word::write::html(m, "p_files", u"t").text;
  EXPECT_NE(
      page.find("vertical-align:0.25rem;\">1</span><span style=\"vertical-align:-0.166667rem;\">2"),
      std::string::npos)
      << page;
}

// A table's place between the margins from its own properties over its
// style's, its cells' vertical alignment from their own properties over
// their style's conditions, and their lines turned down or up.
TEST(DocxTables, PlacementAndVerticalAlignment) {
  const std::string styles = docxtest::part(
      "styles",
      "<w:style w:type=\"table\" w:styleId=\"Placed\"><w:name w:val=\"Placed\"/>"
      "<w:tblPr><w:tblInd w:w=\"360\" w:type=\"dxa\"/><w:tblCellMar><w:left w:w=\"0\" "
      "w:type=\"dxa\"/><w:right w:w=\"0\" w:type=\"dxa\"/></w:tblCellMar></w:tblPr>"
      "<w:tblStylePr w:type=\"firstRow\"><w:tcPr><w:vAlign w:val=\"center\"/></w:tcPr>"
      "</w:tblStylePr></w:style>");
  auto table = [](const std::string& tblPr, const std::string& tcPr) {
    return "<w:tbl><w:tblPr>" + tblPr + "</w:tblPr><w:tr><w:tc>" + tcPr + p(r("h")) +
           "</w:tc></w:tr><w:tr><w:tc>" + p(r("c")) + "</w:tc></w:tr></w:tbl>" + p(r("x"));
  };
  const std::string styled = "<w:tblStyle w:val=\"Placed\"/>";
  const word::Model m = read(
      table(styled, "") +
          table(styled + "<w:tblInd w:w=\"720\" w:type=\"dxa\"/>",
                "<w:tcPr><w:textDirection w:val=\"tbRl\"/><w:tcMar><w:top w:w=\"72\" "
                "w:type=\"dxa\"/><w:start w:w=\"144\" w:type=\"dxa\"/></w:tcMar></w:tcPr>") +
          table("<w:jc w:val=\"center\"/>",
                "<w:tcPr><w:vAlign w:val=\"bottom\"/><w:textDirection w:val=\"btLr\"/></w:tcPr>"),
      {{"word/styles.xml", styles}});
  ASSERT_EQ(m.main.tables.size(), 3u);
  const auto& t = m.main.tables;
  // The indent places the first cell's text (its side one cell margin
  // further out), but in the newer versions' layout.
  EXPECT_EQ(t[0].indent, 360);
  EXPECT_EQ(t[1].indent, 720 - 144);
  const std::string newer = docxtest::part(
      "settings",
      "<w:compat><w:compatSetting w:name=\"compatibilityMode\" w:val=\"15\"/></w:compat>");
  EXPECT_EQ(
      read(table("<w:tblInd w:w=\"720\" w:type=\"dxa\"/>", ""), {{"word/settings.xml", newer}})
          .main.tables.at(0)
          .indent,
      720);
  EXPECT_EQ(read(table("", "")).main.tables.at(0).indent, -word::kCellPadding);
  // A floating table placed at the right stands there.
  EXPECT_EQ(read(table("<w:tblpPr w:tblpXSpec=\"right\"/>", "")).main.tables.at(0).align,
            word::Align::Right);
  EXPECT_EQ(t[2].align, word::Align::Center);
  EXPECT_EQ(t[0].rows[0].cells[0].valign, word::VAlign::Center);
  EXPECT_EQ(t[0].rows[1].cells[0].valign, word::VAlign::Top);
  EXPECT_EQ(t[2].rows[0].cells[0].valign, word::VAlign::Bottom);
  EXPECT_EQ(t[0].rows[0].cells[0].flow, word::TextFlow::Across);
  EXPECT_EQ(t[1].rows[0].cells[0].flow, word::TextFlow::Down);
  EXPECT_EQ(t[2].rows[0].cells[0].flow, word::TextFlow::Up);
  // The room inside cells: the style's, a cell's own over it, none given.
  using Room = std::array<int16_t, 4>;
  EXPECT_EQ(t[0].rows[1].cells[0].padding, (Room{-1, 0, -1, 0}));
  EXPECT_EQ(t[1].rows[0].cells[0].padding, (Room{72, 144, -1, 0}));
  EXPECT_EQ(t[2].rows[0].cells[0].padding, (Room{-1, -1, -1, -1}));
}

// What the page cannot show is noted where it stands; a field with a
// result, or one that shows nothing anyway, loses nothing.
TEST(DocxLosses, WhatThePageCannotShowIsNotedWhereItStands) {
  auto fld = [](const char* type) {
    return std::string("<w:r><w:fldChar w:fldCharType=\"") + type + "\"/></w:r>";
  };
  auto field = [&](const std::string& code, const std::string& result = {}) {
    return fld("begin") + "<w:r><w:instrText>" + code + "</w:instrText></w:r>" +
           (result.empty() ? "" : fld("separate") + r(result)) + fld("end");
  };
  const std::string chart =
      "<w:r><w:drawing><wp:inline><wp:extent cx=\"952500\" cy=\"952500\"/><wp:docPr id=\"1\" "
      "name=\"Chart 1\"/><a:graphic><a:graphicData "
      "uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"/></a:graphic></wp:inline>"
      "</w:drawing></w:r>";
  struct Case {
    const char* what;
    std::string body;
    std::vector<std::pair<uint32_t, std::string>> losses;
  } cases[] = {
      {"a chart", p(r("a") + chart + r("b")), {{1, "a chart"}}},
      {"an object without a picture",
       p(r("o") + "<w:r><w:object/></w:r>"),
       {{1, "an embedded object without a picture"}}},
      {"fields drawn from their code, and an index entry",
       p(r("x") + field(" FORMDROPDOWN ") + field(" XE \"k\" ") + r("y")),
       {{1, "a drop-down list (a form field)"}}},
      {"fields with results", p(field(" PAGE ", "3") + field(" EQ \\f(1,2)", "½")), {}},
      {"content for the word processor to merge",
       p(r("a")) + "<w:altChunk r:id=\"rIdChunk\"/>" + p(r("b")),
       {{1, "content imported from another file (an altChunk)"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::pair<uint32_t, std::string>> losses;
    for (const word::Loss& l : read(c.body).losses) losses.emplace_back(l.pos, l.what);
    EXPECT_EQ(losses, c.losses);
  }
}
