// Edge cases of the .doc reader on small files written for the purpose:
// fields, tables and notes exactly as a test states them.
#include <gtest/gtest.h>

#include <algorithm>

#include "../common/fixtures.h"
#include "../common/looks_check.h"
#include "../common/mtef_writer.h"
#include "../pictures/pictures.h"
#include "looks_doc.h"
#include "synthetic_doc.h"
#include "word/builder.h"
#include "word/error.h"
#include "word/read/reader.h"
#include "word/write/writers.h"

using doctest::SyntheticDoc;
namespace mtef = testing_support::mtef;
using word::u16;

namespace {

word::Model read(const SyntheticDoc& d) {
  return word::read::readDoc(d.build());
}

// Paragraph properties: in a table, and in a table ending its row.
const std::string kInTable = doctest::sprm8(0x2416, 1);
const std::string kRowEnd = kInTable + doctest::sprm8(0x2417, 1);

word::CharFormat formatAt(const word::Story& s, size_t pos) {
  auto it = std::upper_bound(s.runs.begin(), s.runs.end(), pos,
                             [](size_t p, const word::Run& r) { return p < r.start; });
  return std::prev(it)->format;
}

TEST(SyntheticDoc, PlainParagraphsReadBack) {
  SyntheticDoc d;
  d.text = u"first\rsecond\r";
  word::Model m = read(d);
  EXPECT_EQ(m.main.text, u"first\rsecond\r");
  EXPECT_EQ(m.main.paragraphs.size(), 2u);
}

TEST(SyntheticDoc, FieldsShowTheirResultsNestedOrNot) {
  SyntheticDoc d;
  // A field with a nested field in its code; a field without a result; a
  // link to a bookmark; and a field whose end is missing.
  d.text =
      u"a\x13 IF \x13 PAGE \x14"
      u"1\x15 = 1 \"yes\" \x14yes\x15 b\x13 TC x \x15"
      u"c "
      u"\x13 HYPERLINK \\l \"there\" \x14go\x15 d\r"
      u"e\x13 PAGE f\r";
  word::Model m = read(d);
  EXPECT_EQ(m.main.text, u"ayes bc go d\re PAGE f\r");
  size_t go = m.main.text.find(u"go");
  EXPECT_EQ(formatAt(m.main, go).hyperlink, u"#there");
  EXPECT_EQ(formatAt(m.main, go + 1).hyperlink, u"#there");
  EXPECT_TRUE(formatAt(m.main, go + 2).hyperlink.empty());
  EXPECT_TRUE(formatAt(m.main, 0).hyperlink.empty());
}

TEST(SyntheticDoc, HyperlinkTargetsWithPathsAndLocations) {
  SyntheticDoc d;
  d.text = u"\x13 HYPERLINK \"..\\\\docs\\\\a.doc\" \\l \"part\" \\o \"tip\" \x14x\x15\r";
  word::Model m = read(d);
  EXPECT_EQ(m.main.text, u"x\r");
  EXPECT_EQ(formatAt(m.main, 0).hyperlink, u"..\\docs\\a.doc#part");
  EXPECT_EQ(formatAt(m.main, 0).linkTitle, u"tip");  // the \o switch: the link's tip
  // A tip past the longest kept is cut at a whole character, not in an emoji.
  const std::u16string tip = std::u16string(word::kMaxLinkTitle - 1, u'a') + u"\U0001F600";
  d.text = u"\x13 HYPERLINK \"a.doc\" \\o \"" + tip + u"\" \x14x\x15\r";
  EXPECT_EQ(formatAt(read(d).main, 0).linkTitle, tip.substr(0, word::kMaxLinkTitle - 1));
}

TEST(SyntheticDoc, ScriptTargetsOfHyperlinkFieldsLeaveTheirTextPlain) {
  SyntheticDoc d;
  d.text =
      u"\x13 HYPERLINK \"JavaScript:alert(1)\" \x14x\x15 \x13 HYPERLINK vbscript:y \x14y\x15 "
      u"\x13 HYPERLINK \"http://example.org\" \x14z\x15\r";
  word::Model m = read(d);
  EXPECT_EQ(m.main.text, u"x y z\r");
  EXPECT_EQ(formatAt(m.main, 0).hyperlink, u"");
  EXPECT_EQ(formatAt(m.main, 2).hyperlink, u"");
  EXPECT_EQ(formatAt(m.main, 4).hyperlink, u"http://example.org");
}

TEST(SyntheticDoc, TableRowsTakeWidthsAndMergesFromTheRowEnd) {
  SyntheticDoc d;
  d.text =
      u"a\x07"
      u"b\x07\x07"
      u"c\x07"
      u"d\x07\x07"
      u"after\r";
  auto rowEnd = [](uint16_t flags) {
    return kRowEnd + doctest::tableDefinition({0, 1000, 3000}, {flags, 0});
  };
  d.paragraphs = {{kInTable},       {kInTable}, {rowEnd(0x0060)}, {kInTable}, {kInTable},
                  {rowEnd(0x0020)}, {}};
  word::Model m = read(d);
  ASSERT_EQ(m.main.tables.size(), 1u);
  const auto& rows = m.main.tables[0].rows;
  ASSERT_EQ(rows.size(), 2u);
  ASSERT_EQ(rows[0].cells.size(), 2u);
  EXPECT_EQ(rows[0].cells[0].width, 1000);
  EXPECT_EQ(rows[0].cells[1].width, 2000);
  EXPECT_EQ(rows[0].cells[0].vmerge, word::VMerge::Restart);
  EXPECT_EQ(rows[1].cells[0].vmerge, word::VMerge::Continue);
  EXPECT_EQ(rows[1].cells[1].vmerge, word::VMerge::None);
  EXPECT_EQ(word::write::text(m, word::write::TextEncoding::Utf8), "a\tb\r\nc\td\r\nafter\r\n");
}

TEST(SyntheticDoc, CellsMergedAcrossBecomeOneWideCell) {
  SyntheticDoc d;
  // Row 1: "a" with an empty cell merged into it, then "c". Row 2: "x" with
  // "y" merged into it: the content joins as a second paragraph.
  d.text =
      u"a\x07"
      u"\x07"
      u"c\x07\x07"
      u"x\x07"
      u"y\x07"
      u"z\x07\x07"
      u"after\r";
  const std::string def = doctest::tableDefinition({0, 1000, 1500, 3000}, {0x0001, 0x0002, 0});
  d.paragraphs = {{kInTable}, {kInTable},      {kInTable}, {kRowEnd + def}, {kInTable}, {kInTable},
                  {kInTable}, {kRowEnd + def}, {}};
  word::Model m = read(d);
  ASSERT_EQ(m.main.tables.size(), 1u);
  const auto& rows = m.main.tables[0].rows;
  ASSERT_EQ(rows.size(), 2u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.cells.size(), 2u);
    EXPECT_EQ(row.cells[0].gridSpan, 2);
    EXPECT_EQ(row.cells[0].width, 1500);
    EXPECT_EQ(row.cells[1].gridSpan, 1);
    EXPECT_EQ(row.cells[1].width, 1500);
  }
  auto cellText = [&](const word::Cell& c) { return m.main.text.substr(c.start, c.end - c.start); };
  EXPECT_EQ(cellText(rows[0].cells[0]), u"a\x07");
  EXPECT_EQ(cellText(rows[1].cells[0]), u"x\ry\x07");
  EXPECT_EQ(cellText(rows[1].cells[1]), u"z\x07");
}

