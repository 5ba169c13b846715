// The HTML export: line structure, blocks, formatting, tables, lists,
// pictures and notes.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "helpers.h"
#include "support/files.h"
#include "word/error.h"
#include "word/write/css.h"
#include "word/write/list_css.h"
#include "word/write/writers.h"

using namespace word;
using wordtest::para;
namespace fs = std::filesystem;

namespace {

std::string html(const Model& m) {
  return write::html(m, "page1_files", u"Title").text;
}

std::vector<std::string> lines(const std::string& s) {
  EXPECT_TRUE(s.empty() || s.ends_with("\r\n")) << "every line ends in CR LF";
  return testing_support::crlfLines(s);
}

// The lines between <body ...> and </body>.
std::vector<std::string> bodyLines(const std::string& s) {
  std::vector<std::string> all = lines(s), body;
  bool in = false;
  for (const std::string& l : all) {
    if (l.rfind("</body>", 0) == 0) break;
    if (in) body.push_back(l);
    if (l.rfind("<body", 0) == 0) in = true;
  }
  return body;
}

TEST(HtmlWriter, TitleAndBodyOpenTheirOwnLinesAndEveryBlockIsOneLine) {
  Builder b;
  para(b, "short");
  std::string longText;
  for (int i = 0; i < 2000; ++i) longText += "word%A=" + std::to_string(i) + " x%A# ";
  para(b, longText);
  b.text("line");
  b.text(std::u16string(1, kLineBreak));
  b.text("break");
  b.endParagraph();
  wordtest::table(b, {"c1", "c2"});
  Model m = b.finish();
  std::string out = write::html(m, "p_files", u"A <title>\r\nwith a break").text;
  EXPECT_NE(out.find("<meta charset=\"utf-8\">"), std::string::npos);

  std::vector<std::string> all = lines(out);
  int titles = 0, bodies = 0;
  for (const std::string& l : all) {
    if (l.find("<title") != std::string::npos) {
      ++titles;
      EXPECT_EQ(l, "<title>A &lt;title&gt;  with a break</title>");
    }
    if (l.find("<body") != std::string::npos) {
      ++bodies;
      EXPECT_EQ(l.rfind("<body", 0), 0u);
      EXPECT_EQ(l.back(), '>');
    }
  }
  EXPECT_EQ(titles, 1);
  EXPECT_EQ(bodies, 1);

  EXPECT_EQ(bodyLines(out),
            (std::vector<std::string>{
                "<p>short</p>", "<p>" + longText + "</p>", "<p>line<br>break</p>", "<table>",
                "<tr><td><p>c1</p></td><td><p>c2</p></td></tr>", "</table>", "<p>&nbsp;</p>"}));
}

// A model whose link targets would run in the page (however a reader let
// them in) still gives no such link: the text stays, plain.
TEST(HtmlWriter, OnlySafeLinkTargetsBecomeLinks) {
  const std::pair<std::u16string, bool> targets[] = {{u"javascript:alert(1)", false},
                                                     {u"\x01 JaVaScRiPt:x", false},
                                                     {u"java\nscript:x", false},
                                                     {u"vbscript:x", false},
                                                     {u"data:text/html,x", false},
                                                     {u"file:///etc/passwd", false},
                                                     {u"HTTP://example.org/", true},
                                                     {u"https://e.org/a:b", true},
                                                     {u"mailto:a@b.org", true},
                                                     {u"ftp://e.org/f", true},
                                                     {u"page2.htm", true},
                                                     {u"#mark", true},
                                                     // Its bookmark gone: it leads nowhere.
                                                     {u"#gone", false},
                                                     {u"docs/a:b.htm", true}};
  for (const auto& [target, kept] : targets) {
    Builder b;
    b.startBookmark(u"mark");
    b.text("y");
    b.endBookmark(u"mark");
    b.endParagraph();
    CharFormat link;
    link.hyperlink = target;
    b.text("x", link);
    b.endParagraph();
    const std::string page = html(b.finish());
    EXPECT_EQ(page.find("<a href") != std::string::npos, kept) << page;
    EXPECT_NE(page.find(">x<"), std::string::npos) << page;
  }
}

TEST(HtmlWriter, RunsOfEqualFormattingAreMergedSoMarkersStayContiguous) {
  Builder b;
  CharFormat bold;
  bold.bold = true;
  b.text("%A=12 text%A#", bold);
  b.endParagraph();
  b.text("%A=7", bold);
  b.text(" plain%A#");
  b.endParagraph();
  Model m = b.finish();
  // Split the first paragraph's run into pieces of equal formatting, as
  // readers produce them where the author typed in several goes.
  m.main.runs.insert(m.main.runs.begin() + 1,
                     {word::Run{3, bold}, word::Run{6, bold}, word::Run{10, bold}});
  // Where the formatting changes within a link, its markers and reference
  // go without tags: the learner sees neither.
  EXPECT_EQ(bodyLines(html(m)),
            (std::vector<std::string>{"<p><b>%A=12 text%A#</b></p>", "<p>%A=7 plain%A#</p>"}));
}

TEST(HtmlWriter, DirectFormattingAgainstTheParagraphStyle) {
  Builder b;
  Style strong;
  strong.name = u"Strong text";
  strong.chars.bold = true;
  strong.paragraph.align = Align::Right;
  ParagraphFormat pf;
  pf.style = b.addStyle(strong);
  pf.align = Align::Right;
  CharFormat f;
  f.italic = true;
  f.underline = true;
  f.underlineStyle = word::UnderlineStyle::Wavy;
  f.underlineColor = 0x0000FF;
  f.strike = true;
  f.superscript = true;
  f.color = 0xFF0000;
  f.highlight = 0xFFFF00;
  f.halfPoints = 21;
  f.font = u"Arial'; x:<y>";
  b.text("all", f);
  CharFormat sub;
  sub.subscript = true;
  b.text("sub", sub);
  b.endParagraph();
  b.paragraph(pf);
  CharFormat notBold;
  b.text("plain in bold style", notBold);
  b.endParagraph();
  EXPECT_EQ(bodyLines(html(b.finish())),
            (std::vector<std::string>{
                "<p><span style=\"color:#FF0000;background-color:#FFFF00;font-size:0.875rem;"
                "font-family:'Arial xy',sans-serif;\"><i><u style=\"text-decoration-style:wavy;"
                "text-decoration-color:#0000FF;\"><s><sup>all</sup></s></u></i></span>"
                "<sub>sub</sub></p>",
                "<p class=\"Strongtext\"><span style=\"font-weight:normal;\">plain in bold "
                "style</span></p>"}));
}

// A style's rule is kept once worked out: a style of the same name that
// differs, or a default style that differs, gets a rule of its own.
TEST(HtmlWriter, StyleRulesFollowTheirStyles) {
  Style normal, quote;
  quote.name = u"Quote";
  quote.chars.italic = true;
  Style bold = quote, centred = quote, otherNormal = normal;
  bold.chars.italic = false;
  bold.chars.bold = true;
  centred.paragraph.align = Align::Center;
  otherNormal.paragraph.align = Align::Center;
  const std::vector<SideLines> lines;
  const struct {
    const Style& style;
    const Style& normal;
    const char16_t* rule;
  } cases[] = {{quote, normal, u"font-style:italic;"},
               {bold, normal, u"font-weight:bold;"},
               {centred, normal, u"text-align:center;font-style:italic;"},
               {quote, otherNormal, u"text-align:left;font-style:italic;"},
               {quote, normal, u"font-style:italic;"}};
  for (const auto& c : cases)
    EXPECT_EQ(write::styleRule(c.style, c.normal, lines), c.rule);
}

// Automatic text turns white on dark shading, and stays black on a dark
// highlighter's colour, as the word processor draws them; within a style
// of its own colour too.
TEST(HtmlWriter, AutomaticTextOnDarkShadingNotOnDarkHighlight) {
  Builder b;
  CharFormat marked, shaded;
  marked.highlight = shaded.highlight = 0x008000;
  shaded.shaded = true;
  b.text("marked", marked);
  b.text("shaded", shaded);
  b.endParagraph();
  Style red;
  red.name = u"Red";
  red.chars.color = 0xFF0000;
  ParagraphFormat rf;
  rf.style = b.addStyle(red);
  b.paragraph(rf);
  b.text("marked", marked);
  b.text("shaded", shaded);
  b.endParagraph();
  const std::vector<std::string> lines = bodyLines(html(b.finish()));
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 2),
            (std::vector<std::string>{"<p><span style=\"background-color:#008000;\">marked</span>"
                                      "<span style=\"background-color:#008000;color:#FFFFFF;\">"
                                      "shaded</span></p>",
                                      "<p class=\"Red\"><span style=\"color:#000000;background-"
                                      "color:#008000;\">marked</span><span style=\"color:#FFFFFF;"
                                      "background-color:#008000;\">shaded</span></p>"}));
}

