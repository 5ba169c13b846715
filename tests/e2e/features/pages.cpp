// One-feature documents in each format they apply to, written with the
// tests' own writers and saved as pages for features.js to look at:
//   feature_pages FOLDER
// writes FOLDER/FEATURE.FORMAT.htm. Features that are about text show once
// in a paragraph of its own and once in a table's cell.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "../../doc/synthetic_doc.h"
#include "../../docx/docx_fixture.h"
#include "../../odt/odt_fixture.h"

namespace {

using doctest::SyntheticDoc;

// A .doc feature: one paragraph's text (without its mark), the character
// properties of ranges of it and its paragraph properties.
struct DocPart {
  std::u16string text;
  std::vector<SyntheticDoc::CharRun> runs;
  std::string paragraph;
};

const std::string kInTable = doctest::sprm8(0x2416, 1);
// "Hello, world!" in Hebrew: the mark ends the line on its left.
const std::u16string kHebrew = u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD!";
const std::string kRowEnd = kInTable + doctest::sprm8(0x2417, 1);

// The part as a paragraph, then in the one cell of a table, then a last
// paragraph.
SyntheticDoc docLeanAndInATable(const DocPart& part) {
  SyntheticDoc d;
  d.fonts = {{u"Times New Roman"}, {u"Symbol"}};
  for (const bool cell : {false, true}) {
    const uint32_t at = static_cast<uint32_t>(d.text.size());
    d.text += part.text + (cell ? u"\x07\x07" : u"\r");
    for (auto r : part.runs) d.charRuns.push_back({r.start + at, r.end + at, r.sprms});
    d.paragraphs.push_back({(cell ? kInTable : "") + part.paragraph});
    if (cell) d.paragraphs.push_back({kRowEnd + doctest::tableDefinition({0, 6000}, {0})});
  }
  d.text += u"end\r";
  return d;
}

// A table of one cell, "cell", from its row's definition and properties.
SyntheticDoc docTable(const std::string& row) {
  SyntheticDoc d;
  d.text =
      u"before\rcell\x07\x07"
      u"after\r";
  d.paragraphs = {{}, {kInTable}, {kRowEnd + row}, {}};
  return d;
}

std::string sprm16(uint16_t sprm, int16_t v) {
  return doctest::sprm8(sprm, static_cast<uint8_t>(v & 0xFF)) +
         static_cast<char>(static_cast<uint16_t>(v) >> 8);
}

std::map<std::string, word::Model> docDocuments() {
  using doctest::sprm32;
  using doctest::sprm8;
  using doctest::tableDefinition;
  std::map<std::string, SyntheticDoc> docs = {
      {"deleted",
       docLeanAndInATable({u"Revised September 28, 1999", {{8, 22, sprm8(0x0800, 1)}}, ""})},
      {"smallcaps", docLeanAndInATable({u"Small capitals here", {{0, 14, sprm8(0x083A, 1)}}, ""})},
      {"effects", docLeanAndInATable({u"Raised and Wide Boxed Twice",
                                      {{0, 6, sprm8(0x0858, 1) + sprm32(0x6870, 0xFFFFFF)},
                                       {11, 15, sprm16(0x8840, 60)},
                                       {16, 21, sprm32(0x6865, 0x00010108)},
                                       {22, 27, sprm8(0x2A53, 1)}},
                                      ""})},
      {"degree",
       docLeanAndInATable({u"It is 40(C", {{8, 9, sprm32(0x6A09, 1 | 0xF0B0u << 16)}}, ""})},
      {"outdented", docLeanAndInATable({u"Outdented text", {}, sprm16(0x840F, -720)})},
      {"hanging", docLeanAndInATable({u"Hanging first line", {}, sprm16(0x8411, -720)})},
      {"tabbed", docLeanAndInATable({u"A\tTabbed", {}, ""})},
      // A left stop at an inch and a half; a first line hanging an inch.
      {"stopped",
       docLeanAndInATable({u"B\tStopped", {}, std::string("\x0D\xC6\x05\x00\x01\x70\x08\x00", 8)})},
      {"hung", docLeanAndInATable({u"a)\tHung", {}, sprm16(0x840F, 1440) + sprm16(0x8411, -1440)})},
      // Left stops at an inch and a half and at three inches.
      {"columns",
       docLeanAndInATable({u"C\tOne\tColumns",
                           {},
                           std::string("\x0D\xC6\x08\x00\x02\x70\x08\xE0\x10\x00\x00", 11)})},
      // A stop at four inches aligning by the end, dots before it.
      {"contents",
       docLeanAndInATable({u"Chapter\t7", {}, std::string("\x0D\xC6\x05\x00\x01\x80\x16\x0A", 8)})},
      {"indented", docTable(tableDefinition({1440, 4000}, {0}))},
      {"centred", docTable(tableDefinition({0, 2000}, {0}) + sprm16(0x5400, 1))},
      {"middle", docTable(tableDefinition({0, 2000}, {0x0080}))},
      {"turned", docTable(tableDefinition({0, 2000}, {0x000C}))},
      {"tall", docTable(tableDefinition({0, 2000}, {0}) + sprm16(0x9407, 1440))},
      // Right to left, aligned by the older property (the page's right)
      // and indented at its start by the newer one.
      {"rtl", docLeanAndInATable(
                  {kHebrew, {}, sprm8(0x2441, 1) + sprm8(0x2403, 2) + sprm16(0x845E, 720)})},
  };
  SyntheticDoc boxed;  // two paragraphs in one box, hanging, one ruled below
  const std::string line = sprm32(0x6426, 0x00010104);  // single, half a point, black
  const std::string sides =
      sprm32(0x6424, 0x00010104) + sprm32(0x6425, 0x00010104) + line + sprm32(0x6427, 0x00010104);
  boxed.text = u"Boxed one\rBoxed two\rRuled below\rend\r";
  const std::string after = doctest::sprm8(0xA414, 240 & 0xFF) + static_cast<char>(240 >> 8);
  const std::string hanging = sprm16(0x840F, 720) + sprm16(0x8411, -720);
  boxed.paragraphs = {{sides + after + hanging}, {sides + after + hanging}, {line}, {}};
  docs.emplace("boxed", boxed);
  SyntheticDoc cap;  // a drop cap three lines deep
  cap.text = u"O\rnce upon a time\rend\r";
  cap.paragraphs = {{sprm16(0x442C, 1 | 3 << 3)}, {}, {}};
  cap.charRuns = {{0, 1, sprm16(0x4A43, 72)}};
  docs.emplace("dropcap", cap);
  SyntheticDoc lines;
  lines.text = u"Name" + std::u16string(300, u'_') + u"\rTabs" + std::u16string(60, u'\t') + u"\r";
  docs.emplace("long", lines);
  SyntheticDoc blank;  // a line to fill in: underlined tabs
  blank.text = u"Name\t\t\t\t\r";
  blank.charRuns = {{4, 8, sprm8(0x2A3E, 1)}};
  docs.emplace("blank", blank);
  SyntheticDoc columns;
  columns.text =
      u"before\rfirst\x07second\x07\x07"
      u"after\r";
  columns.paragraphs = {{},
                        {kInTable},
                        {kInTable},
                        {kRowEnd + tableDefinition({0, 2000, 4000}, {0, 0}) + sprm16(0x560B, 1)},
                        {}};
  docs.emplace("rtltable", columns);
  SyntheticDoc box;
  box.text = u"Anchor \x08 here\rend\r";
  box.boxAnchor = 7;
  box.charRuns = {{7, 8, sprm8(0x0855, 1)}};
  box.textBoxStory = u"Boxed words\rMore boxed words\r";
  box.textBoxCuts = {0, 12, 29};
  docs.emplace("textbox", box);
  std::map<std::string, word::Model> out;
  for (const auto& [name, d] : docs) out.emplace(name, word::read::readDoc(d.build()));
  return out;
}

std::map<std::string, word::Model> docxDocuments() {
  using docxtest::p;
  using docxtest::r;
  auto leanAndInATable = [](const std::string& x) {
    return x + "<w:tbl><w:tr><w:tc>" + x + "</w:tc></w:tr></w:tbl>" + p(r("end"));
  };
  // A bordered table whose first cell has the properties given, beside a
  // taller one.
  auto table = [](const std::string& tblPr, const std::string& tcPr) {
    const std::string line =
        "<w:tblBorders><w:insideV w:val=\"single\" w:sz=\"4\"/>"
        "<w:top w:val=\"single\" w:sz=\"4\"/><w:left w:val=\"single\" "
        "w:sz=\"4\"/><w:bottom w:val=\"single\" w:sz=\"4\"/><w:right "
        "w:val=\"single\" w:sz=\"4\"/></w:tblBorders>";
    return p(r("before")) + "<w:tbl><w:tblPr>" + tblPr + line + "</w:tblPr><w:tr><w:tc>" + tcPr +
           p(r("cell")) + "</w:tc><w:tc>" + p(r("a taller")) + p(r("cell")) +
           "</w:tc></w:tr></w:tbl>" + p(r("after"));
  };

  const std::string styles = docxtest::part(
      "styles",
      "<w:style w:type=\"paragraph\" w:styleId=\"Ruled\"><w:name w:val=\"Ruled heading\"/>"
      "<w:pPr><w:outlineLvl w:val=\"0\"/></w:pPr><w:rPr><w:u w:val=\"single\"/></w:rPr>"
      "</w:style>");
  const std::map<std::string, std::string> bodies = {
      {"deleted", leanAndInATable(p(r("Revised ") +
                                    "<w:del w:id=\"1\" w:author=\"a\"><w:r><w:delText>September "
                                    "28, </w:delText></w:r></w:del>" +
                                    r("1999")))},
      {"smallcaps", leanAndInATable(p(r("Small capitals", "<w:smallCaps/>") + r(" here")))},
      {"effects", leanAndInATable(p(r("Raised", "<w:emboss/><w:color w:val=\"FFFFFF\"/>") +
                                    r(" and ") + r("Wide", "<w:spacing w:val=\"60\"/>") + r(" ") +
                                    r("Boxed", "<w:bdr w:val=\"single\" w:sz=\"4\"/>") + r(" ") +
                                    r("Twice", "<w:dstrike/>")))},
      {"degree",
       leanAndInATable(
           p(r("It is 40") + "<w:r><w:sym w:font=\"Symbol\" w:char=\"F0B0\"/></w:r>" + r("C")))},
      {"outdented", leanAndInATable(p(r("Outdented text"), "<w:ind w:left=\"-720\"/>"))},
      {"hanging", leanAndInATable(p(r("Hanging first line"), "<w:ind w:hanging=\"720\"/>"))},
      {"tabbed", leanAndInATable(p("<w:r><w:t>A</w:t><w:tab/><w:t>Tabbed</w:t></w:r>"))},
      {"stopped", leanAndInATable(p("<w:r><w:t>B</w:t><w:tab/><w:t>Stopped</w:t></w:r>",
                                    "<w:tabs><w:tab w:val=\"left\" w:pos=\"2160\"/></w:tabs>"))},
      {"columns",
       leanAndInATable(p("<w:r><w:t>C</w:t><w:tab/><w:t>One</w:t><w:tab/><w:t>Columns</w:t></w:r>",
                         "<w:tabs><w:tab w:val=\"left\" w:pos=\"2160\"/><w:tab w:val=\"left\" "
                         "w:pos=\"4320\"/></w:tabs>"))},
      {"hung", leanAndInATable(p("<w:r><w:t>a)</w:t><w:tab/><w:t>Hung</w:t></w:r>",
                                 "<w:ind w:left=\"1440\" w:hanging=\"1440\"/>"))},
      {"contents",
       leanAndInATable(
           p(r("Chapter") + "<w:r><w:tab/><w:t>7</w:t></w:r>",
             "<w:tabs><w:tab w:val=\"right\" w:leader=\"dot\" w:pos=\"5760\"/></w:tabs>"))},
      {"tall", p(r("before")) + "<w:tbl><w:tr><w:trPr><w:trHeight w:val=\"1440\"/></w:trPr><w:tc>" +
                   p(r("cell")) + "</w:tc></w:tr><w:tr><w:trPr><w:trHeight w:val=\"240\" " +
                   "w:hRule=\"exact\"/></w:trPr><w:tc>" + p(r("not cut")) + p(r("off")) +
                   "</w:tc></w:tr><w:tr><w:trPr><w:trHeight w:val=\"240\" w:hRule=\"exact\"/>" +
                   "</w:trPr><w:tc>" + p("") + p("") + "</w:tc></w:tr></w:tbl>" + p(r("after"))},
      {"dropcap",
       p(r("O", "<w:sz w:val=\"72\"/>"), "<w:framePr w:dropCap=\"drop\" w:lines=\"3\"/>") +
           p(r("nce upon a time")) + p(r("end"))},
      {"underlined", leanAndInATable(p(r("Ruled"), "<w:pStyle w:val=\"Ruled\"/>") +
                                     p("", "<w:pStyle w:val=\"Ruled\"/>"))},
      {"textbox", p(r("Anchor ") + "<w:r><w:pict><v:shape><v:textbox><w:txbxContent>" +
                    p(r("Boxed words")) + p(r("More boxed words")) +
                    "</w:txbxContent></v:textbox></v:shape></w:pict></w:r>" + r(" here")) +
                      p(r("end"))},
      {"indented", table("<w:tblInd w:w=\"1440\" w:type=\"dxa\"/>", "")},
      {"centred", table("<w:jc w:val=\"center\"/>", "")},
      {"middle", table("", "<w:tcPr><w:vAlign w:val=\"center\"/></w:tcPr>")},
      {"turned", table("", "<w:tcPr><w:textDirection w:val=\"btLr\"/></w:tcPr>")},
      {"white", p(r("Lost white", "<w:color w:val=\"FFFFFF\"/>")) +
                    "<w:tbl><w:tr><w:tc><w:tcPr><w:shd w:val=\"clear\" w:fill=\"1F3864\"/>"
                    "</w:tcPr>" +
                    p(r("Kept white", "<w:color w:val=\"FFFFFF\"/>")) + "</w:tc></w:tr></w:tbl>" +
                    p(r("end"))},
      {"rtl", leanAndInATable(p(r(word::u8(kHebrew)), "<w:bidi/><w:ind w:left=\"720\"/>"))},
      {"boxed",
       [] {
         const std::string side = " w:val=\"single\" w:sz=\"4\"/>";
         const std::string box = "<w:pBdr><w:top" + side + "<w:left" + side + "<w:bottom" + side +
                                 "<w:right" + side + "</w:pBdr>";
         const std::string spaced =
             box + "<w:spacing w:after=\"240\"/><w:ind w:left=\"720\" w:hanging=\"720\"/>";
         return p(r("Boxed one"), spaced) + p(r("Boxed two"), spaced) +
                p(r("Ruled below"), "<w:pBdr><w:bottom" + side + "</w:pBdr>") + p(r("end"));
       }()},
      {"narrow",
       [&] {
         const std::string inch = "<w:tcPr><w:tcW w:w=\"1440\" w:type=\"dxa\"/></w:tcPr>";
         return "<w:tbl><w:tblGrid><w:gridCol w:w=\"1440\"/><w:gridCol w:w=\"1440\"/></w:tblGrid>"
                "<w:tr><w:tc>" +
                inch + p(r("NBK101/NAS220/NRK103/08003/08002/08013/")) + "</w:tc><w:tc>" + inch +
                p(r("b")) + "</w:tc></w:tr></w:tbl>" + p(r("after"));
       }()},
      {"raised",
       p(r("Plain line")) + p(r("Raised line") + r("2", "<w:vertAlign w:val=\"superscript\"/>"))},
      {"sidebar", p(r("Side note"),
                    "<w:framePr w:w=\"2880\" w:h=\"4320\" w:hRule=\"atLeast\" "
                    "w:wrap=\"around\" w:hAnchor=\"margin\" w:xAlign=\"right\"/>") +
                      p(r("Text beside the note"))},
      {"lettered",
       p(r("Lettered item"), "<w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"2\"/></w:numPr>")},
      {"blank", p(r("Name") + "<w:r><w:rPr><w:u w:val=\"single\"/></w:rPr><w:tab/><w:tab/>"
                              "<w:tab/><w:tab/></w:r>")},
      {"long", p(r("Name" + std::string(300, '_'))) + p(r("Tabs") + "<w:r>" +
                                                        [] {
                                                          std::string tabs;
                                                          for (int i = 0; i < 60; ++i)
                                                            tabs += "<w:tab/>";
                                                          return tabs;
                                                        }() +
                                                        "</w:r>")},
      {"matrix", p(r("A = ") +
                   [] {
                     auto m = [](const char* t) {
                       return "<m:r><m:t>" + std::string(t) + "</m:t></m:r>";
                     };
                     auto row = [&](const char* a, const char* b) {
                       return "<m:mr><m:e>" + m(a) + "</m:e><m:e>" + m(b) + "</m:e></m:mr>";
                     };
                     return "<m:oMath><m:d><m:e><m:m>" + row("1", "0") + row("0", "1") +
                            "</m:m></m:e></m:d></m:oMath>";
                   }())},
      // Justified, its long words leaving the first line room to stretch.
      {"listed",
       leanAndInATable(p(r("Listed item" +
                           [] {
                             std::string words;
                             for (int i = 0; i < 40; ++i) words += " wwwwwwwwwwwwwwwwwwww";
                             return words;
                           }()),
                         "<w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr>"
                         "<w:ind w:left=\"720\" w:hanging=\"360\"/><w:jc w:val=\"both\"/>"))},
      {"nested",
       p(r("Outer item"), "<w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"3\"/></w:numPr>") +
           p(r("Inner item"), "<w:numPr><w:ilvl w:val=\"1\"/><w:numId w:val=\"3\"/></w:numPr>")},
      {"rtltable", p(r("before")) + "<w:tbl><w:tblPr><w:bidiVisual/></w:tblPr><w:tr><w:tc>" +
                       p(r("first")) + "</w:tc><w:tc>" + p(r("second")) + "</w:tc></w:tr></w:tbl>" +
                       p(r("after"))},
  };
  const std::string numbering = docxtest::part(
      "numbering",
      "<w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:numFmt w:val=\"bullet\"/>"
      "<w:lvlText w:val=\"\xE2\x80\xA2\"/></w:lvl></w:abstractNum>"
      "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>"
      // Letters in bold red, by the level alone.
      "<w:abstractNum w:abstractNumId=\"1\"><w:lvl w:ilvl=\"0\"><w:numFmt w:val=\"lowerLetter\"/>"
      "<w:lvlText w:val=\"%1)\"/><w:rPr><w:b/><w:color w:val=\"C00000\"/></w:rPr></w:lvl>"
      "</w:abstractNum>"
      "<w:num w:numId=\"2\"><w:abstractNumId w:val=\"1\"/></w:num>"
      // Two levels of dashes, indented by the list's levels alone.
      "<w:abstractNum w:abstractNumId=\"2\"><w:lvl w:ilvl=\"0\"><w:numFmt w:val=\"bullet\"/>"
      "<w:lvlText w:val=\"-\"/><w:pPr><w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr></w:lvl>"
      "<w:lvl w:ilvl=\"1\"><w:numFmt w:val=\"bullet\"/><w:lvlText w:val=\"-\"/>"
      "<w:pPr><w:ind w:left=\"1440\" w:hanging=\"360\"/></w:pPr></w:lvl></w:abstractNum>"
      "<w:num w:numId=\"3\"><w:abstractNumId w:val=\"2\"/></w:num>");
  // Written by a newer version: a table's indent places its side.
  const std::string settings = docxtest::part(
      "settings",
      "<w:compat><w:compatSetting w:name=\"compatibilityMode\" w:val=\"15\"/></w:compat>");
  std::map<std::string, word::Model> out;
  for (const auto& [name, body] : bodies)
    out.emplace(name, docxtest::read(body, {{"word/styles.xml", styles},
                                            {"word/numbering.xml", numbering},
                                            {"word/settings.xml", settings}}));
  return out;
}

std::map<std::string, word::Model> odtDocuments() {
  auto p = [](const std::string& inner, const std::string& style = "") {
    return "<text:p" + (style.empty() ? "" : " text:style-name=\"" + style + "\"") + ">" + inner +
           "</text:p>";
  };
  auto h = [](const std::string& inner) {
    return "<text:h text:outline-level=\"1\" text:style-name=\"Ruled\">" + inner + "</text:h>";
  };
  auto span = [](const std::string& style, const std::string& text) {
    return "<text:span text:style-name=\"" + style + "\">" + text + "</text:span>";
  };
  auto leanAndInATable = [&](const std::string& x) {
    return x + "<table:table><table:table-row><table:table-cell>" + x +
           "</table:table-cell></table:table-row></table:table>" + p("end");
  };
  auto table = [&](const std::string& tableStyle, const std::string& cellStyle,
                   const std::string& rowStyle = "") {
    return p("before") + "<table:table table:style-name=\"" + tableStyle +
           "\"><table:table-row table:style-name=\"" + rowStyle +
           "\"><table:table-cell table:style-name=\"" + cellStyle + "\">" + p("cell") +
           "</table:table-cell></table:table-row></table:table>" + p("after");
  };
  using odttest::style;
  odttest::Parts parts;
  parts.common =
      "<style:style style:name=\"Ruled\" style:family=\"paragraph\">"
      "<style:text-properties style:text-underline-style=\"solid\"/></style:style>";
  // A list level whose labels are aligned at a position, as word
  // processors write them.
  const std::string kLabelAt =
      "<style:list-level-properties text:list-level-position-and-space-mode=\"label-alignment\">"
      "<style:list-level-label-alignment ";
  const std::string kLabelEnd = "</style:list-level-properties></text:list-level-style-bullet>";
  parts.automatic =
      style("Small", "text", "<style:text-properties fo:font-variant=\"small-caps\"/>") +
      style("Under", "text",
            "<style:text-properties style:text-underline-style=\"solid\" "
            "style:text-underline-width=\"auto\" style:text-underline-color=\"font-color\"/>") +
      style("Sym", "text", "<style:text-properties style:font-name=\"Symbol\"/>") +
      style("Raised", "text",
            "<style:text-properties style:font-relief=\"embossed\" fo:color=\"#ffffff\"/>") +
      style("Wide", "text", "<style:text-properties fo:letter-spacing=\"3pt\"/>") +
      style("Boxed", "text", "<style:text-properties fo:border=\"0.5pt solid #000000\"/>") +
      style("Twice", "text",
            "<style:text-properties style:text-line-through-style=\"solid\" "
            "style:text-line-through-type=\"double\"/>") +
      style("Out", "paragraph", "<style:paragraph-properties fo:margin-left=\"-0.5in\"/>") +
      style("Hang", "paragraph", "<style:paragraph-properties fo:text-indent=\"-0.5in\"/>") +
      style("In", "table", "<style:table-properties fo:margin-left=\"1in\"/>") +
      style("Mid", "table", "<style:table-properties table:align=\"center\"/>") +
      style("Middle", "table-cell",
            "<style:table-cell-properties style:vertical-align=\"middle\"/>") +
      style("Turned", "table-cell", "<style:table-cell-properties style:writing-mode=\"bt-lr\"/>") +
      style("Dark", "table-cell",
            "<style:table-cell-properties fo:background-color=\"#1f3864\"/>") +
      style("White", "text", "<style:text-properties fo:color=\"#ffffff\"/>") +
      // Margins and text-align's right name the page's sides.
      style("Rtl", "paragraph",
            "<style:paragraph-properties style:writing-mode=\"rl-tb\" fo:text-align=\"right\" "
            "fo:margin-right=\"0.5in\"/>") +
      style("Cap", "paragraph",
            "<style:paragraph-properties><style:drop-cap style:length=\"1\" style:lines=\"3\"/>"
            "</style:paragraph-properties>") +
      style("Stop", "paragraph",
            "<style:paragraph-properties><style:tab-stops><style:tab-stop "
            "style:position=\"1.5in\"/></style:tab-stops></style:paragraph-properties>") +
      style("Columns", "paragraph",
            "<style:paragraph-properties><style:tab-stops><style:tab-stop "
            "style:position=\"1.5in\"/><style:tab-stop style:position=\"3in\"/></style:tab-stops>"
            "</style:paragraph-properties>") +
      style("Hung", "paragraph",
            "<style:paragraph-properties fo:margin-left=\"1in\" fo:text-indent=\"-1in\"/>") +
      style("Contents", "paragraph",
            "<style:paragraph-properties><style:tab-stops><style:tab-stop style:position=\"4in\" "
            "style:type=\"right\" style:leader-style=\"dotted\" style:leader-text=\".\"/>"
            "</style:tab-stops></style:paragraph-properties>") +
      style("Tall", "table-row", "<style:table-row-properties style:min-row-height=\"1in\"/>") +
      style("RtlTable", "table", "<style:table-properties style:writing-mode=\"rl-tb\"/>") +
      style("Box", "paragraph",
            "<style:paragraph-properties fo:border=\"0.5pt solid #000000\" "
            "fo:margin-bottom=\"0.1in\" fo:margin-left=\"0.5in\" fo:text-indent=\"-0.5in\"/>") +
      style("Rule", "paragraph",
            "<style:paragraph-properties fo:border-bottom=\"0.5pt solid #000000\"/>") +
      style("Item", "paragraph",
            "<style:paragraph-properties fo:margin-left=\"0.5in\" fo:text-indent=\"-0.25in\"/>") +
      style("Label", "text",
            "<style:text-properties fo:font-weight=\"bold\" fo:color=\"#c00000\"/>") +
      "<text:list-style style:name=\"Letters\"><text:list-level-style-number text:level=\"1\" "
      "style:num-format=\"a\" style:num-suffix=\")\" text:style-name=\"Label\"/>"
      "</text:list-style>"
      "<text:list-style style:name=\"Bullets\"><text:list-level-style-bullet text:level=\"1\" "
      "text:bullet-char=\"\xE2\x80\xA2\"/></text:list-style>"
      "<text:list-style style:name=\"Levels\">"
      "<text:list-level-style-bullet text:level=\"1\" text:bullet-char=\"-\">" +
      kLabelAt + "fo:margin-left=\"0.5in\" fo:text-indent=\"-0.25in\"/>" + kLabelEnd +
      "<text:list-level-style-bullet text:level=\"2\" text:bullet-char=\"-\">" + kLabelAt +
      "fo:margin-left=\"1in\" fo:text-indent=\"-0.25in\"/>" + kLabelEnd + "</text:list-style>";
  const std::map<std::string, std::string> bodies = {
      {"deleted",
       "<text:tracked-changes><text:changed-region text:id=\"c1\"><text:deletion>"
       "<office:change-info/><text:p>September 28, </text:p></text:deletion>"
       "</text:changed-region></text:tracked-changes>" +
           leanAndInATable(p("Revised <text:change text:change-id=\"c1\"/>1999"))},
      {"smallcaps", leanAndInATable(p(span("Small", "Small capitals") + " here"))},
      {"effects", leanAndInATable(p(span("Raised", "Raised") + " and " + span("Wide", "Wide") +
                                    " " + span("Boxed", "Boxed") + " " + span("Twice", "Twice")))},
      {"degree", leanAndInATable(p("It is 40" + span("Sym", "\xEF\x82\xB0") + "C"))},
      {"outdented", leanAndInATable(p("Outdented text", "Out"))},
      {"hanging", leanAndInATable(p("Hanging first line", "Hang"))},
      {"tabbed", leanAndInATable(p("A<text:tab/>Tabbed"))},
      {"stopped", leanAndInATable(p("B<text:tab/>Stopped", "Stop"))},
      {"hung", leanAndInATable(p("a)<text:tab/>Hung", "Hung"))},
      {"columns", leanAndInATable(p("C<text:tab/>One<text:tab/>Columns", "Columns"))},
      {"contents", leanAndInATable(p("Chapter<text:tab/>7", "Contents"))},
      {"underlined", leanAndInATable(h("Ruled") + h(""))},
      {"textbox",
       p("Anchor <draw:frame text:anchor-type=\"paragraph\"><draw:text-box>" + p("Boxed words") +
         p("More boxed words") + "</draw:text-box></draw:frame> here") +
           p("end")},
      {"indented", table("In", "")},
      {"centred", table("Mid", "")},
      {"middle", table("", "Middle")},
      {"white", p(span("White", "Lost white")) +
                    "<table:table><table:table-row><table:table-cell table:style-name=\"Dark\">" +
                    p(span("White", "Kept white")) +
                    "</table:table-cell></table:table-row></table:table>" + p("end")},
      {"turned", table("", "Turned")},
      {"tall", table("", "", "Tall")},
      {"dropcap", p("Once upon a time", "Cap") + p("end")},
      {"rtl", leanAndInATable(p(word::u8(kHebrew), "Rtl"))},
      {"boxed",
       p("Boxed one", "Box") + p("Boxed two", "Box") + p("Ruled below", "Rule") + p("end")},
      {"lettered", "<text:list text:style-name=\"Letters\"><text:list-item>" + p("Lettered item") +
                       "</text:list-item></text:list>"},
      {"blank", p("Name<text:span text:style-name=\"Under\"><text:tab/><text:tab/><text:tab/>"
                  "<text:tab/></text:span>")},
      {"long", p("Name" + std::string(300, '_')) + p("Tabs" +
                                                     [] {
                                                       std::string tabs;
                                                       for (int i = 0; i < 60; ++i)
                                                         tabs += "<text:tab/>";
                                                       return tabs;
                                                     }())},
      {"listed", leanAndInATable("<text:list text:style-name=\"Bullets\"><text:list-item>" +
                                 p("Listed item", "Item") + "</text:list-item></text:list>")},
      {"nested", "<text:list text:style-name=\"Levels\"><text:list-item>" + p("Outer item") +
                     "<text:list><text:list-item>" + p("Inner item") +
                     "</text:list-item></text:list></text:list-item></text:list>"},
      {"rtltable",
       p("before") +
           "<table:table table:style-name=\"RtlTable\"><table:table-row><table:table-cell>" +
           p("first") + "</table:table-cell><table:table-cell>" + p("second") +
           "</table:table-cell></table:table-row></table:table>" + p("after")},
  };
  std::map<std::string, word::Model> out;
  for (const auto& [name, body] : bodies) {
    parts.body = body;
    out.emplace(name, odttest::read(parts));
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: feature_pages FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  const std::pair<const char*, std::function<std::map<std::string, word::Model>()>> formats[] = {
      {"doc", docDocuments}, {"docx", docxDocuments}, {"odt", odtDocuments}};
  for (const auto& [format, documents] : formats)
    for (const auto& [name, model] : documents()) {
      const std::string page = (folder / (name + "." + format + ".htm")).string();
      word::write::savePage(
          page, word::write::html(model, word::write::filesFolderOf(page), word::u16(name)));
    }
  return 0;
}