TEST(SyntheticDoc, NestedTablesComeFromTableDepth) {
  SyntheticDoc d;
  // An outer cell holding "x", then an inner table of one cell "in", then
  // the outer cell's end and row end.
  d.text =
      u"x\r"
      u"in\r"
      u"\r"
      u"y\x07\x07"
      u"z\r";
  std::string depth1 = kInTable + doctest::sprm32(0x6649, 1);
  std::string depth2 = kInTable + doctest::sprm32(0x6649, 2);
  d.paragraphs = {{depth1},
                  {depth2 + doctest::sprm8(0x244B, 1)},
                  {depth2 + doctest::sprm8(0x244B, 1) + doctest::sprm8(0x244C, 1) +
                   doctest::tableDefinition({0, 500}, {0})},
                  {depth1},
                  {depth1 + doctest::sprm8(0x2417, 1) + doctest::tableDefinition({0, 2000}, {0})},
                  {}};
  word::Model m = read(d);
  ASSERT_EQ(m.main.tables.size(), 2u);
  const word::Table& outer = m.main.tables[0];
  const word::Table& inner = m.main.tables[1];
  EXPECT_EQ(outer.depth, 1);
  EXPECT_EQ(inner.depth, 2);
  ASSERT_EQ(outer.rows.size(), 1u);
  ASSERT_EQ(outer.rows[0].cells.size(), 1u);
  const word::Cell& cell = outer.rows[0].cells[0];
  EXPECT_LE(cell.start, inner.start);
  EXPECT_LE(inner.end, cell.end);
  EXPECT_EQ(cell.width, 2000);
  ASSERT_EQ(inner.rows.size(), 1u);
  EXPECT_EQ(inner.rows[0].cells[0].width, 500);
  // Every cell and row mark is a 7 at both depths.
  EXPECT_EQ(std::count(m.main.text.begin(), m.main.text.end(), word::kCellMark), 4);
}

TEST(SyntheticDoc, FootnotesWithAutomaticAndCustomMarks) {
  SyntheticDoc d;
  d.text = u"a\x02 b* c\r";
  d.footnotes = u"\x02 one\r* two\r";
  d.notes = {{1, true, 0, 6}, {4, false, 6, 12}};
  word::Model m = read(d);
  ASSERT_EQ(m.notes.size(), 2u);
  EXPECT_EQ(m.notes[0].label, u"1");
  // A note's text starts without its mark: pages link back to the
  // reference there.
  EXPECT_EQ(m.notes[0].body.text, u" one\r");
  EXPECT_EQ(m.notes[1].label, u"*");
  EXPECT_EQ(m.notes[1].body.text, u" two\r");
  EXPECT_EQ(m.main.text, u"a\x02 b\x02 c\r");
  EXPECT_EQ(word::write::text(m, word::write::TextEncoding::Utf8), "a1 b* c\r\n");
}

// Two sections of two automatic footnotes each.
SyntheticDoc fourNotes() {
  SyntheticDoc d;
  d.text =
      u"a\x02 b\x02\x0c"
      u"c\x02 d\x02\r";
  d.sectionStarts = {6};
  d.footnotes = u"\x02 n\r\x02 n\r\x02 n\r\x02 n\r";
  d.notes = {{1, true, 0, 4}, {4, true, 4, 8}, {7, true, 8, 12}, {10, true, 12, 16}};
  return d;
}

// Automatic marks count as each section says: lower letters from 3, then
// symbols counted anew from 1.
TEST(SyntheticDoc, NotesCountAsEachSectionSays) {
  SyntheticDoc d = fourNotes();
  d.sectionSprms = {
      doctest::sprm16(0x5040, 4) + doctest::sprm16(0x503F, 3),
      doctest::sprm16(0x5040, 9) + doctest::sprm16(0x503F, 1) + doctest::sprm8(0x303C, 1)};
  const word::Model m = read(d);
  std::vector<std::u16string> labels;
  for (const word::Note& n : m.notes) labels.push_back(n.label);
  EXPECT_EQ(labels, (std::vector<std::u16string>{u"c", u"d", u"*", u"\u2020"}));
}

// The document's properties count the marks where no section says
// otherwise: Word 97's number format near their end, older ones' in four
// bits; each section anew where they say so; not where they are no
// word processor's.
TEST(SyntheticDoc, NotesCountAsTheDocumentSays) {
  auto dop = [](size_t size, uint16_t foot, uint16_t formats, uint16_t format97) {
    std::string b(size, '\0');
    auto put = [&b](size_t at, uint16_t v) {
      b[at] = static_cast<char>(v & 0xFF);
      b[at + 1] = static_cast<char>(v >> 8);
    };
    put(2, foot);
    put(10, 720);
    put(54, formats);
    if (size >= 496) put(492, format97);
    return b;
  };
  const struct {
    std::string dop;
    std::string secondSection;
    std::vector<std::u16string> labels;
  } cases[] = {
      {dop(500, 3 << 2, 0, 4), "", {u"c", u"d", u"e", u"f"}},
      // Not Word's: no number format is 169.
      {dop(500, 3 << 2, 0, 169), "", {u"1", u"2", u"3", u"4"}},
      {dop(84, 2 << 2 | 1, 1 << 2, 0), "", {u"II", u"III", u"II", u"III"}},
      {dop(500, 1 << 2, 0, 9),
       doctest::sprm16(0x5040, 0) + doctest::sprm8(0x303C, 1),
       {u"*", u"\u2020", u"1", u"2"}},
  };
  for (const auto& c : cases) {
    SyntheticDoc d = fourNotes();
    d.sectionSprms = {"", c.secondSection};
    d.dop = c.dop;
    std::vector<std::u16string> labels;
    for (const word::Note& n : read(d).notes) labels.push_back(n.label);
    EXPECT_EQ(labels, c.labels) << c.dop.size();
  }
}

// Whether justified lines ending in a line break stretch: the older
// compatibility options' bit, Word 97's copy of them over the first.
TEST(SyntheticDoc, JustifiedLinesBeforeBreaksAsTheOptionsSay) {
  auto dop = [](size_t size, uint16_t older, uint16_t word97) {
    std::string b(size, '\0');
    b[8] = static_cast<char>(older & 0xFF), b[9] = static_cast<char>(older >> 8);
    if (size >= 88) b[84] = static_cast<char>(word97 & 0xFF), b[85] = static_cast<char>(word97 >> 8);
    return b;
  };
  const std::pair<std::string, bool> cases[] = {
      {dop(500, 0, 0xF000), true}, {dop(500, 0xF000, 0), false}, {dop(84, 0x2000, 0), true},
      {dop(84, 0, 0), false},      {"", true},
  };
  for (const auto& [properties, stretched] : cases) {
    SyntheticDoc d;
    d.text = u"a\vb\r";
    d.dop = properties;
    EXPECT_EQ(read(d).stretchBeforeBreaks, stretched) << properties.size();
  }
}