TEST(HtmlWriter, StyleSheetHeadingsAndParagraphFormat) {
  Builder b;
  Style h1;
  h1.name = u"heading 1";
  h1.paragraph.outlineLevel = 0;
  h1.chars.halfPoints = 32;
  h1.chars.font = u"Calibri Light";
  h1.paragraph.lineSpacing = 276;  // 1.15 of the font's own lines, 1.22 times its size
  ParagraphFormat hf = h1.paragraph;
  hf.style = b.addStyle(h1);
  b.paragraph(hf);
  b.text("Top", h1.chars);
  CharFormat regular = h1.chars;
  regular.font = u"Calibri";
  b.text(" face", regular);
  b.endParagraph();
  // A style of the author's with an outline level, not bold, in a light
  // face: a run of the regular face, a bold one.
  Style own;
  own.name = u"Section Heading";
  own.paragraph.outlineLevel = 0;
  own.chars.font = u"Segoe UI Light";
  ParagraphFormat of;
  of.style = b.addStyle(own);
  of.outlineLevel = 0;
  b.paragraph(of);
  b.text("Own", own.chars);
  CharFormat plain, bold = own.chars;
  bold.bold = true;
  b.text(" plain", plain);
  b.text(" bold", bold);
  b.endParagraph();
  ParagraphFormat h3;
  h3.outlineLevel = 2;
  h3.listLabel = u"1.2.";
  b.paragraph(h3);
  b.text("Third");
  b.endParagraph();
  ParagraphFormat indented;
  indented.align = Align::Distribute;  // the last line too
  indented.indentLeft = 720;
  indented.indentFirst = -360;
  b.paragraph(indented);
  b.text("x");
  b.endParagraph();
  std::string out = html(b.finish());
  // Headings as large and heavy as their styles make them.
  EXPECT_NE(out.find("\r\nh1,h2,h3,h4,h5,h6{font-size:1em;font-weight:normal}\r\n"),
            std::string::npos);
  EXPECT_NE(out.find("\r\n.heading1{line-height:1.4;font-weight:300;font-size:1.333333rem;"
                     "font-family:'Calibri Light','Carlito',sans-serif;}\r\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\r\n.SectionHeading{font-weight:300;font-family:'Segoe UI Light',"
                     "sans-serif;}\r\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(bodyLines(out),
            (std::vector<std::string>{
                "<h1 class=\"heading1\">Top<span style=\"font-weight:normal;font-family:'Calibri',"
                "'Carlito',sans-serif;\"> face</span></h1>",
                "<h1 class=\"SectionHeading\">Own<span style=\"font-weight:normal;\"> plain</span>"
                "<span style=\"font-weight:bold;\"><b> bold</b></span></h1>",
                "<h3>1.2.<span class=\"tab\" "
                "style=\"tab-size:3rem\">&#9;</span>"
                "Third</h3>",
                "<p style=\"text-align:justify;text-align-last:justify;margin-left:3rem;"
                "text-indent:-1.5rem;\">x</p>"}));
}

// Space between neighbours: automatic space goes at the edges of a cell or
// the text and between the items of one list; a paragraph that asks for
// none between paragraphs of its style drops it toward such a neighbour.
// The space after the paragraph above adds to the space before, but inside
// one box.
TEST(HtmlWriter, SpaceBetweenNeighbours) {
  ParagraphFormat autoSpaced, item, otherItem, tight, otherStyle, plain, boxed;
  plain.spaceBefore = 120;
  plain.spaceAfter = 240;
  boxed = plain;
  boxed.borderSides = kBorderLeft | kBorderRight;
  autoSpaced.spaceBefore = autoSpaced.spaceAfter = kAutoSpacing;
  item = autoSpaced;
  item.listId = 1;
  otherItem = item;
  otherItem.listId = 2;
  tight.spaceBefore = tight.spaceAfter = 200;
  tight.contextualSpacing = true;
  tight.style = 3;
  otherStyle = tight;
  otherStyle.style = 4;
  const struct {
    const ParagraphFormat* f;
    const ParagraphFormat *before, *after;
    int32_t shownBefore, shownAfter;
  } cases[] = {
      {&autoSpaced, nullptr, nullptr, 0, 0},
      {&autoSpaced, &tight, &tight, kAutoSpacing, kAutoSpacing},
      {&item, &item, &otherItem, 0, kAutoSpacing},
      {&tight, &tight, &otherStyle, 0, 200},
      {&tight, nullptr, &tight, 200, 0},
      {&otherStyle, &tight, &tight, 400, 200},
      {&plain, &plain, nullptr, 360, 240},
      {&plain, &autoSpaced, nullptr, 120, 240},
      {&autoSpaced, &plain, nullptr, kAutoSpacing, 0},
      {&boxed, &boxed, &boxed, 120, 240},
      {&plain, &boxed, nullptr, 360, 240},  // a box of its own leaves its space outside
  };
  for (const auto& c : cases) {
    const ParagraphFormat shown = write::spacedBetween(*c.f, c.before, c.after);
    EXPECT_EQ(shown.spaceBefore, c.shownBefore) << &c - cases;
    EXPECT_EQ(shown.spaceAfter, c.shownAfter) << &c - cases;
  }
}

// Room between a border and the text on the sides drawn only: a line above
// or below leaves the text at its indent. The room the document gives, on
// every side drawn, or inside its shading where no line is; each side's
// own where the sides give their own.
TEST(HtmlWriter, BorderRoomOnTheSidesDrawn) {
  ParagraphFormat none;
  constexpr uint8_t kBox = kBorderTop | kBorderLeft | kBorderBottom | kBorderRight;
  const struct {
    uint8_t sides, room;
    uint32_t shading;
    const char16_t* css;
    std::array<uint8_t, 4> sideRooms{};  // top, left, bottom, right
  } cases[] = {
      {kBorderTop, 0, kAutoColor, u"padding:0.083333rem 0 0 0;"},
      {kBorderBottom, 0, kAutoColor, u"padding:0 0 0.083333rem 0;"},
      {kBorderLeft | kBorderRight, 0, kAutoColor, u"padding:0 0.333333rem 0 0.333333rem;"},
      {kBox, 0, kAutoColor, u"padding:0.083333rem 0.333333rem;"},
      {kBox, 6, kAutoColor, u"padding:0.5rem;"},
      {kBorderLeft, 6, kAutoColor, u"padding:0 0 0 0.5rem;"},
      {0, 6, 0xF2F2F2, u"padding:0.5rem;"},
      {kBox, 0, kAutoColor, u"padding:0.166667rem 0 0 0.25rem;", {2, 3, 0, 0}},
      {0, 0, 0xF2F2F2, u"padding:0 0.416667rem 0 0;", {0, 0, 0, 5}},
      {kBox, 0, kAutoColor, u"padding:0.083333rem 0.333333rem;", {1, 4, 1, 4}},
  };
  for (const auto& c : cases) {
    ParagraphFormat f;
    f.borderSides = c.sides;
    f.border = {LineStyle::Single, 6, c.room, 0};
    f.shading = c.shading;
    f.sideRooms = c.sideRooms;
    EXPECT_NE(write::paragraphCss(f, none, {}).find(c.css), std::u16string::npos) << u8(c.css);
    EXPECT_NE(write::paragraphCss(none, f, {}).find(u"padding:0;"), std::u16string::npos);
  }
}

// Paragraphs of one border share a box, with its line between them where
// the border draws one (a note's parts, lines ruled between paragraphs);
// a box of its own keeps its space outside it.
TEST(HtmlWriter, BoxesDrawTheirLinesBetween) {
  ParagraphFormat box, ruled, bar;
  box.border = ruled.border = bar.border = {LineStyle::Single, 6, 0, kAutoColor};
  box.borderSides = kBorderTop | kBorderLeft | kBorderBottom | kBorderRight | kBorderBetween;
  ruled.borderSides = kBorderBetween;
  bar.borderSides = kBorderLeft;
  box.spaceAfter = ruled.spaceAfter = bar.spaceAfter = 160;
  Builder b;
  for (const ParagraphFormat* f : {&box, &box, &ruled, &ruled, &bar}) {
    b.paragraph(*f);
    b.text("x");
    b.endParagraph();
  }
  const std::string line = "0.75pt solid #000000;";
  EXPECT_EQ(
      bodyLines(html(b.finish())),
      (std::vector<std::string>{
          "<p style=\"border:" + line +
              "padding:0.083333rem 0.333333rem;margin-bottom:0;padding-bottom:0.75rem;\">x</p>",
          "<p style=\"border-left:" + line + "border-bottom:" + line + "border-right:" + line +
              "padding:0 0.333333rem 0.083333rem "
              "0.333333rem;margin-top:0;padding-top:0.083333rem;margin-bottom:0.666667rem;\">x</p>",
          "<p style=\"border-bottom:" + line +
              "padding:0 0 0.083333rem 0;margin-bottom:0;padding-bottom:0.75rem;\">x</p>",
          "<p style=\"margin-top:0.083333rem;margin-bottom:0.666667rem;\">x</p>",
          "<p style=\"border-left:" + line +
              "padding:0 0 0 0.333333rem;margin-bottom:0.666667rem;\">x</p>"}));
}

// A font the document's table does not class ends its list with a generic
// family by the words of its name; the table's class wins where it gives one.
// A CSS keyword left as a font name by a pasted web page names no font.
TEST(HtmlWriter, FontListsEndWithAGenericFamily) {
  const struct {
    const char16_t* font;
    FontClass fontClass;
    const char16_t* list;
  } cases[] = {
      {u"Calibri", FontClass::Swiss, u"'Calibri','Carlito',sans-serif"},
      {u"Calibri Light", FontClass::Swiss, u"'Calibri Light','Carlito',sans-serif"},
      {u"arial black", FontClass::Unknown, u"'arial black','Liberation Sans','Arimo',sans-serif"},
      {u"times new roman", FontClass::Unknown,
       u"'times new roman','Liberation Serif','Tinos',serif"},
      {u"Book Antiqua", FontClass::Unknown, u"'Book Antiqua',serif"},
      {u"Franklin Gothic Book", FontClass::Unknown, u"'Franklin Gothic Book',sans-serif"},
      {u"Consolas", FontClass::Unknown, u"'Consolas',monospace"},
      {u"Comic Sans MS", FontClass::Unknown, u"'Comic Sans MS',cursive"},
      {u"\u7B49\u7EBF", FontClass::Unknown, u"'\u7B49\u7EBF',sans-serif"},
      {u"Wingdings", FontClass::Decorative, u"'Wingdings',fantasy"},
      {u"Arial", FontClass::Roman, u"'Arial','Liberation Sans','Arimo',serif"},
      {u"Inherit", FontClass::Unknown, u""},
      {u"initial", FontClass::Swiss, u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(u8(write::fontFamily(c.font, c.fontClass)), u8(c.list)) << u8(c.font);
}

TEST(HtmlWriter, ListsNestOneItemPerLine) {
  Builder b;
  // Indents as the document gives them, from the page's edge: each label
  // starts its first line, a tab after it to the text: at the indent
  // where the line hangs and the label fits, else at the next half-inch
  // stop.
  auto item = [&](const char* text, int32_t id, uint8_t level, bool ordered, const char* label,
                  int32_t left = -1, int32_t first = -360, int16_t stop = 0,
                  Align align = Align::Left) {
    ParagraphFormat f;
    f.align = align;
    f.tabStops = {stop};
    f.indentLeft = left >= 0 ? left : 720 * (level + 1);
    f.indentFirst = first;
    f.listId = id;
    f.listLevel = level;
    f.listOrdered = ordered;
    f.listLabel = u16(label);
    b.paragraph(f);
    b.text(text);
    b.endParagraph();
  };
  item("one", 1, 0, true, "1.");
  item("one.a", 1, 1, false, "\u25E6");
  item("one.b", 1, 1, false, "-");
  item("two", 1, 0, true, "2.");
  item("wide", 1, 0, true, "10.10.10.");
  // A label reaching the indent goes on to the paragraph's own stop.
  item("award", 1, 0, true, "2004", 840, -480, 1980);
  // Justified, the label stands outside the line, which would widen its
  // tab; one wider than its hanging line stays inside.
  item("justified", 1, 0, true, "3.", -1, -360, 0, Align::Justify);
  item("justified wide", 1, 0, true, "10.10.10.", -1, -360, 0, Align::Justify);
  para(b, "between");
  item("bullet", 2, 0, false, "\u2022", 0, 360);
  // A pictograph no font maps shows as the browser's bullet, an "o" as a circle.
  item("pictograph", 2, 0, false, "\uF094");
  item("letter o", 2, 0, false, "o");
  // Quotes, markup and link markers in a label stay its text.
  item("hostile", 3, 0, true, "a'\\\"<%A=1", 0);
  std::vector<std::string> body = bodyLines(html(b.finish()));
  const std::string hangs = "text-indent:-1.5rem;tab-size:1.5rem;list-style-type:";
  const std::string held72 = "min(6rem,0.75rem + max(20%,100vw - 20rem))";
  std::vector<std::string> expected = {
      "<ol>",
      "<li value=\"1\" style=\"margin-left:3rem;" + hangs + "'1.\\9';\">one",
      "<ul style=\"margin-inline-start:-3rem\">",
      // Held on a phone's narrow window to what leaves its text room.
      "<li style=\"margin-left:" + held72 + ";" + hangs + "'\u25E6\\9';\">one.a</li>",
      "<li style=\"margin-left:" + held72 + ";" + hangs + "'-\\9';\">one.b</li>",
      "</ul>",
      "</li><li value=\"2\" style=\"margin-left:3rem;" + hangs + "'2.\\9';\">two</li>",
      // The 36pt stops of the page's list style.
      "<li value=\"10\" "
      "style=\"margin-left:3rem;text-indent:-1.5rem;list-style-type:'10.10.10.\\9';"
      "\">wide</li>",
      "<li value=\"2004\" style=\"margin-left:min(3.5rem,0.4375rem + max(20%,100vw - 20rem));"
      "text-indent:-2rem;tab-size:4.75rem;"
      "list-style-type:'2004\\9';\">award</li>",
      "<li value=\"3\" style=\"text-align:justify;margin-left:3rem;list-style-position:outside;"
      "tab-size:1.5rem;list-style-type:'3.\\9';\">justified</li>",
      "<li value=\"10\" style=\"text-align:justify;margin-left:3rem;text-indent:-1.5rem;"
      "list-style-type:'10.10.10.\\9';\">justified wide</li>",
      "</ol>",
      "<p>between</p>",
      "<ul>",
      "<li style=\"text-indent:1.5rem;list-style-type:'\u2022\\9';\">bullet</li>",
      "<li style=\"margin-left:3rem;" + hangs + "'\u2022\\9';\">pictograph</li>",
      "<li style=\"margin-left:3rem;" + hangs + "'\u25E6\\9';\">letter o</li>",
      "</ul>",
      "<ol>",
      "<li style=\"margin-left:1.5rem;text-indent:-1.5rem;tab-size:6rem;list-style-type:'a\\27 "
      "\\5C "
      "&quot;&lt;&#37;A=1"
      "\\9';\">hostile</li>",
      "</ol>",
  };
  EXPECT_EQ(body, expected);
}

// A label ends as the document says: a tab to the text, a space or
// nothing; a centred one with a space.
TEST(HtmlWriter, LabelsEndWithWhatFollowsThem) {
  const struct {
    LabelFollow follow;
    Align align;
    const char16_t* label;
    const char16_t* marker;
  } cases[] = {
      {LabelFollow::Tab, Align::Left, u"1.", u"'1.\\9'"},
      {LabelFollow::Space, Align::Justify, u"1.", u"'1. '"},
      {LabelFollow::Nothing, Align::Left, u"1.", u"'1.'"},
      {LabelFollow::Tab, Align::Center, u"1.", u"'1. '"},
      {LabelFollow::Nothing, Align::Left, u"", u"none"},
  };
  for (const auto& c : cases) {
    ParagraphFormat f;
    f.labelFollow = c.follow;
    f.align = c.align;
    f.listOrdered = true;
    f.listLabel = c.label;
    EXPECT_EQ(u8(write::listMarker(f, 0)), u8(c.marker)) << u8(c.marker);
  }
}

// The browser draws a label in its item's size and face: those all of
// the item's text shares, where they are not its style's.
TEST(HtmlWriter, LabelsTakeTheLookAllTheirTextShares) {
  CharFormat small, smallBold;
  small.halfPoints = smallBold.halfPoints = 20;
  small.font = smallBold.font = u"Arial";
  smallBold.bold = true;
  const std::vector<std::vector<CharFormat>> items = {
      {small, small}, {smallBold, smallBold}, {smallBold, small}, {{}, small}};
  Builder b;
  for (const auto& runs : items) {
    ParagraphFormat f;
    f.listId = 1;
    f.listLabel = u"-";
    b.paragraph(f);
    for (const CharFormat& run : runs) b.text("text ", run);
    b.endParagraph();
  }
  std::vector<std::string> looks;
  for (const std::string& line : bodyLines(html(b.finish())))
    if (line.find("<li") != std::string::npos)
      looks.push_back(line.substr(0, line.find("list-style")));
  const std::string small10 =
      "<li style=\"font-size:0.833333rem;font-family:'Arial','Liberation Sans',"
      "'Arimo',sans-serif;";
  // Weight is not among them: a label's is its level's and its mark's.
  EXPECT_EQ(looks, (std::vector<std::string>{small10, small10, small10, "<li style=\""}));
}

// A list level's own look for its labels goes to the browser's label
// alone (the page's rule for labels reads it), and to a numbered
// heading's label written as text; other labels keep their text's.
TEST(HtmlWriter, LabelsTakeTheirLevelsLook) {
  Builder b;
  for (const uint8_t outline : {uint8_t{9}, uint8_t{0}, uint8_t{9}}) {
    ParagraphFormat f;
    f.listId = 1;
    f.listLabel = u"1.";
    f.outlineLevel = outline;
    if (b.position() == 0) {
      f.labelLook = kLabelBoldSet | kLabelBold;
      f.labelColor = 0xC00000;
    } else if (outline == 0) {
      f.labelLook = kLabelItalicSet | kLabelItalic;
      f.labelHalfPoints = 28;
    }
    b.paragraph(f);
    b.text("text");
    b.endParagraph();
  }
  const std::string page = html(b.finish());
  EXPECT_NE(page.find("li::marker{white-space:pre;font-weight:var(--lw);font-style:var(--ls);"
                      "font-size:var(--lz);color:var(--lc)}"),
            std::string::npos)
      << page;
  const std::vector<std::string> body = bodyLines(page);
  ASSERT_EQ(body.size(), 7u) << page;
  EXPECT_NE(body[1].find("'1.\\9';--lw:bold;--lc:#C00000;\">text</li>"), std::string::npos)
      << body[1];
  EXPECT_NE(body[3].find("<span style=\"font-size:1.166667rem;\"><i>1.<span class=\"tab\""),
            std::string::npos)
      << body[3];
  EXPECT_EQ(body[5].find("--l"), std::string::npos) << body[5];
}

TEST(HtmlWriter, DropCapsTakeTheirLettersOrFirstWord) {
  Builder b;
  // [letters, text]: the first word, two letters of a pair of units, more
  // letters than the text holds.
  const std::pair<uint8_t, const char*> cases[] = {{kDropWord, "Word rest"},
                                                   {2,
                                                    "\xF0\x9D\x90\x80"
                                                    "b rest"},
                                                   {9, "Ab"}};
  for (const auto& [letters, text] : cases) {
    ParagraphFormat f;
    f.dropLetters = letters;
    f.dropLines = 2;
    b.paragraph(f);
    b.text(text);
    b.endParagraph();
  }
  const std::string open =
      "<p><span "
      "style=\"float:inline-start;margin-inline-end:0.333333rem;line-height:1;font-size:230%;\">";
  EXPECT_EQ(bodyLines(html(b.finish())), (std::vector<std::string>{open + "Word</span> rest</p>",
                                                                   open + "\xF0\x9D\x90\x80"
                                                                          "b</span> rest</p>",
                                                                   open + "Ab</span></p>"}));
}

// A drop cap's letter starts the paragraph of text it opens, floated there,
// so that its first word reads whole; with none to open, it keeps its own.
TEST(HtmlWriter, ADropCapStartsTheParagraphItOpens) {
  ParagraphFormat cap, item;
  cap.dropCap = true;
  cap.lineRule = LineRule::Exactly;
  cap.lineSpacing = 827;
  item.listId = 1;
  Builder b;
  for (const auto& [f, text] :
       std::initializer_list<std::pair<const ParagraphFormat*, const char*>>{
           {&cap, "O"}, {nullptr, "nce"}, {&cap, "A"}, {&item, "item"}, {&cap, "E"}}) {
    b.paragraph(f ? *f : ParagraphFormat{});
    b.text(text);
    b.endParagraph();
  }
  const std::vector<std::string> got = bodyLines(html(b.finish()));
  const std::string floated =
      "line-height:3.445833rem;float:inline-start;margin-inline-end:0.333333rem;";
  ASSERT_EQ(got.size(), 6u);
  EXPECT_EQ(got[0], "<p><span style=\"" + floated + "text-indent:0;\">O</span>nce</p>");
  EXPECT_EQ(got[1], "<p style=\"" + floated + "\">A</p>");  // before a list item
  EXPECT_EQ(got[5], "<p style=\"" + floated + "\">E</p>");  // at the end
}

// A last tab to an end-aligned stop makes a row ending at the stop; a
// tab inside a reference link's markers, or a heading's, stays a tab.
TEST(HtmlWriter, TextAfterTheLastTabEndsAtItsStop) {
  Builder b;
  const std::pair<uint8_t, const char*> cases[] = {
      {9, "A\tChapter\t7"}, {9, "%A=1 a\tb%A#"}, {0, "Head\t2"}};
  for (const auto& [level, text] : cases) {
    ParagraphFormat f;
    f.indentLeft = 720;
    f.tabEnd = 5760;
    f.tabLeader = TabLeader::Dots;
    f.outlineLevel = level;
    b.paragraph(f);
    b.text(text);
    b.endParagraph();
  }
  const std::vector<std::string> body = bodyLines(html(b.finish()));
  ASSERT_EQ(body.size(), 3u);
  EXPECT_EQ(body[0].substr(body[0].find("display")),
            "display:flex;align-items:baseline;align-items:last baseline;max-width:21rem;\">"
            "<span>A<span class=\"tab\">&#9;</span>Chapter</span><span style=\"flex:1 0 "
            "1em;margin:0 .2em;border-bottom:2px dotted;\"></span><span "
            "style=\"text-indent:0\">7</span></p>");
  for (size_t i : {1, 2}) EXPECT_EQ(body[i].find("flex"), std::string::npos) << body[i];
}

// A tab to a stop that centres the text after it, ends it or aligns it
// by its decimal point sets that text in a box of no width at the stop;
// the last such stop makes a row, the text ending at it (by its point) or
// centred on it; in a cell, a first decimal stop aligns lines without a
// tab; a German text's point is a comma.
TEST(HtmlWriter, TabsCentreOrEndTheTextAfterThemAtTheirStops) {
  const std::string box = "<span style=\"display:inline-flex;";
  struct Case {
    int16_t stop, end;
    TabAlign align, endAlign;
    bool cell;
    const char* language;
    const char* text;
    std::string want;
  };
  const Case cases[] = {
      {4680, 9360, TabAlign::Centre, TabAlign::End, false, "", "A\tB\tC",
       "tab-size:19.5rem;\">&#9;</span>" + box +
           "width:0;justify-content:center;white-space:nowrap;text-indent:0\"><span>B</span></span>"
           "</span><span style=\"flex"},
      {2880, 0, TabAlign::Decimal, TabAlign::End, false, "", "a\t12.5\tb",
       ">&#9;</span>" + box +
           "width:0;justify-content:flex-end;white-space:nowrap;text-indent:0\">" +
           "<span>12</span></span>.5<span class=\"tab\""},
      {0, 2880, TabAlign::Start, TabAlign::Decimal, false, "", "Tea\t3.50",
       "<span style=\"text-indent:0\">3" + box +
           "width:0;justify-content:flex-start;white-space:nowrap;text-indent:0\"><span>.50</span>"
           "</span></span></p>"},
      {0, 2880, TabAlign::Start, TabAlign::Decimal, false, "de-DE", "Tee\t3,50",
       "<span style=\"text-indent:0\">3" + box + "width:0;"},
      {0, 7200, TabAlign::Start, TabAlign::Centre, false, "", "\tJane",
       "<span style=\"text-indent:0;transform:translateX(50%)\">Jane</span>"},
      {0, 720, TabAlign::Start, TabAlign::Decimal, true, "", "1.5\v10.25",
       box + "min-width:3rem;justify-content:flex-end;white-space:nowrap;text-indent:0\">" +
           "<span>1</span></span>.5<br>" + box +
           "min-width:3rem;justify-content:flex-end;white-space:nowrap;text-indent:0\">" +
           "<span>10</span></span>.25</p>"},
  };
  for (const Case& c : cases) {
    Builder b;
    if (c.cell) {
      b.startTable();
      b.startRow();
      b.startCell(1440);
    }
    ParagraphFormat f;
    f.tabStops[0] = c.stop;
    f.tabAligns = static_cast<uint8_t>(c.align);
    f.tabEnd = c.end;
    f.tabEndAlign = c.endAlign;
    b.paragraph(f);
    b.text(c.text);
    if (c.cell) {
      b.endRow();
      b.endTable();
    }
    b.endParagraph();
    Model m = b.finish();
    m.language = c.language;
    const std::string page = html(m);
    EXPECT_NE(page.find(c.want), std::string::npos) << c.text << "\n" << page;
  }
}

// The first tab of each line goes to the paragraph's first stop, or to
// the indent from a hanging line's start: a tab size counted from the
// indent reaches it. Further tabs, far stops and list items keep the
// default stops.
TEST(HtmlWriter, FirstTabOfALineGoesToTheParagraphsStop) {
  struct Case {
    int32_t left, first;
    int16_t stop;
    bool item;
    const char* text;
    std::vector<std::string> sizes;
  };
  const Case cases[] = {
      {720, 0, 2160, false, "1.1\ttext\tmore", {"6rem", ""}},
      {1440, -1440, 0, false, "a)\ttext", {"6rem"}},
      {1440, -1080, 2880, false, "a)\ttext", {"4.5rem"}},            // the indent comes first
      {1440, -1440, 720, false, "a)\ttext", {"3rem"}},               // a stop before the indent
      {0, 360, 1440, false, "a\tb\vc\td\te", {"6rem", "6rem", ""}},  // after a break
      {0, 0, 10800, false, "Name:\t", {""}},
      {0, 0, 1440, true, "item\ttext", {""}},
      // Past the last stop, on to the default stops from the margin.
      {360, -360, 0, false, "2.\t\t\tTitle", {"1.5rem", "1.5rem", "4.5rem"}},
      {360, 0, 1440, false, "a\tb\tc", {"4.5rem", "7.5rem"}},
      {720, -360, 0, false, "a\tb\tc", {"1.5rem", ""}},
  };
  for (const Case& c : cases) {
    Builder b;
    ParagraphFormat f;
    f.indentLeft = c.left;
    f.indentFirst = c.first;
    f.tabStart = f.tabStops[0] = c.stop;
    if (c.item) f.listId = 1, f.listLabel = u"1.";
    b.paragraph(f);
    b.text(c.text);
    b.endParagraph();
    const std::string page = html(b.finish());
    std::vector<std::string> sizes;
    for (size_t at = page.find("<span class=\"tab\""); at != std::string::npos;
         at = page.find("<span class=\"tab\"", at + 1)) {
      const std::string span = page.substr(at, page.find('>', at) - at);
      const size_t size = span.find("tab-size:");
      sizes.push_back(
          size == std::string::npos ? "" : span.substr(size + 9, span.find(';', size) - size - 9));
    }
    EXPECT_EQ(sizes, c.sizes) << c.text;
  }
}

// A first stop with a leader: a line to fill in where the tab ends the
// text (a row, however far the stop), under the tab where text follows.
TEST(HtmlWriter, AFirstStopsLeaderDrawsTheLineToFillIn) {
  const std::tuple<int16_t, const char*, const char*> cases[] = {
      {8640, "Name:\t ",
       "max-width:36rem;\"><span>Name:</span><span style=\"flex:1 0 "
       "1em;margin:0 .2em;border-bottom:1px solid;\"></span><span "
       "style=\"text-indent:0\"> </span></p>"},
      {2880, "Name:\tx", "<span class=\"tab\" style=\"tab-size:12rem;border-bottom:1px solid;\">"},
      {8640, "Name:\tx", "Name:<span class=\"tab\">&#9;</span>x"},
      {8640, "Name:\vDate:\t", "Date:<span class=\"tab\">&#9;</span>"},
      // A line alone, nothing written on it, keeps its height.
      {8640, "\t", "<span style=\"text-indent:0\">&nbsp;</span></p>"},
  };
  for (const auto& [stop, text, want] : cases) {
    Builder b;
    ParagraphFormat f;
    f.tabStart = stop;
    f.tabStartLeader = TabLeader::Line;
    b.paragraph(f);
    b.text(text);
    b.endParagraph();
    const std::string page = html(b.finish());
    EXPECT_NE(page.find(want), std::string::npos) << text << "\n" << page;
  }
}

// The table's heading rows (leading ones only) are header cells.
TEST(HtmlWriter, NestedTablesStayOnTheirRowsLine) {
  Builder b;
  b.startTable();
  b.startRow();
  b.rowHeader();
  b.startCell(1440, 2);
  b.text("outer");
  b.endParagraph();
  wordtest::table(b, {"in1", "in2"});
  b.endRow();
  b.startRow();
  b.startCell(720, 1, VMerge::Restart);
  b.text("tall");
  b.startCell(720);
  b.text("r2");
  b.endRow();
  b.startRow();
  b.startCell(720, 1, VMerge::Continue);
  b.startCell(720);
  b.text("r3");
  b.endRow();
  b.startRow();
  b.rowHeader();  // below the body's rows: not a heading
  b.startCell(720);
  b.text("r4");
  b.startCell(720, 1, VMerge::Continue);  // nothing above to merge with: shown
  b.text("r4b");
  b.endRow();
  b.endTable();
  std::vector<std::string> body = bodyLines(html(b.finish()));
  ASSERT_EQ(body.size(), 7u);
  EXPECT_EQ(
      body[4],
      "<tr><td style=\"width:3rem\"><p>r4</p></td><td style=\"width:3rem\"><p>r4b</p></td></tr>");
  EXPECT_EQ(body[1],
            "<tr><th scope=\"col\" colspan=\"2\" "
            "style=\"width:6rem\"><p>outer</p><table><tr><td><p>in1</p></td><td><p>in2</p>"
            "</td></tr></table><p>&nbsp;</p></th></tr>");
  EXPECT_EQ(body[2],
            "<tr><td rowspan=\"2\" style=\"width:3rem\"><p>tall</p></td><td "
            "style=\"width:3rem\"><p>r2</p></td></tr>");
  EXPECT_EQ(body[3], "<tr><td style=\"width:3rem\"><p>r3</p></td></tr>");
}

// Each cell writes the borders it knows, one row per kind; unknown ones
// keep the page's grid (golden/table_borders.htm).
TEST(HtmlWriter, CellsCarryTheirBorders) {
  const Border none{LineStyle::None, 0, 0, kAutoColor}, hair{LineStyle::Single, 0, 0, kAutoColor};
  const Border red{LineStyle::Double, 4, 0, 0xFF0000}, thick{LineStyle::Thick, 200, 0, 0x123456};
  const CellBorders cases[] = {
      {},                            // unknown: the grid
      {none, none, none, none},      // a layout table's cell
      {hair, hair, hair, hair},      // the thinnest line still shows
      {red, none, thick, Border{}},  // sides of their own; the unknown one keeps the grid
      {{LineStyle::Dotted, 8, 0, kAutoColor},
       {LineStyle::Dashed, 12, 0, 0x00FF00},
       {LineStyle::DotDash, 6, 0, kAutoColor},
       {LineStyle::Groove, 16, 0, kAutoColor}},
      {{LineStyle::Ridge, 16, 0, kAutoColor},
       {LineStyle::Inset, 16, 0, kAutoColor},
       {LineStyle::Outset, 16, 0, kAutoColor},
       none},
  };
  Builder b;
  b.startTable();
  for (const CellBorders& c : cases) {
    b.startRow();
    b.startCell(720, 1, VMerge::None, kAutoColor, c);
    b.text("x");
    b.endRow();
  }
  b.endTable();
  std::string got;
  for (const std::string& line : bodyLines(html(b.finish()))) got += line + "\n";
  EXPECT_EQ(got, testing_support::golden(RD_TEST_DIR "/word/golden/table_borders.htm", got));
}

TEST(HtmlWriter, PicturesAreFilesNamedAfterThePageWithTheirDisplaySize) {
  Builder b;
  auto picture = [&](const char* format, std::string bytes, int w, int h, PictureLook look = {},
                     PictureSide side = PictureSide::Inline) {
    Picture p;
    p.data = std::make_shared<const std::string>(std::move(bytes));
    p.format = format;
    p.widthPx = w;
    p.heightPx = h;
    p.alt = u"a \"quoted\" picture";
    p.look = look;
    p.side = side;
    b.picture(p);
  };
  // The picture's colours adjusted as the document does; not its stand-in's.
  const PictureLook adjusted{true, true, -500, 1500};
  // At the end of the text, which flows beside it.
  picture("jpeg", "\xFF\xD8jpegdata", 640, 480, {}, PictureSide::End);
  picture("", "GIF89a...", 0, 0, adjusted);
  picture("emf", "emf bytes", 300, 60, adjusted);
  picture("png", "", 5, 5);  // no bytes: nothing to show
  b.endParagraph();
  Model m = b.finish();

  // Without a converter the metafile shows as a stand-in holding its
  // alternative text, and the page says so.
  write::HtmlPage page = write::html(m, "page7_files", u"Pictures");
  ASSERT_EQ(page.placeholders.size(), 1u);
  EXPECT_EQ(page.placeholders[0].format, "emf");
  std::vector<std::string> body = bodyLines(page.text);
  ASSERT_FALSE(body.empty());
  EXPECT_EQ(
      body[0],
      "<p><img src=\"page7_files/image001.jpg\" width=\"640\" height=\"480\" "
      "style=\"float:inline-end;margin-block-end:4pt;margin-inline-start:9pt;max-width:50%;height:"
      "auto;aspect-ratio:640/480;\" alt=\"a "
      "&quot;quoted&quot; "
      "picture\"><img src=\"page7_files/image002.gif\" style=\"filter:grayscale(1) contrast(100) "
      "brightness(0.5) contrast(1.5);\" alt=\"a &quot;quoted&quot; picture\"><img "
      "src=\"page7_files/image003.svg\" width=\"300\" height=\"60\" style=\"aspect-ratio:300/60;\" "
      "alt=\"a &quot;quoted&quot; "
      "picture\"></p>");
  ASSERT_EQ(page.pictures.size(), 3u);
  EXPECT_EQ(page.pictures[2].name, "image003.svg");
  EXPECT_NE(page.pictures[2].bytes->find(">a &quot;quoted&quot; picture</tspan>"),
            std::string::npos);

  // Written, the pictures go into the page's own folder; the page's bytes
  // pass the filter after them.
  testing_support::ScratchFolder scratch;
  const fs::path dir = scratch.path();
  write::savePage((dir / "page7.htm").string(), page, [&](std::string text) {
    EXPECT_TRUE(fs::exists(dir / "page7_files" / "image003.svg"));
    return text + "<!-- filtered -->";
  });
  EXPECT_TRUE(support::readFile((dir / "page7.htm").string()).ends_with("<!-- filtered -->"));
  EXPECT_EQ(support::readFile((dir / "page7_files" / "image001.jpg").string()), "\xFF\xD8jpegdata");
  EXPECT_EQ(support::readFile((dir / "page7_files" / "image002.gif").string()), "GIF89a...");
  EXPECT_FALSE(fs::exists(dir / "page7_files" / "image004.png"));

  // A page without pictures makes no folder.
  Builder plain;
  para(plain, "text");
  const std::string page8 = (dir / "page8.htm").string();
  write::savePage(page8, write::html(plain.finish(), write::filesFolderOf(page8), u"Plain"));
  EXPECT_FALSE(fs::exists(dir / "page8_files"));

  const std::string missing = (dir / "missing/page9.htm").string();
  EXPECT_EQ(wordtest::thrown([&] { write::savePage(missing, page); }).number(), kCannotSave);
}

// A PNG picture shown 80 by 40 pixels.
Picture smallPng() {
  Picture p;
  p.data = std::make_shared<const std::string>("\x89PNG\r\n\x1A\n");
  p.format = "png";
  p.widthPx = 80;
  p.heightPx = 40;
  return p;
}

// A picture the document shows again, at the same size, is one file.
TEST(HtmlWriter, APictureShownTwiceIsOneFile) {
  Builder b;
  Picture p = smallPng();
  b.picture(p);
  b.picture(p);
  p.widthPx = 40;  // another size: converted anew
  b.picture(p);
  b.endParagraph();
  const write::HtmlPage page = write::html(b.finish(), "p_files", u"t");
  ASSERT_EQ(page.pictures.size(), 2u);
  const size_t first = page.text.find("image001.png");
  EXPECT_NE(page.text.find("image001.png", first + 1), std::string::npos) << page.text;
}

// A floating picture is at most half its line wide, but not in a table's
// cell, whose width is no line of text beside it.
TEST(HtmlWriter, AFloatingPictureInACellIsNotHalvedByIt) {
  Builder b;
  Picture p = smallPng();
  p.side = PictureSide::Start;
  b.picture(p);
  b.endParagraph();
  b.startTable();
  b.startRow();
  b.startCell(600);
  b.picture(p);
  b.endRow();
  b.endTable();
  const std::string page = html(b.finish());
  const size_t first = page.find("max-width:50%");
  ASSERT_NE(first, std::string::npos) << page;
  EXPECT_EQ(page.find("max-width:50%", first + 1), std::string::npos) << page;
  EXPECT_NE(page.find("<td"), std::string::npos);
}

// A cropped picture shows its part through a box of its display size, the
// whole image larger and moved in it by shares of the box's width (so that
// a narrow window scales both) at the proportions the document gives it;
// a crop outward, or one leaving nothing, shows the picture whole.
TEST(HtmlWriter, CroppedPicturesShowTheirPart) {
  const struct {
    int32_t left, top, right, bottom;
    const char* shown;
  } cases[] = {
      {10000, 20000, 10000, 0,
       "<span style=\"display:inline-block;overflow:hidden;width:80px;max-width:100%;"
       "aspect-ratio:80/40;\"><img "
       "src=\"p_files/image001.png\" width=\"100\" height=\"50\" style=\"display:block;max-width:"
       "none;height:auto;aspect-ratio:100/50;width:125%;margin-left:-12.5%;margin-top:-12.5%;\" "
       "alt=\"\"></span>"},
      {-5000, 0, 0, 0,
       "<img src=\"p_files/image001.png\" width=\"80\" height=\"40\" style=\"aspect-ratio:80/40;\" "
       "alt=\"\">"},
      {60000, 0, 40000, 0,
       "<img src=\"p_files/image001.png\" width=\"80\" height=\"40\" style=\"aspect-ratio:80/40;\" "
       "alt=\"\">"},
  };
  for (const auto& c : cases) {
    Builder b;
    Picture p = smallPng();
    p.look.cropLeft = c.left;
    p.look.cropTop = c.top;
    p.look.cropRight = c.right;
    p.look.cropBottom = c.bottom;
    b.picture(p);
    b.endParagraph();
    EXPECT_EQ(bodyLines(write::html(b.finish(), "p_files", u"P").text),
              (std::vector<std::string>{std::string("<p>") + c.shown + "</p>"}));
  }
}

TEST(HtmlWriter, NotesComeLastFootnotesBeforeEndnotesWithLinksBothWays) {
  Builder b;
  Builder end;
  para(end, "An endnote.");
  Builder foot;
  para(foot, "\tA <footnote>.");  // its own space after its mark: no second
  b.text("Text");
  // A reference set in superscript is raised once.
  CharFormat raised;
  raised.superscript = true;
  b.note(true, u"i", end.finishStory(), raised);
  b.text(" more");
  b.note(false, u"1", foot.finishStory());
  b.endParagraph();
  EXPECT_EQ(bodyLines(html(b.finish())),
            (std::vector<std::string>{
                "<p>Text<sup><a href=\"#note1\" id=\"note1ref\">i</a></sup> more<a href=\"#note2\" "
                "id=\"note2ref\"><sup>1</sup></a></p>",
                "<hr>",
                "<div class=\"note\" id=\"note2\"><p><a href=\"#note2ref\"><sup>1</sup></a><span "
                "class=\"tab\">&#9;</span>A &lt;footnote&gt;.</p></div>",
                "<div class=\"note\" id=\"note1\"><p><a href=\"#note1ref\"><sup>i</sup></a> An "
                "endnote.</p></div>"}));
}

TEST(HtmlWriter, BookmarksAreAnchorsAtTheStartOfTheirBlockAndTextIsEscaped) {
  Builder b;
  b.text("%A=1 ");
  b.startBookmark(u"mid\"dle");
  b.text("link%A# & <tag> \"q\"\t\u00a0end");
  b.endBookmark(u"mid\"dle");
  b.endParagraph();
  EXPECT_EQ(bodyLines(html(b.finish())),
            std::vector<std::string>{
                "<p><a id=\"mid&quot;dle\"></a>%A=1 link%A# &amp; &lt;tag&gt; &quot;q&quot;<span "
                "class=\"tab\">&#9;</span>&nbsp;end</p>"});
}

// A page has no margin for text outdented into it: a hanging paragraph
// moves right as a whole, its first line still hanging; other lines start
// at the text's edge at the least. Shading starts at the hanging line.
TEST(HtmlWriter, OutdentedLinesStartAtTheEdge) {
  struct Case {
    int32_t left, first;
    const char* css;
    uint32_t shading = kAutoColor;
  };
  const Case cases[] = {
      {-180, 180, ""},                                       // a title back at the edge
      {-720, 1080, "text-indent:1.5rem;"},                   // its first line past it
      {-720, 0, ""},                                         // outdented
      {0, -360, "margin-left:1.5rem;text-indent:-1.5rem;"},  // hanging into the margin
      {720, -1080,  // held on a narrow window, the first line with its paragraph
       "margin-left:min(4.5rem,0.5625rem + max(20%,100vw - 20rem));"
       "text-indent:max(-4.5rem,-0.5625rem - max(20%,100vw - 20rem));"},
      {720, -360,
       "margin-left:3rem;text-indent:-1.5rem;margin-left:1.5rem;padding-left:1.5rem;text-indent:-1."
       "5rem;"
       "background-color:#CCCCCC;",
       0xCCCCCC},
  };
  Builder b;
  for (const Case& c : cases) {
    ParagraphFormat f;
    f.indentLeft = c.left;
    f.indentFirst = c.first;
    f.shading = c.shading;
    b.paragraph(f);
    b.text("x");
    b.endParagraph();
  }
  const std::vector<std::string> lines = bodyLines(html(b.finish()));
  ASSERT_EQ(lines.size(), std::size(cases));
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(lines[i], *cases[i].css ? "<p style=\"" + std::string(cases[i].css) + "\">x</p>"
                                      : std::string("<p>x</p>"))
        << cases[i].left << " " << cases[i].first;
}

// A line a style draws under (or through) its text is drawn by its runs:
// a run the document takes it off stays without.
TEST(HtmlWriter, AStylesLinesAreItsRunsToTakeOff) {
  Builder b;
  Style ruled;
  ruled.name = u"Ruled";
  ruled.chars.underline = true;
  ParagraphFormat f;
  f.style = b.addStyle(ruled);
  b.paragraph(f);
  CharFormat under, plain;
  under.underline = true;
  b.text("ruled ", under);
  b.text("plain", plain);
  b.endParagraph();
  const std::string page = html(b.finish());
  EXPECT_NE(page.find("<p class=\"Ruled\"><u>ruled </u>plain</p>"), std::string::npos) << page;
  EXPECT_EQ(page.find("text-decoration"), std::string::npos) << page;
}

// A cell keeps the room inside its sides the document gives it; the sides
// it leaves, the usual room (none above and below).
TEST(HtmlWriter, CellsKeepTheirRoomInside) {
  const std::pair<std::array<int16_t, 4>, const char*> cases[] = {
      {{-1, -1, -1, -1}, "<td>"},
      {{0, 108, 0, 108}, "<td>"},
      {{72, 0, -1, -1}, "<td style=\"padding-block:0.3rem 0rem;padding-inline:0rem 0.45rem\">"},
      {{-1, 0, -1, 0}, "<td style=\"padding-inline:0rem\">"},
  };
  for (const auto& [room, td] : cases) {
    Builder b;
    b.startTable();
    b.startRow();
    b.startCell();
    b.cellPadding(room);
    b.text("x");
    b.endCell();
    b.endRow();
    b.endTable();
    const std::string page = html(b.finish());
    EXPECT_NE(page.find(std::string(td) + "<p>x</p></td>"), std::string::npos) << page;
  }
}

// Automatic space goes between a table and the paragraphs beside it, not
// at the start of the text or of a cell.
TEST(HtmlWriter, AutomaticSpaceBesideTables) {
  ParagraphFormat spaced;
  spaced.spaceBefore = spaced.spaceAfter = kAutoSpacing;
  Builder b;
  b.paragraph(spaced);
  b.text("before");
  b.endParagraph();
  b.startTable();
  b.startRow();
  b.startCell();
  b.paragraph(spaced);
  b.text("cell");
  b.endCell();
  b.endRow();
  b.endTable();
  b.paragraph(spaced);
  b.text("after");
  b.endParagraph();
  const std::vector<std::string> body = bodyLines(html(b.finish()));
  ASSERT_EQ(body.size(), 5u);
  EXPECT_EQ(body[0], "<p style=\"margin-bottom:1.166667rem;\">before</p>");
  EXPECT_EQ(body[2], "<tr><td><p>cell</p></td></tr>");
  EXPECT_EQ(body[4], "<p style=\"margin-top:1.166667rem;\">after</p>");
}

// A table's place: indented, or out into the margin no further than its
// first cell's room, so that its text stays on the page.
TEST(HtmlWriter, TablesStandWhereTheirIndentPutsThem) {
  const struct {
    int32_t indent;
    int16_t padding;
    bool rightToLeft;
    const char* css;
  } cases[] = {
      {1440, -1, false, "margin-left:6rem;"},
      {-108, -1, false, "margin-left:-0.45rem;"},
      {-709, -1, false, "margin-left:-0.45rem;"},
      {-709, 0, false, ""},
      {-70, 144, false, "margin-left:-0.291667rem;"},
      {-108, -1, true, "margin-left:auto;margin-right:-0.45rem;"},
  };
  for (const auto& c : cases) {
    Table t;
    t.indent = c.indent;
    t.rightToLeft = c.rightToLeft;
    t.rows.emplace_back().cells.emplace_back().padding[1] = c.padding;
    EXPECT_EQ(u8(write::tableCss(t)), c.css) << c.indent;
  }
}

// Cells spaced apart, each in its own borders, the table's line around
// them; the width a table states where its columns do not.
TEST(HtmlWriter, TablesSpaceTheirCellsAndTakeTheirWidth) {
  const Border line{LineStyle::Single, 4, 0, kAutoColor};
  const struct {
    int16_t spacing;
    int32_t width;
    uint16_t share;
    const char* css;
  } cases[] = {
      {40, 0, 0,
       "border-collapse:separate;border-spacing:0.166667rem;border:0.75pt solid #000000;"},
      {0, 4320, 0, "width:18rem;"},
      {0, 0, 2500, "width:50%;"},
      {0, 0, 0, ""},
  };
  for (const auto& c : cases) {
    Table t;
    t.cellSpacing = c.spacing;
    t.frame = {line, line, line, line};
    t.width = c.width;
    t.widthShare = c.share;
    EXPECT_EQ(u8(write::tableCss(t)), c.css);
  }
}

// A table's grid columns, where its rows' cell widths place every grid
// line (the first row to reach a line places it): cells spanning columns
// then cannot stretch them.
TEST(HtmlWriter, TablesStateTheirGridColumns) {
  using Cells = std::vector<std::pair<int32_t, uint16_t>>;  // width, columns spanned
  const std::pair<std::vector<Cells>, std::vector<int32_t>> cases[] = {
      {{{{3000, 3}, {1000, 1}}, {{500, 1}, {2000, 1}, {500, 1}, {1000, 1}}},
       {500, 2000, 500, 1000}},
      {{{{0, 1}, {0, 1}}, {{700, 1}, {800, 1}}}, {700, 800}},
      {{{{1500, 2}}, {{1500, 2}}}, {}},  // no row places the line between
      {{{{1500, 1}}}, {}},               // one column: nothing to state
  };
  for (const auto& [rows, columns] : cases) {
    Table t;
    for (const Cells& cells : rows) {
      Row& row = t.rows.emplace_back();
      for (auto [width, span] : cells) {
        Cell& c = row.cells.emplace_back();
        c.width = width;
        c.gridSpan = span;
      }
    }
    EXPECT_EQ(write::tableColumns(t), columns);
  }
}

// A line is as tall as its letters: an empty one's a blank in its mark's
// size and face; where all the text, or the mark of an empty paragraph, is
// smaller than its style's (or the page's 12 points), the paragraph takes
// the smallest size, and where it is all in a face not its style's, that
// face, so that its own do not hold the lines apart.
TEST(HtmlWriter, LinesAreAsTallAsTheirLetters) {
  Builder b;
  CharFormat small;
  small.halfPoints = 16;
  b.text("small", small);
  b.endParagraph();
  b.endParagraph();
  Style body;
  body.name = u"Body";
  body.chars.halfPoints = 24;
  ParagraphFormat pf;
  pf.style = b.addStyle(body);
  for (int i = 0; i < 3; ++i) {
    b.paragraph(pf);
    if (i < 2) b.text("small", small);
    if (i == 1) b.text(" large", body.chars);
    if (i == 2) b.paragraphMark(small);
    b.endParagraph();
  }
  // Text all in one face: the paragraph's own, its weight too, so that
  // its own face's line does not push the text's apart.
  CharFormat light;
  light.font = u"Calibri Light";
  b.text("light", light);
  b.endParagraph();
  // Lines of at least 12 points: taller than 9.5-point letters' own, which
  // the paragraph's least height then holds apart at its own size.
  ParagraphFormat least;
  least.lineRule = LineRule::AtLeast;
  least.lineSpacing = 240;
  b.paragraph(least);
  small.halfPoints = 19;
  b.text("least", small);
  b.endParagraph();
  // At least 13.5 points, the paragraph's own or its style's, weighed
  // against the 9-point letters shown, not the 12-point style's.
  Style spaced = body;
  spaced.name = u"Spaced";
  spaced.paragraph.lineRule = LineRule::AtLeast;
  spaced.paragraph.lineSpacing = 270;
  ParagraphFormat own = pf;
  own.lineRule = LineRule::AtLeast;
  own.lineSpacing = 270;
  ParagraphFormat styled = spaced.paragraph;  // as the readers fold it in
  styled.style = b.addStyle(spaced);
  small.halfPoints = 18;
  for (const ParagraphFormat& f : {own, styled}) {
    b.paragraph(f);
    b.text("nine", small);
    b.endParagraph();
  }
  // A run taller than 15 points raises its line.
  least.lineSpacing = 300;
  b.paragraph(least);
  b.text("a");
  CharFormat big;
  big.halfPoints = 56;
  b.text("B", big);
  b.endParagraph();
  EXPECT_EQ(
      bodyLines(html(b.finish())),
      (std::vector<std::string>{
          "<p style=\"font-size:0.666667rem;\">small</p>",
          "<p style=\"font-size:0.666667rem;\">&nbsp;</p>",
          "<p class=\"Body\" style=\"font-size:0.666667rem;\">small</p>",
          "<p class=\"Body\" style=\"font-size:0.666667rem;\">small<span "
          "style=\"font-size:1rem;\"> large</span></p>",
          "<p class=\"Body\" style=\"font-size:0.666667rem;\">&nbsp;</p>",
          "<p style=\"font-family:'Calibri Light','Carlito',sans-serif;font-weight:300;\">"
          "light</p>",
          "<p style=\"line-height:1rem;\"><span style=\"font-size:0.791667rem;\">least</span></p>",
          "<p class=\"Body\" style=\"line-height:1.125rem;\"><span "
          "style=\"font-size:0.75rem;\">nine</span></p>",
          "<p class=\"Spaced\" style=\"line-height:1.125rem;\"><span "
          "style=\"font-size:0.75rem;\">nine</span></p>",
          "<p style=\"line-height:1.25rem;\">a<span "
          "style=\"font-size:2.333333rem;line-height:normal;\">B</span></p>"}));
}

// The page keeps the document's spaces: a line's first, and every other
// one of a row (those between still break a line); and the empty line
// after a break that ends the paragraph.
TEST(HtmlWriter, RowsOfSpacesAndALinesFirstSpaceShow) {
  const std::pair<const char*, const char*> cases[] = {
      {"a b", "a b"},
      {"a  b", "a &nbsp;b"},
      {"a     b", "a &nbsp; &nbsp; b"},
      {" a", "&nbsp;a"},
      {"   a", "&nbsp; &nbsp;a"},
      {"a\v  b", "a<br>&nbsp; b"},
      {"a\v", "a<br>&nbsp;"},
      {"a\vb\v\v", "a<br>b<br><br>&nbsp;"},
  };
  for (const auto& [text, page] : cases) {
    Builder b;
    b.text(text);
    b.endParagraph();
    EXPECT_EQ(bodyLines(html(b.finish())),
              std::vector<std::string>{"<p>" + std::string(page) + "</p>"})
        << text;
  }
}

}  // namespace