TEST(SyntheticDoc, NotesPointingAtTheSameTextStayBounded) {
  SyntheticDoc d;
  d.text = std::u16string(2000, u'\x02') + u"\r";
  d.footnotes = std::u16string(3000, u'n') + u"\r";
  for (uint32_t i = 0; i < 2000; ++i) d.notes.push_back({i, true, 0, 3001});
  word::Model m = read(d);
  ASSERT_EQ(m.notes.size(), 2000u);
  size_t total = 0;
  for (const word::Note& n : m.notes) total += n.body.text.size();
  // Far less than 2000 copies of the 3001-character text.
  EXPECT_LT(total, 20000u);
}

// An inline picture in the Data stream: its header (mm 0x64: drawing
// records follow) and an uncompressed WMF record of the picture store.
std::string inlineWmf(const std::string& wmf) {
  std::string blip = mtef::bytes({0x60, 0x21, 0x1B, 0xF0}) + std::string(4, '\0') +
                     std::string(16, '\0');  // header, then the picture's id
  std::string meta(34, '\0');                // size, bounds, points, saved size, compression
  for (int i = 0; i < 4; ++i) {
    meta[i] = meta[28 + i] = static_cast<char>(wmf.size() >> (8 * i) & 0xFF);
    blip[4 + i] = static_cast<char>((16 + 34 + wmf.size()) >> (8 * i) & 0xFF);
  }
  meta[32] = '\xFE';  // stored as it is
  blip += meta + wmf;
  std::string picf(0x44, '\0');
  const size_t lcb = picf.size() + blip.size();
  for (int i = 0; i < 4; ++i) picf[i] = static_cast<char>(lcb >> (8 * i) & 0xFF);
  picf[4] = 0x44, picf[6] = 0x64;
  picf[28] = static_cast<char>(600 & 0xFF), picf[29] = static_cast<char>(600 >> 8);  // twips
  picf[30] = static_cast<char>(300 & 0xFF), picf[31] = static_cast<char>(300 >> 8);
  return picf + blip;
}

// A paragraph "p" and the inline picture whose data is `pic` (its size
// set at its start).
word::Model readInlinePicture(std::string pic) {
  for (int i = 0; i < 4; ++i) pic[i] = static_cast<char>(pic.size() >> (8 * i) & 0xFF);
  SyntheticDoc d;
  d.text = u"p\x01\r";
  d.charRuns = {{1, 2, doctest::sprm8(0x0855, 1) + doctest::sprm32(0x6A03, 0)}};
  d.data = pic;
  return read(d);
}

// An inline picture's shape says how its colours show: in grey, lighter
// by half, at twice the contrast.
TEST(SyntheticDoc, InlinePicturesKeepTheirColours) {
  std::string pic = inlineWmf(testing_support::rectangleWmf());
  const std::string shape =
      mtef::bytes({0x0F, 0x00, 0x04, 0xF0, 26,   0,    0,    0,    0x33, 0x00, 0x0B, 0xF0,
                   18,   0,    0,    0,    0x3F, 0x01, 0x04, 0x00, 0x04, 0x00, 0x09, 0x01,
                   0x00, 0x40, 0x00, 0x00, 0x08, 0x01, 0x00, 0x00, 0x02, 0x00});
  pic.insert(0x44, shape);
  const word::Model m = readInlinePicture(pic);
  ASSERT_EQ(m.main.pictures.size(), 1u);
  EXPECT_EQ(m.main.pictures[0].look, (word::PictureLook{true, false, 500, 2000}));
}

// An inline WordArt shape (no picture, its text and font in its
// properties) shows its text in the line, in its font.
TEST(SyntheticDoc, InlineWordArtShowsItsText) {
  std::string pic(0x44, '\0');
  pic[4] = 0x44, pic[6] = 0x64;
  pic += mtef::bytes({0x0F, 0x00, 0x04, 0xF0, 40, 0, 0, 0, 0x23, 0x00, 0x0B, 0xF0, 32, 0,
                      0,    0,    0xC0, 0x80, 6,  0, 0, 0, 0xC5, 0x80, 14,   0,    0,  0}) +
         std::string("H\0i\0\0\0I\0m\0p\0a\0c\0t\0\0\0", 20);
  const word::Model m = readInlinePicture(pic);
  EXPECT_EQ(m.main.text, u"pHi\r");
  EXPECT_EQ(formatAt(m.main, 1).font, u"Impact");
  EXPECT_TRUE(m.losses.empty());
}

// EMBED fields: the field's separator names the object in the ObjectPool,
// its result shows the preview; an equation's text is the preview's
// alternative text, a damaged one gives none.
TEST(SyntheticDoc, AnEmbeddedEquationShowsItsPreviewWithItsText) {
  SyntheticDoc d;
  d.text = u"E: \x13 EMBED Equation.3 \x14\x01\x15 and \x13 EMBED Equation.3 \x14\x01\x15.\r";
  const uint32_t sep1 = static_cast<uint32_t>(d.text.find(u'\x14'));
  const uint32_t sep2 = static_cast<uint32_t>(d.text.find(u'\x14', sep1 + 1));
  const std::string special = doctest::sprm8(0x0855, 1), ole = doctest::sprm8(0x080A, 1);
  d.charRuns = {{sep1, sep1 + 1, special + ole + doctest::sprm32(0x6A03, 1234)},
                {sep1 + 1, sep1 + 2, special + doctest::sprm32(0x6A03, 0)},
                {sep2, sep2 + 1, special + ole + doctest::sprm32(0x6A03, 99)},
                {sep2 + 1, sep2 + 2, special + doctest::sprm32(0x6A03, 0)}};
  d.data = inlineWmf(testing_support::rectangleWmf());
  const mtef::Writer v3{3};
  const std::string x2 =
      v3.equation(v3.line(v3.text(u"x") + v3.tmpl(15, 0, v3.nullLine() + v3.line(u"2"))));
  d.objects[1234] = {{"Equation Native", mtef::equationNative(x2)}};
  d.objects[99] = {{"Equation Native", mtef::equationNative(x2.substr(0, 9))}};
  word::Model m = read(d);
  EXPECT_EQ(m.main.text, u"E: \x01 and \x01.\r");
  ASSERT_EQ(m.main.pictures.size(), 2u);
  EXPECT_EQ(m.main.pictures[0].format, "wmf");
  EXPECT_EQ(*m.main.pictures[0].data, testing_support::rectangleWmf());
  EXPECT_EQ(m.main.pictures[0].widthPx, 40);
  EXPECT_EQ(m.main.pictures[0].alt, u"x^2");
  EXPECT_EQ(m.main.pictures[1].alt, u"");
}

}  // namespace

namespace {

std::string u32le(uint32_t v) {
  return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 24)};
}

// A border of the 4-byte form: width in eighths of a point, type, colour.
uint32_t brc80(uint8_t eighths, uint8_t type, uint8_t ico) {
  return eighths | (type << 8) | (ico << 16);
}

}  // namespace

// A table's borders (4-byte and 8-byte forms), its cells' own, those set
// for a range of cells, and a table that gives none, as the model dump
// shows them (golden/borders.txt).
TEST(SyntheticDoc, CellsTakeTheirOwnBordersElseTheirTables) {
  std::string table;  // thick outside, red single between rows, dotted between cells
  for (uint32_t b : {brc80(12, 2, 1), brc80(12, 2, 1), brc80(12, 2, 1), brc80(12, 2, 1),
                     brc80(4, 1, 6), brc80(2, 6, 0)})
    table += u32le(b);
  std::string wide;  // the same in the 8-byte form: the later one counts
  for (int e = 0; e < 6; ++e) wide += u32le(0x00332211) + std::string("\x08\x07\x00\x00", 4);
  const std::vector<int16_t> edges = {0, 1000, 2000, 3000};
  const std::string def = doctest::tableDefinition(edges, {0, 0, 0});
  // The middle row's middle cell: no top (nil), a blue double left.
  const std::string own = doctest::tableDefinition(
      edges, {0, 0, 0}, {{0, 0, 0, 0}, {0xFFFFFFFF, brc80(6, 3, 2), 0, 0}, {0, 0, 0, 0}});
  // The last row: its cells 1 and 2 get a dashed bottom, cell 0 no left.
  const std::string set =
      doctest::sprmVar(0xD62F, std::string("\x01\x03\x04", 3) + u32le(0x00663399) +
                                   std::string("\x08\x07\x00\x00", 4)) +
      doctest::sprmVar(0xD620, std::string("\x00\x01\x02", 3) + u32le(0));
  const std::string borders80 = doctest::sprmVar(0xD605, table);
  SyntheticDoc d;
  d.text =
      u"a\x07"
      u"b\x07"
      u"c\x07\x07"
      u"d\x07"
      u"e\x07"
      u"f\x07\x07"
      u"g\x07"
      u"h\x07"
      u"i\x07\x07"
      u"between\r"
      u"x\x07"
      u"y\x07\x07"
      u"after\r";
  const SyntheticDoc::Paragraph cell{kInTable};
  d.paragraphs = {cell, cell, cell, {kRowEnd + borders80 + def},
                  cell, cell, cell, {kRowEnd + borders80 + own},
                  cell, cell, cell, {kRowEnd + borders80 + def + set},
                  {},   cell, cell, {kRowEnd + doctest::tableDefinition({0, 1000, 2000}, {0, 0})},
                  {}};
  word::Model m = read(d);
  ASSERT_EQ(m.main.tables.size(), 2u);
  const std::string got = word::write::dump(m);
  EXPECT_EQ(got, testing_support::golden(RD_TEST_DIR "/doc/golden/borders.txt", got));
  // The 8-byte form of the table's borders, after the 4-byte one, wins.
  d.paragraphs[3].sprms += doctest::sprmVar(0xD613, wide);
  const word::Cell first = read(d).main.tables[0].rows[0].cells[0];
  EXPECT_EQ(first.borders.top, (word::Border{word::LineStyle::Dashed, 8, 0, 0x112233}));
}

// A paragraph's line between it and the next of its border (4-byte and
// 8-byte forms), alone or with a box; the room inside its border where
// every side drawn gives the same (dptSpace), else each side's own.
TEST(SyntheticDoc, ParagraphBordersTakeTheirLineBetweenAndRoom) {
  auto sides = [](uint32_t top, uint32_t between) {
    std::string out;
    for (uint16_t sprm = 0x6424; sprm < 0x6428; ++sprm) out += doctest::sprm32(sprm, top);
    return out + doctest::sprm32(0x6428, between);
  };
  const uint32_t roomy = brc80(4, 1, 0) | 4u << 24;
  const std::string wide = doctest::sprmVar(0xC652, u32le(0) + std::string("\x04\x01\x02\x00", 4));
  constexpr uint8_t kBox =
      word::kBorderTop | word::kBorderLeft | word::kBorderBottom | word::kBorderRight;
  const struct {
    std::string sprms;
    uint8_t sides, room;
    std::array<uint8_t, 4> sideRooms{};  // top, left, bottom, right
  } cases[] = {
      {sides(roomy, brc80(4, 1, 0)), kBox | word::kBorderBetween, 4},
      {doctest::sprm32(0x6428, brc80(4, 1, 0) | 1u << 24), word::kBorderBetween, 1},
      {wide, word::kBorderBetween, 2},
      {doctest::sprm32(0x6424, roomy) + doctest::sprm32(0x6425, brc80(4, 1, 0) | 1u << 24),
       word::kBorderTop | word::kBorderLeft,
       0,
       {4, 1, 0, 0}},
  };
  for (const auto& c : cases) {
    SyntheticDoc d;
    d.text = u"x\r";
    d.paragraphs = {{c.sprms}};
    const word::ParagraphFormat f = read(d).main.paragraphs.at(0).format;
    EXPECT_EQ(f.borderSides, c.sides) << &c - cases;
    EXPECT_EQ(f.border.room, c.room) << &c - cases;
    EXPECT_EQ(f.sideRooms, c.sideRooms) << &c - cases;
  }
  // Lines past the first two, the line between too, each side its own,
  // in the document's table of them.
  SyntheticDoc d;
  d.text = u"x\r";
  d.paragraphs = {
      {doctest::sprm32(0x6424, brc80(24, 1, 6)) + doctest::sprm32(0x6425, brc80(8, 6, 0)) +
       doctest::sprm32(0x6426, brc80(4, 1, 2)) + doctest::sprm32(0x6427, brc80(8, 7, 4)) +
       doctest::sprm32(0x6428, brc80(12, 3, 0))}};
  const word::Model m = read(d);
  const word::ParagraphFormat& f = m.main.paragraphs.at(0).format;
  using word::LineStyle;
  const std::pair<uint8_t, word::Border> own[] = {
      {word::kBorderBottom, {LineStyle::Single, 4, 0, 0x0000FF}},
      {word::kBorderRight, {LineStyle::Dashed, 8, 0, 0x00FF00}},
      {word::kBorderBetween, {LineStyle::Double, 12, 0, word::kAutoColor}}};
  for (const auto& [side, line] : own) EXPECT_EQ(f.line(side, m.borderLines), line) << +side;
}

// A frame's side across the column and its width (sprmPDxaAbs, -Width):
// against the left or right, or in the flow (centred, no width), and its
// room from the text (sprmPDxaFromText, sprmPDyaFromText) and its least
// height (sprmPWHeightAbs); a drop cap in
// the margin (sprmPDcs).
TEST(SyntheticDoc, FramesTakeTheirSideAndWidth) {
  auto frame = [](int16_t x, uint16_t width) {
    return doctest::sprm16(0x8418, static_cast<uint16_t>(x)) + doctest::sprm16(0x841A, width);
  };
  const struct {
    std::string sprms;
    word::FrameSide side;
    uint16_t width;
    bool margin;
    uint8_t aside = 0, across = 0;  // points
    uint8_t height = 0;             // fours of points
  } cases[] = {
      {frame(-8, 2880), word::FrameSide::Right, 2880, false, 9},
      {frame(0, 1440) + doctest::sprm16(0x842F, 360) + doctest::sprm16(0x842E, 190) +
           doctest::sprm16(0x442B, 0x8000 | 1440),
       word::FrameSide::Left, 1440, false, 18, 10, 18},
      {frame(0, 1440) + doctest::sprm16(0x842F, 0), word::FrameSide::Left, 1440, false, 0},
      {frame(-4, 1440), word::FrameSide::None, 0, false},
      {frame(-16, 0), word::FrameSide::None, 0, false},
      {doctest::sprm16(0x442C, 2 | 3 << 3), word::FrameSide::None, 0, true},
  };
  for (const auto& c : cases) {
    SyntheticDoc d;
    d.text = u"x\r";
    d.paragraphs = {{c.sprms}};
    const word::ParagraphFormat f = read(d).main.paragraphs.at(0).format;
    EXPECT_EQ(f.frame, c.side) << &c - cases;
    EXPECT_EQ(f.frameWidth, c.width) << &c - cases;
    EXPECT_EQ(f.dropInMargin, c.margin) << &c - cases;
    EXPECT_EQ(f.frameAside, c.aside) << &c - cases;
    EXPECT_EQ(f.frameAcross, c.across) << &c - cases;
    EXPECT_EQ(f.frameHeight, c.height) << &c - cases;
  }
}

// Frames one after another stand by the same text: each drops as far
// below the text's top as the document sets it (sprmPDyaAbs from the
// paragraph, sprmPPc's pcVert 2), or below the first's place on the page
// (pcVert 1), from where the frame before it stands, on either side; not
// where it is placed otherwise (-8: the middle). Two alike are one.
TEST(SyntheticDoc, FramesDropAsFarAsTheDocumentSetsThem) {
  // y: twips, which the file keeps plus one; below 0 a place by the page's
  // parts (-8 the middle).
  auto frame = [](int16_t x, uint8_t from, int16_t y, uint16_t width = 2880) {
    return doctest::sprm16(0x8418, static_cast<uint16_t>(x)) + doctest::sprm16(0x841A, width) +
           doctest::sprm8(0x261B, static_cast<uint8_t>(from << 4)) +
           doctest::sprm16(0x8419, static_cast<uint16_t>(y < 0 ? y : y + 1));
  };
  const struct {
    std::string first, second;
    uint8_t drop[2];  // points
  } cases[] = {
      {frame(0, 2, 0), frame(-8, 2, 1440), {0, 72}},
      {frame(0, 1, 2880), frame(-8, 1, 4320), {0, 72}},
      {frame(0, 1, 4320), frame(-8, 1, 2880), {0, 0}},
      {frame(0, 2, 720), frame(-8, 2, -8), {36, 0}},
      {frame(0, 2, 720), frame(-8, 2, 1440), {36, 36}},
      {frame(0, 2, 0), frame(0, 2, 1440, 1440), {0, 72}},
      {frame(-8, 2, 1440), frame(-8, 2, 1440), {72, 72}},
  };
  for (const auto& c : cases) {
    SyntheticDoc d;
    d.text = u"a\rb\rtext\r";
    d.paragraphs = {{c.first}, {c.second}, {""}};
    const word::Story s = read(d).main;
    for (size_t i : {0, 1}) EXPECT_EQ(s.paragraphs.at(i).format.frameDrop, c.drop[i]) << &c - cases;
    EXPECT_EQ(s.paragraphs.at(2).format.frameDrop, 0) << &c - cases;
  }
}

// Typefaces by the font table, spacing and line spacing from styles and
// the paragraph's own formatting, and shading, as the documents shared by
// every format give them.
TEST(SyntheticDoc, TypefacesSpacingAndShading) {
  looks::checkFaces(word::read::readDoc(looks::facesDoc()));
  looks::checkSpaces(word::read::readDoc(looks::spacesDoc()), true);
  looks::checkShades(word::read::readDoc(looks::shadesDoc()));
}

// An empty paragraph's mark has its own size, not the text's before it.
TEST(SyntheticDoc, EmptyParagraphsTakeTheirMarksLook) {
  SyntheticDoc d;
  d.text = u"Title\r\r";
  const std::string size = doctest::sprm16(0x4A43, 32);
  d.charRuns = {{0, 6, size}, {6, 7, doctest::sprm16(0x4A43, 16)}};
  word::Model m = read(d);
  ASSERT_EQ(m.main.paragraphs.size(), 2u);
  EXPECT_EQ(formatAt(m.main, 0).halfPoints, 32);
  EXPECT_EQ(formatAt(m.main, 6).halfPoints, 16);
}

// An underline's kind and its own colour (a wave in red, a long dash).
TEST(SyntheticDoc, UnderlinesKeepTheirKindAndColour) {
  SyntheticDoc d;
  d.text = u"ab\r";
  d.charRuns = {{0, 1, doctest::sprm8(0x2A3E, 11) + doctest::sprm32(0x6877, 0x000000FF)},
                {1, 2, doctest::sprm8(0x2A3E, 39)}};
  word::Model m = read(d);
  EXPECT_EQ(std::pair(formatAt(m.main, 0).underlineStyle, formatAt(m.main, 0).underlineColor),
            std::pair(word::UnderlineStyle::Wavy, 0xFF0000u));
  EXPECT_EQ(formatAt(m.main, 1).underlineStyle, word::UnderlineStyle::Dashed);
}

// Text marked right to left shows in its own bold and size (the word
// processor's complex-script settings); other text ignores them.
TEST(SyntheticDoc, RightToLeftTextTakesItsOwnBoldAndSize) {
  SyntheticDoc d;
  d.text = u"ab\u05D0\u05D1\r";
  const std::string latin = doctest::sprm8(0x0835, 1) + doctest::sprm16(0x4A43, 24);
  const std::string own = doctest::sprm8(0x085C, 1) + doctest::sprm16(0x4A61, 40);
  d.charRuns = {{0, 2, latin + own}, {2, 5, doctest::sprm8(0x085A, 1) + latin + own}};
  word::Model m = read(d);
  EXPECT_TRUE(formatAt(m.main, 0).bold);
  EXPECT_EQ(formatAt(m.main, 0).halfPoints, 24);
  EXPECT_TRUE(formatAt(m.main, 2).bold);
  EXPECT_EQ(formatAt(m.main, 2).halfPoints, 40);
  d.charRuns[1].sprms = doctest::sprm8(0x085A, 1) + latin;  // none of its own
  m = read(d);
  EXPECT_FALSE(formatAt(m.main, 2).bold);
  EXPECT_EQ(formatAt(m.main, 2).halfPoints, 20);
}

namespace {

const std::string kDeleted = doctest::sprm8(0x0800, 1);

}  // namespace

// Tracked changes count as accepted: deleted text and a deleted field are
// gone, a paragraph whose mark is deleted runs on into the next (with the
// surviving mark's formatting), and a cell keeps its place however much of
// it is deleted.
TEST(SyntheticDoc, TrackedDeletionsAreGoneAsAccepted) {
  SyntheticDoc d;
  d.text =
      u"Revised September 28, 1999\r"
      u"again \x13 PAGE \x14"
      u"17\x15 on\r"
      u"13,444\x07\x07"
      u"after\r";
  const uint32_t field = static_cast<uint32_t>(d.text.find(u'\x13'));
  const uint32_t cell = static_cast<uint32_t>(d.text.find(u"13,444"));
  d.charRuns = {{8, 22, kDeleted},   // "September 28," and the blank after it
                {26, 27, kDeleted},  // the paragraph mark
                {field, field + 11, kDeleted},
                {cell, cell + 6, kDeleted}};
  d.paragraphs = {{},
                  {doctest::sprm8(0x2403, 1)},
                  {kInTable},
                  {kRowEnd + doctest::tableDefinition({0, 900}, {0})}};
  word::Model m = read(d);
  EXPECT_EQ(m.main.text,
            u"Revised 1999again  on\r\x07\x07"
            u"after\r");
  EXPECT_EQ(m.main.paragraphs[0].format.align, word::Align::Center);
  ASSERT_EQ(m.main.tables.size(), 1u);
  EXPECT_EQ(m.main.tables[0].rows[0].cells.size(), 1u);
}

// A paragraph hidden whole, its mark too, leaves no line.
TEST(SyntheticDoc, HiddenParagraphsLeaveNoLine) {
  SyntheticDoc d;
  d.text = u"Before\rhidden\rafter\r";
  d.charRuns = {{7, 14, doctest::sprm8(0x083C, 1)}};
  word::Model m = read(d);
  EXPECT_EQ(m.main.text, u"Before\rafter\r");
}

// A list item hidden whole still counts its number, as the word processor
// counts it (a list skips numbers so); one whose mark is deleted is gone,
// its number too.
TEST(SyntheticDoc, AHiddenListItemCountsItsNumberADeletedOneNot) {
  const struct {
    std::string mark;
    std::u16string label;
  } cases[] = {{doctest::sprm8(0x083C, 1), u"3."}, {doctest::sprm8(0x0800, 1), u"2."}};
  for (const auto& c : cases) {
    SyntheticDoc d;
    d.text = u"one\rtwo\rthree\r";
    d.numberedList = true;
    const std::string item = doctest::sprm16(0x460B, 1);
    d.paragraphs = {{item}, {item}, {item}};
    d.charRuns = {{4, 8, c.mark}};
    const word::Model m = read(d);
    ASSERT_EQ(m.main.paragraphs.size(), 2u);
    EXPECT_EQ(m.main.paragraphs[0].format.listLabel, u"1.");
    EXPECT_EQ(m.main.paragraphs[1].format.listLabel, c.label);
  }
}

// A section break ends its paragraph, which keeps its own formatting; a
// page break (a 12 where no section starts) stays inside its paragraph.
TEST(SyntheticDoc, SectionBreaksEndTheirParagraphs) {
  SyntheticDoc d;
  d.text =
      u"Contents\x0c"
      u"entry\x0cmore\r";
  d.sectionStarts = {9};
  d.paragraphs = {{doctest::sprm8(0x2403, 1)}, {}};
  word::Model m = read(d);
  ASSERT_EQ(m.main.paragraphs.size(), 2u);
  EXPECT_EQ(m.main.paragraphs[0].format.align, word::Align::Center);
  EXPECT_NE(m.main.paragraphs[1].format.align, word::Align::Center);
  EXPECT_EQ(m.main.text.substr(0, m.main.paragraphs[0].end), u"Contents\r");
}

// Right to left, the model's alignment and indents are of the paragraph's
// start and end. The older properties name the page's sides; where the
// newer ones follow them, as the word processor writes both, they count.
TEST(SyntheticDoc, RightToLeftParagraphsTurnThePageSidesToStartAndEnd) {
  using doctest::sprm8;
  auto twips = [](uint16_t sprm, int16_t v) {
    return sprm8(sprm, static_cast<uint8_t>(v & 0xFF)) + static_cast<char>(v >> 8);
  };
  const std::string bidi = sprm8(0x2441, 1);
  const std::string pageSides = twips(0x840F, 100) + twips(0x840E, 300);
  struct Row {
    std::string sprms;
    word::Align align;
    int32_t start, end;
  } rows[] = {
      {bidi + sprm8(0x2403, 0), word::Align::Right, 0, 0},
      {bidi + sprm8(0x2403, 2) + sprm8(0x2461, 2), word::Align::Right, 0, 0},
      {bidi + pageSides, word::Align::Left, 300, 100},
      {bidi + pageSides + twips(0x845E, 300) + twips(0x845D, 100), word::Align::Left, 300, 100},
      {sprm8(0x2403, 2) + pageSides, word::Align::Right, 100, 300},
  };
  SyntheticDoc d;
  for (const Row& row : rows) {
    d.text += u"row\r";
    d.paragraphs.push_back({row.sprms});
  }
  const word::Model m = read(d);
  ASSERT_EQ(m.main.paragraphs.size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    const word::ParagraphFormat& f = m.main.paragraphs[i].format;
    EXPECT_EQ(f.align, rows[i].align) << i;
    EXPECT_EQ(f.indentLeft, rows[i].start) << i;
    EXPECT_EQ(f.indentRight, rows[i].end) << i;
    EXPECT_EQ(f.rightToLeft, i < 4) << i;
  }
}

// Capitals, a symbol character and text in the Symbol font show as they
// do in the word processor: the symbol font's glyphs as the characters
// they are.
TEST(SyntheticDoc, CapitalsAndSymbolFontsShowAsInTheDocument) {
  SyntheticDoc d;
  d.fonts = {{u"Times New Roman"}, {u"Symbol"}};
  d.text = u"small all 40( a\r";
  d.charRuns = {{0, 5, doctest::sprm8(0x083A, 1)},
                {6, 9, doctest::sprm8(0x083B, 1)},
                {12, 13, doctest::sprm32(0x6A09, 1 | 0xF0B0u << 16)},
                {14, 15, doctest::sprm16(0x4A4F, 1)}};
  word::Model m = read(d);
  EXPECT_EQ(m.main.text, u"small all 40\u00B0 \u03B1\r");
  EXPECT_TRUE(formatAt(m.main, 0).smallCaps);
  EXPECT_FALSE(formatAt(m.main, 0).allCaps);
  EXPECT_TRUE(formatAt(m.main, 6).allCaps);
  EXPECT_FALSE(formatAt(m.main, 10).smallCaps || formatAt(m.main, 10).allCaps);
}

// A table lies where its first row's definition puts it: its left edge,
// centred, or floating outside; its cells' content at the top, middle or
// bottom.
TEST(SyntheticDoc, TablesLieWhereTheirRowsPutThem) {
  SyntheticDoc d;
  d.text =
      u"a\x07\x07"
      u"between\r"
      u"b\x07\x07"
      u"and\r"
      u"c\x07\x07"
      u"after\r"
      u"d\x07\x07"
      u"last\r";
  d.paragraphs = {
      {kInTable},
      {kRowEnd + doctest::tableDefinition({720, 2000}, {0x008C})},  // centred, turned up
      {},
      {kInTable},
      {kRowEnd + doctest::tableDefinition({-108, 2000}, {0}) + doctest::sprm16(0x5400, 1) +
       doctest::sprmVar(0xD633, std::string("\x00\x01\x0F\x03\x28\x00", 6))},
      {},
      {kInTable},
      {kRowEnd + doctest::tableDefinition({0, 2000}, {0}) + doctest::sprm16(0x9601, 360) +
       doctest::sprmVar(0xD62C, std::string("\x00\x01\x02", 3)) +
       doctest::sprm32(0x7629, 0x00010100)},  // cell 0 down
      {},
      {kInTable},
      {kRowEnd + doctest::tableDefinition({0, 2000}, {0}) + doctest::sprm16(0x940E, 0xFFF0)},
      {}};  // floating, outside
  word::Model m = read(d);
  struct Expected {
    word::Align align;
    int32_t indent;
    word::VAlign valign;
    word::TextFlow flow;
    int16_t spacing;  // between cells, twips
  };
  const Expected expected[] = {
      {word::Align::Left, 720, word::VAlign::Center, word::TextFlow::Up, 0},
      {word::Align::Center, -108, word::VAlign::Top, word::TextFlow::Across, 40},
      {word::Align::Left, 360, word::VAlign::Bottom, word::TextFlow::Down, 0},
      {word::Align::Right, 0, word::VAlign::Top, word::TextFlow::Across, 0}};
  ASSERT_EQ(m.main.tables.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(m.main.tables[i].align, expected[i].align);
    EXPECT_EQ(m.main.tables[i].indent, expected[i].indent);
    EXPECT_EQ(m.main.tables[i].rows[0].cells[0].valign, expected[i].valign);
    EXPECT_EQ(m.main.tables[i].rows[0].cells[0].flow, expected[i].flow);
    EXPECT_EQ(m.main.tables[i].cellSpacing, expected[i].spacing);
  }
}

// A row whose left edge was moved in starts at the column of that edge; a
// table whose first row was moved in starts where its leftmost row does.
TEST(SyntheticDoc, RowsMovedInStartAtTheirColumn) {
  SyntheticDoc d;
  d.text = u"b\x07\x07" u"a\x07" u"b\x07\x07" u"c\x07\x07" u"after\r";
  auto row = [](std::vector<int16_t> edges) {
    return kRowEnd + doctest::tableDefinition(edges, std::vector<uint16_t>(edges.size() - 1, 0));
  };
  d.paragraphs = {{kInTable}, {row({1000, 2000})}, {kInTable}, {kInTable}, {row({0, 1000, 2000})},
                  {kInTable}, {row({2000, 3000})}, {}};
  word::Model m = read(d);
  ASSERT_EQ(m.main.tables.size(), 1u);
  const word::Table& t = m.main.tables[0];
  EXPECT_EQ(t.indent, 0);
  ASSERT_EQ(t.rows.size(), 3u);
  EXPECT_EQ(t.rows[0].skipBefore, 1);
  EXPECT_EQ(t.rows[1].skipBefore, 0);
  EXPECT_EQ(t.rows[2].skipBefore, 2);
  EXPECT_EQ(t.rows[1].cells[1].gridSpan, 1);
}

// Shading given to a range of a row's cells, alone or over what the row's
// shading arrays gave the other cells; a reversed range changes nothing.
TEST(SyntheticDoc, ShadingOfARangeOfCells) {
  using looks::docwriter::shd;
  constexpr uint32_t kAuto = word::kAutoColor, kBlue = 0x0000FF, kRed = 0xFF0000, kPale = 0xDDEEFF;
  const std::string solidBlue{char(2), char(1 << 2)};  // Shd80: colour 2, solid
  auto range = [](uint8_t first, uint8_t lim) { return std::string{char(first), char(lim)}; };
  const struct {
    std::string sprms;
    std::array<uint32_t, 4> cells;
  } cases[] = {
      {doctest::sprmVar(0xD62D, range(1, 3) + shd(kPale)), {kAuto, kPale, kPale, kAuto}},
      {doctest::sprmVar(0xD609, solidBlue + solidBlue) +
           doctest::sprmVar(0xD62D, range(1, 9) + shd(kRed)),
       {kBlue, kRed, kRed, kRed}},
      {doctest::sprmVar(0xD612, shd(kPale)) + doctest::sprmVar(0xD62D, range(3, 2) + shd(kRed)),
       {kPale, kAuto, kAuto, kAuto}},
  };
  SyntheticDoc d;
  for (const auto& c : cases) {
    d.text +=
        u"a\x07"
        u"b\x07"
        u"c\x07"
        u"d\x07\x07";
    d.paragraphs.insert(d.paragraphs.end(), 4, {kInTable});
    d.paragraphs.push_back(
        {kRowEnd + doctest::tableDefinition({0, 900, 1800, 2700, 3600}, {0, 0, 0, 0}) + c.sprms});
  }
  d.text += u"after\r";
  d.paragraphs.push_back({});
  const word::Model m = read(d);
  ASSERT_EQ(m.main.tables.size(), 1u);
  ASSERT_EQ(m.main.tables[0].rows.size(), std::size(cases));
  for (size_t r = 0; r < std::size(cases); ++r)
    for (size_t i = 0; i < 4; ++i)
      EXPECT_EQ(m.main.tables[0].rows[r].cells.at(i).shading, cases[r].cells[i]) << r << ' ' << i;
}

// Text boxes follow the paragraph of their anchor, each box's text in
// turn: drawn as a group of shapes, in the text's flow; one drawn alone
// that the text wraps around at one side floats there, at its shape's
// width and at least its height (in fours of points), as one box.
TEST(SyntheticDoc, TextBoxesFollowTheirAnchorsParagraph) {
  for (const bool alone : {false, true}) {
    SyntheticDoc d;
    d.text = u"before \x08 anchor\rafter\r";
    d.boxAnchor = 7;
    d.charRuns = {{7, 8, doctest::sprm8(0x0855, 1)}};
    d.textBoxStory = u"first box\rsecond box\r";
    d.textBoxCuts = alone ? std::vector<uint32_t>{0, 21} : std::vector<uint32_t>{0, 10, 21};
    d.boxAlone = alone;
    word::Model m = read(d);
    EXPECT_EQ(m.main.text, u"before  anchor\rfirst box\rsecond box\rafter\r");
    ASSERT_EQ(m.main.paragraphs.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
      const word::ParagraphFormat& f = m.main.paragraphs[i].format;
      const bool boxed = i == 1 || i == 2;
      EXPECT_EQ(f.textBox, boxed) << alone << i;
      EXPECT_EQ(f.frame, alone && boxed ? word::FrameSide::Left : word::FrameSide::None)
          << alone << i;
      EXPECT_EQ(f.frameWidth, alone && boxed ? 2880 : 0) << alone << i;
      EXPECT_EQ(f.frameHeight, alone && boxed ? 18 : 0) << alone << i;
      EXPECT_EQ(f.frameOpens, alone && i == 1) << alone << i;
    }
  }
}

// A form field's settings in the Data stream: its 68-byte header, then
// the settings: type and state, a name, the default state and, for a
// drop-down, its entries.
std::string formField(unsigned type, unsigned state, uint16_t def,
                      const std::vector<std::u16string>& entries = {}) {
  auto u16le = [](size_t v) { return mtef::bytes({uint8_t(v & 0xFF), uint8_t(v >> 8)}); };
  auto xst = [&](const std::u16string& t) {
    std::string out = u16le(t.size());
    for (char16_t c : t) out += u16le(c);
    return out;
  };
  std::string ff = std::string(4, '\xFF') + u16le(type | state << 2) + std::string(4, '\0') +
                   xst(u"Check1") + u16le(0) + u16le(def);
  for (int i = 0; i < 5; ++i) ff += u16le(0) + u16le(0);  // format, help, status, macros
  if (type == 2) {
    ff += u16le(0xFFFF) + u16le(entries.size()) + u16le(0);
    for (const std::u16string& e : entries) ff += xst(e);
  }
  std::string head(0x44, '\0');
  head.replace(0, 2, u16le(head.size() + ff.size())), head[4] = 0x44;
  return head + ff;
}

// Tab stops added and removed: the last aligning by its end gives the
// paragraph's, with its leader; one removed within a distance is gone;
// centred and decimal stops keep how they align.
TEST(SyntheticDoc, TabStopsAddedAndRemoved) {
  SyntheticDoc d;
  d.text = u"a\t1\rb\t2\rc\t3\r";
  // Stops added at 1in (left) and 4in (right, dots); then 4in's removed by
  // a position 10 twips off, within a distance of 20.
  const std::string add = mtef::bytes({0x0D, 0xC6, 8, 0, 2, 0xA0, 0x05, 0x80, 0x16, 0x00, 0x0A});
  // At 1in centred, at 3in by the decimal point.
  const std::string figures =
      mtef::bytes({0x0D, 0xC6, 8, 0, 2, 0xA0, 0x05, 0xE0, 0x10, 0x01, 0x03});
  d.paragraphs = {{add}, {add + mtef::bytes({0x15, 0xC6, 6, 1, 0x8A, 0x16, 20, 0, 0})}, {figures}};
  const word::Model m = read(d);
  EXPECT_EQ(m.main.paragraphs[0].format.tabEnd, 5760);
  EXPECT_EQ(m.main.paragraphs[0].format.tabLeader, word::TabLeader::Dots);
  EXPECT_EQ(m.main.paragraphs[1].format.tabEnd, 0);
  for (size_t i : {0, 1}) EXPECT_EQ(m.main.paragraphs[i].format.tabStart, 1440);
  const word::ParagraphFormat& f = m.main.paragraphs[2].format;
  EXPECT_EQ(std::tuple(f.tabEnd, f.tabEndAlign, f.tabStart, f.tabStops[0], f.tabAlign(0)),
            std::tuple(int16_t{4320}, word::TabAlign::Decimal, int16_t{0}, int16_t{1440},
                       word::TabAlign::Centre));
}

// A check box or drop-down form field holds no result of its own: the
// page shows the box, crossed when checked, and the chosen entry.
TEST(SyntheticDoc, FormFieldsShowTheirBoxesAndEntries) {
  SyntheticDoc d;
  d.text =
      u"a\x13 FORMCHECKBOX \x01\x15"
      u"b\x13 FORMCHECKBOX \x01\x14\x15"
      u"c\x13 FORMDROPDOWN \x01\x14\x15"
      u"d\x13 FORMCHECKBOX \x15"
      u"e\x13 FORMDROPDOWN \x01\x14one\x15\r";
  const std::string fields[] = {formField(1, 1, 0), formField(1, 25, 1),
                                formField(2, 1, 0, {u"one", u"two"}),
                                formField(2, 25, 0, {u"one"})};
  size_t pic = 0;
  for (const std::string& f : fields) {
    pic = d.text.find(u'\x01', pic + 1);
    const std::string sprms = doctest::sprm8(0x0855, 1) + doctest::sprm8(0x0806, 1) +
                              doctest::sprm32(0x6A03, static_cast<uint32_t>(d.data.size()));
    d.charRuns.push_back({uint32_t(pic), uint32_t(pic + 1), sprms});
    d.data += f;
  }
  const word::Model m = read(d);
  EXPECT_EQ(m.main.text, u"a\u2612b\u2612ctwod\u2610eone\r");
  EXPECT_TRUE(m.losses.empty());
}

// What the page cannot show is noted where it stands, once; fields with a
// result, and fields that show nothing anyway, lose nothing.
TEST(SyntheticDoc, WhatThePageCannotShowIsNotedWhereItStands) {
  const std::string special = doctest::sprm8(0x0855, 1), ole = doctest::sprm8(0x080A, 1);
  // An inline picture whose blip cannot be inflated, and an inline shape
  // with no picture record at all (a horizontal line).
  std::string damaged = inlineWmf(testing_support::rectangleWmf());
  damaged[0x44 + 8 + 16 + 32] = 0;  // deflated, but the bytes are not
  std::string shapeOnly = inlineWmf(testing_support::rectangleWmf());
  shapeOnly.replace(0x44, 4, mtef::bytes({0x0F, 0x00, 0x04, 0xF0}));
  struct Case {
    const char* what;
    std::u16string text;
    std::vector<std::pair<uint32_t, std::string>> losses;
    std::string picture = {};  // the data of a picture that is no object
  } cases[] = {
      {"a chart saved without its picture",
       u"a\x13 EMBED MSGraph.Chart.8 \\s \x14\x15 b\r",
       {{1, "a chart"}}},
      {"an object whose picture is missing",
       u"o\x13 EMBED Package \x14\x01\x15\r",
       {{1, "an embedded object without a picture"}}},
      {"fields drawn from their code, and an index entry",
       u"x\x13 EQ \\f(1,2) \x15y\x13 FORMDROPDOWN \x15\x13 XE \"k\" \x15z\r",
       {{1, "an equation made with an EQ field"}, {2, "a drop-down list (a form field)"}}},
      // The word processor shows nothing for it either.
      {"a field without a result that is drawn from no code", u"\x13 NEWFIELD 1 \x15\r", {}},
      {"fields with results",
       u"\x13 PAGE \x14"
       u"3\x15 \x13 EMBED Package \x14\x01\x15\r",
       {}},
      {"a shape with neither picture nor text",
       u"s \x08 t\r",
       {{2, "a shape drawn only by its geometry"}}},
      {"a drawing canvas without its drawing",
       u"c\x13 SHAPE  \\* MERGEFORMAT \x14\x15\r",
       {{1, "a shape drawn only by its geometry"}}},
      {"a damaged picture", u"p\x01\r", {{1, "a picture it cannot read"}}, damaged},
      {"an inline shape", u"h\x01\r", {{1, "a shape drawn only by its geometry"}}, shapeOnly},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SyntheticDoc d;
    d.text = c.text;
    const size_t pic = c.text.find(u'\x01'), anchor = c.text.find(u'\x08');
    if (pic != std::u16string::npos) {
      const uint32_t at = static_cast<uint32_t>(pic);
      d.charRuns = {
          {at, at + 1, special + (c.picture.empty() ? ole : "") + doctest::sprm32(0x6A03, 0)}};
      d.data = c.picture;
      // The picture exists only in the row that has a result.
      if (c.losses.empty()) d.data = inlineWmf(testing_support::rectangleWmf());
    }
    if (anchor != std::u16string::npos) {
      d.boxAnchor = static_cast<uint32_t>(anchor);
      d.charRuns = {{d.boxAnchor, d.boxAnchor + 1, special}};
      d.textBoxCuts = {0, 0};  // a group of shapes with no text box text
    }
    std::vector<std::pair<uint32_t, std::string>> losses;
    for (const word::Loss& l : read(d).losses) losses.emplace_back(l.pos, l.what);
    EXPECT_EQ(losses, c.losses);
  }
}
