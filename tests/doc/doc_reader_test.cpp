// The Word 97-2003 (and 6.0/95) reader: real documents against the text a
// word processor exports for them, the model features behind that text,
// and damaged input.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "../common/fixtures.h"
#include "../common/reference_text.h"
#include "synthetic_doc.h"
#include "support/files.h"
#include "word/builder.h"
#include "word/error.h"
#include "word/read/doc/bytes.h"
#include "word/read/doc/lists.h"
#include "word/read/doc/properties.h"
#include "word/read/doc/word6.h"
#include "word/read/reader.h"
#include "word/write/writers.h"

namespace fs = std::filesystem;
using word::u16;
using word::u8;

namespace {

const fs::path kCorpus = fs::path(RD_TEST_DIR) / "corpus" / "doc";

word::Model readCorpus(const std::string& name) {
  return word::read::readDoc(support::readFile(kCorpus / name));
}

std::u16string paragraphText(const word::Story& s, size_t i) {
  uint32_t start = i == 0 ? 0 : s.paragraphs[i - 1].end;
  return s.text.substr(start, s.paragraphs[i].end - 1 - start);
}

// The format of the paragraph with this text; a missing one fails the test
// and gives a default format.
const word::ParagraphFormat& formatOf(const word::Story& s, std::u16string_view text) {
  for (size_t i = 0; i < s.paragraphs.size(); ++i)
    if (paragraphText(s, i) == text) return s.paragraphs[i].format;
  ADD_FAILURE() << "no paragraph " << u8(std::u16string(text));
  static const word::ParagraphFormat none;
  return none;
}

// Every copied document whose reference text we keep exports exactly that
// text (after white space is normalised, and check boxes left out): text, labels, cells, field
// results, note marks, and nothing of field codes or text boxes.
TEST(DocReader, ExportedTextMatchesReferences) {
  int files = 0;
  for (const auto& entry : fs::directory_iterator(kCorpus / "reference")) {
    std::string ref = entry.path().filename().string();
    std::string doc = ref.substr(0, ref.size() - 4);
    SCOPED_TRACE(doc);
    word::Model m = readCorpus(doc);
    EXPECT_EQ(
        testing_support::comparableText(word::write::text(m, word::write::TextEncoding::Utf8)),
        testing_support::comparableText(support::readFile(entry.path())));
    ++files;
  }
  EXPECT_GE(files, 12);
}

TEST(DocReader, ListsGetLabelsLevelsAndShareNumbering) {
  word::Model m = readCorpus("Lists.doc");
  const word::Story& s = m.main;
  const word::ParagraphFormat& deep = formatOf(s, u"OL 2.2.2.1");
  EXPECT_EQ(deep.listLabel, u"2.2.2.1.");
  EXPECT_EQ(deep.listLevel, 3);
  EXPECT_TRUE(deep.listOrdered);
  // Back at a higher level, numbering continues there.
  EXPECT_EQ(formatOf(s, u"OL 2.2.3").listLabel, u"2.2.3.");
  EXPECT_EQ(formatOf(s, u"OL 2.2.3").listId, deep.listId);
  EXPECT_EQ(formatOf(s, u"Ordered list 1").listLabel, u"1.");
  EXPECT_NE(formatOf(s, u"Ordered list 1").listId, deep.listId);
  // Bullets from the Symbol and Wingdings fonts show as what they draw.
  EXPECT_EQ(formatOf(s, u"ML 1:1").listLabel, u"\u2756");
  EXPECT_EQ(formatOf(s, u"ML 2:1").listLabel, u"\u27A2");
  EXPECT_EQ(formatOf(s, u"ML 3:1").listLabel, u"\u25AA");
  EXPECT_EQ(formatOf(s, u"Tick 1").listLabel, u"\u2714");
  EXPECT_FALSE(formatOf(s, u"ML 1:1").listOrdered);
  EXPECT_EQ(formatOf(s, u"ML 2:1").listLevel, 1);
  // A paragraph outside the lists has none.
  EXPECT_EQ(formatOf(s, u"Indented once").listId, -1);
  EXPECT_TRUE(formatOf(s, u"Indented once").listLabel.empty());
}

TEST(DocReader, HeadingStylesCarryOutlineLevelsAndBaseStyles) {
  word::Model m = readCorpus("Lists.doc");
  const word::ParagraphFormat& h = formatOf(m.main, u"Heading Level 1");
  EXPECT_EQ(h.outlineLevel, 0);
  ASSERT_LT(static_cast<size_t>(h.style), m.styles.size());
  const word::Style& st = m.styles[h.style];
  EXPECT_EQ(st.name, u"heading 1");
  EXPECT_EQ(st.paragraph.outlineLevel, 0);
  ASSERT_GE(st.basedOn, 0);
  EXPECT_EQ(m.styles[st.basedOn].name, u"Normal");
  EXPECT_EQ(m.styles[0].name, u"Normal");
  EXPECT_EQ(formatOf(m.main, u"The end!").outlineLevel, 9);
}

TEST(DocReader, TablesHaveRowsCellsWidthsAndMerges) {
  word::Model m = readCorpus("simple-table.doc");
  ASSERT_EQ(m.main.tables.size(), 1u);
  const word::Table& t = m.main.tables[0];
  EXPECT_EQ(t.depth, 1);
  ASSERT_EQ(t.rows.size(), 2u);
  for (const word::Row& r : t.rows) {
    ASSERT_EQ(r.cells.size(), 3u);
    EXPECT_EQ(m.main.text[r.end - 1], word::kCellMark);
    for (const word::Cell& c : r.cells) {
      EXPECT_EQ(m.main.text[c.end - 1], word::kCellMark);
      EXPECT_GT(c.width, 0);
    }
  }
  // The table is followed by a paragraph outside it.
  EXPECT_LT(t.end, m.main.text.size());

  word::Model merged = readCorpus("table-merges.doc");
  ASSERT_EQ(merged.main.tables.size(), 1u);
  const auto& rows = merged.main.tables[0].rows;
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].cells.size(), 2u);
  EXPECT_EQ(rows[1].cells.size(), 4u);
  EXPECT_NE(rows[1].cells[0].vmerge, word::VMerge::None);
  EXPECT_EQ(rows[1].cells[0].width, 1062);
  EXPECT_EQ(rows[3].cells.size(), 1u);
}

TEST(DocReader, NestedTablesLieInsideTheirParentCell) {
  word::Model m = readCorpus("innertable.doc");
  ASSERT_EQ(m.main.tables.size(), 2u);
  const word::Table& outer = m.main.tables[0];
  const word::Table& inner = m.main.tables[1];
  EXPECT_EQ(outer.depth, 1);
  EXPECT_EQ(inner.depth, 2);
  bool inCell = false;
  for (const word::Row& r : outer.rows)
    for (const word::Cell& c : r.cells) inCell |= c.start <= inner.start && inner.end <= c.end;
  EXPECT_TRUE(inCell);
  for (const word::Row& r : inner.rows) EXPECT_EQ(m.main.text[r.end - 1], word::kCellMark);
}

TEST(DocReader, FieldsShowResultsAndHyperlinksKeepTargets) {
  word::Model m = readCorpus("hyperlink.doc");
  const std::u16string& text = m.main.text;
  EXPECT_EQ(text.find(u"HYPERLINK"), std::u16string::npos);
  size_t at = text.find(u"Hyperlink text");
  ASSERT_NE(at, std::u16string::npos);
  auto runAt = [&](size_t pos) {
    auto it = std::upper_bound(m.main.runs.begin(), m.main.runs.end(), pos,
                               [](size_t p, const word::Run& r) { return p < r.start; });
    return std::prev(it)->format;
  };
  EXPECT_EQ(runAt(at).hyperlink, u"http://testuri.org/");
  EXPECT_EQ(runAt(at + 13).hyperlink, u"http://testuri.org/");
  EXPECT_TRUE(runAt(0).hyperlink.empty());
  EXPECT_TRUE(runAt(text.find(u"after text")).hyperlink.empty());
}

TEST(DocReader, BookmarksAreKeptByName) {
  word::Model m = readCorpus("pageref.doc");
  ASSERT_EQ(m.main.bookmarks.size(), 1u);
  EXPECT_EQ(m.main.bookmarks[0].name, u"userref");
  EXPECT_LE(m.main.bookmarks[0].end, m.main.text.size());
  // The page reference field shows its result, not its code.
  EXPECT_EQ(m.main.text.find(u"PAGEREF"), std::u16string::npos);
}

TEST(DocReader, FootnotesAndEndnotesBecomeNotesWithLabels) {
  word::Model m = readCorpus("footnote.doc");
  ASSERT_EQ(m.notes.size(), 2u);
  EXPECT_FALSE(m.notes[0].endnote);
  EXPECT_EQ(m.notes[0].label, u"1");
  EXPECT_TRUE(m.notes[1].endnote);
  EXPECT_EQ(m.notes[1].label, u"i");
  for (const word::Note& n : m.notes) {
    EXPECT_EQ(m.main.text[n.pos], word::kNoteMark);
    EXPECT_FALSE(n.body.text.empty());
    EXPECT_EQ(n.body.text.back(), word::kParagraphMark);
  }
  EXPECT_NE(m.notes[0].body.text.find(u"TestFootnote"), std::u16string::npos);
  EXPECT_NE(m.notes[1].body.text.find(u"TestEndnote"), std::u16string::npos);
}

TEST(DocReader, TextBoxesFollowTheirAnchorAndStayOutOfTheTextExport) {
  word::Model m = readCorpus("test-fields.doc");
  size_t boxes = 0;
  for (const word::Paragraph& p : m.main.paragraphs) boxes += p.format.textBox;
  EXPECT_GT(boxes, 0u);
  std::string out = word::write::text(m, word::write::TextEncoding::Utf8);
  for (size_t i = 0; i < m.main.paragraphs.size(); ++i) {
    if (!m.main.paragraphs[i].format.textBox) continue;
    std::string t = u8(paragraphText(m.main, i));
    if (t.size() > 3) {
      EXPECT_EQ(out.find(t), std::string::npos) << t;
    }
  }
}

TEST(DocReader, InlineAndFloatingPicturesCarryTheirImage) {
  word::Model png = readCorpus("PngPicture.doc");
  ASSERT_EQ(png.main.pictures.size(), 1u);
  const word::Picture& p = png.main.pictures[0];
  EXPECT_EQ(p.format, "png");
  ASSERT_TRUE(p.data);
  EXPECT_EQ(p.data->substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
  EXPECT_EQ(png.main.text[p.pos], word::kPictureMark);
  EXPECT_GT(p.widthPx, 0);
  EXPECT_GT(p.heightPx, 0);

  word::Model floating = readCorpus("pictures_escher.doc");
  ASSERT_EQ(floating.main.pictures.size(), 2u);
  for (const word::Picture& f : floating.main.pictures) {
    EXPECT_EQ(f.format, "png");
    EXPECT_EQ(f.data->substr(1, 3), "PNG");
    EXPECT_GT(f.widthPx, 100);
  }

  word::Model alt = readCorpus("Picture_Alternative_Text.doc");
  ASSERT_EQ(alt.main.pictures.size(), 1u);
  EXPECT_EQ(alt.main.pictures[0].alt, u"This is the alternative text for the picture.");

  // Shapes with no picture (two thick green lines across the page, in
  // front of the text) are drawn as SVG; taller ones in front of the text
  // (the lines between a diagram's text boxes, which show after their
  // paragraph) would push the text apart where they are anchored: lost.
  word::Model diagram = readCorpus("saved-by-table.doc");
  EXPECT_TRUE(std::none_of(diagram.main.pictures.begin(), diagram.main.pictures.end(),
                           [](const word::Picture& p) { return p.format == "svg"; }));
  EXPECT_FALSE(diagram.losses.empty());
  word::Model lines = readCorpus("Bug47286.doc");
  ASSERT_EQ(lines.main.pictures.size(), 2u);
  for (const word::Picture& l : lines.main.pictures) {
    EXPECT_EQ(l.format, "svg");
    EXPECT_GT(l.widthPx, 600);
    EXPECT_NE(l.data->find("<line"), std::string::npos);
    EXPECT_NE(l.data->find("stroke=\"#008000\""), std::string::npos);
  }

  // Metafiles are inflated and kept as they are. This one shows a formula
  // object of OpenDocument, whose own package (inside the .doc) gives the
  // formula's text.
  word::Model emf = readCorpus("equation.doc");
  ASSERT_EQ(emf.main.pictures.size(), 1u);
  EXPECT_EQ(emf.main.pictures[0].format, "emf");
  EXPECT_EQ(emf.main.pictures[0].alt, u"a^n+b^n=c^n;n>2");
  word::read::doc::Bytes e(*emf.main.pictures[0].data);
  EXPECT_EQ(e.u32(0), 1u);            // EMR_HEADER
  EXPECT_EQ(e.u32(40), 0x464D4520u);  // " EMF"
}

TEST(DocReader, Word6DocumentsAreReadInTheirCodePage) {
  word::Model m = readCorpus("Bug60942b.doc");
  EXPECT_NE(m.main.text.find(u"Четыре балла и семь лет"), std::u16string::npos);
  // Its style sheet and font table have their own older layout.
  ASSERT_GT(m.styles.size(), 3u);
  EXPECT_EQ(m.styles[0].name, u"Normal");
  EXPECT_EQ(m.styles[0].chars.font, u"Times New Roman");
  int32_t heading = -1;
  for (size_t i = 0; i < m.styles.size(); ++i)
    if (m.styles[i].name == u"Heading") heading = static_cast<int32_t>(i);
  ASSERT_GE(heading, 0);
  EXPECT_EQ(m.styles[heading].chars.halfPoints, 28);
  EXPECT_EQ(m.styles[heading].chars.font, u"Arial");
  EXPECT_EQ(m.styles[heading].basedOn, 0);

  // Central European text, and a bookmark from the older string table.
  word::Model cz = readCorpus("Bug60936.doc");
  EXPECT_NE(cz.main.text.find(u"skóre a před"), std::u16string::npos);
  ASSERT_EQ(cz.main.bookmarks.size(), 1u);
  EXPECT_EQ(cz.main.bookmarks[0].name, u"tw-target-text");
}

// Word 6.0/95 formatting: one formatting page of each kind (its table of
// page numbers ten bytes long), and a page of more paragraphs than a later
// file's page holds.
TEST(DocReader, Word6FormattingIsApplied) {
  word::Model m = readCorpus("Word95.doc");
  auto at = [&](std::u16string_view text) {
    const size_t pos = m.main.text.find(text);
    EXPECT_NE(pos, std::u16string::npos) << u8(std::u16string(text));
    auto run = std::upper_bound(m.main.runs.begin(), m.main.runs.end(), pos,
                                [](size_t p, const word::Run& r) { return p < r.start; });
    return std::prev(run)->format;
  };
  EXPECT_EQ(at(u"RED").color, 0xFF0000u);
  EXPECT_TRUE(at(u"BLUE BOLD").bold);
  EXPECT_EQ(at(u"BLUE BOLD").color, 0x0000FFu);
  EXPECT_TRUE(at(u"th)").superscript);
  EXPECT_FALSE(at(u"Paragraph 2").bold);

  word::Model w6 = readCorpus("Word6_sections2.doc");
  EXPECT_EQ(formatOf(w6.main, u"STATEMENT  OF  INSOLVENCY  PRACTICE  10  (SCOTLAND)").align,
            word::Align::Center);
  size_t justified = 0;
  for (const word::Paragraph& p : w6.main.paragraphs)
    justified += p.format.align == word::Align::Justify;
  EXPECT_GT(justified, 10u);
}

TEST(DocReader, StreamNamesInUpperCaseAreFound) {
  std::string bytes = support::readFile(kCorpus / "47950_upper.doc");
  EXPECT_EQ(word::read::detect(bytes), word::read::Format::Doc);
  EXPECT_NO_THROW(word::read::readDoc(bytes));
}

TEST(DocReader, BadInputFailsWithAReason) {
  const std::string good = support::readFile(kCorpus / "Lists.doc");
  auto number = [](const std::string& bytes) {
    try {
      word::read::readDoc(bytes);
    } catch (const word::Error& e) {
      EXPECT_FALSE(e.description().empty());
      return e.number();
    }
    return 0;
  };
  EXPECT_EQ(number(support::readFile(kCorpus / "PasswordProtected.doc")), word::kPasswordProtected);
  EXPECT_EQ(number(""), word::kCannotOpen);
  EXPECT_EQ(number("{\\rtf1 not a compound file}"), word::kCannotOpen);
  // Word 2.0 files are recognised and told apart from unknown content.
  std::string word2 = std::string("\xDB\xA5\x2D\x00", 4) + std::string(508, '\0');
  EXPECT_EQ(word::read::detect(word2), word::read::Format::Doc);
  std::string why = testing_support::thrown([&] { word::read::readDoc(word2); }).description();
  EXPECT_NE(why.find("older than 6.0"), std::string::npos) << why;
  // A compound file header with nothing behind it.
  EXPECT_EQ(number(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0')),
            word::kCannotOpen);
  // A document cut short is told as such, not as unknown content.
  for (size_t keep : {size_t{512}, size_t{4096}, good.size() / 2}) {
    SCOPED_TRACE(keep);
    const std::string why =
        testing_support::thrown([&] { word::read::loadBytes(good.substr(0, keep)); }).description();
    EXPECT_EQ(why, "the document is damaged (truncated)");
  }
}

// Truncated and corrupted copies of a real document either read or fail
// with word::Error; nothing else escapes and nothing crashes.
TEST(DocReader, DamagedDocumentsNeverEscapeAsOtherFailures) {
  std::string good = support::readFile(kCorpus / "Lists.doc");
  std::mt19937 rng(12345);
  int read = 0, failed = 0;
  auto attempt = [&](const std::string& bytes) {
    try {
      word::Model m = word::read::readDoc(bytes);
      // Whatever was read keeps the model's invariants.
      ASSERT_FALSE(m.main.text.empty());
      EXPECT_EQ(m.main.text.back(), word::kParagraphMark);
      EXPECT_EQ(m.main.paragraphs.back().end, m.main.text.size());
      ++read;
    } catch (const word::Error&) {
      ++failed;
    }
  };
  for (size_t len = 0; len < good.size(); len += 997) attempt(good.substr(0, len));
  for (int i = 0; i < 300; ++i) {
    std::string bad = good;
    int flips = 1 + static_cast<int>(rng() % 16);
    for (int k = 0; k < flips; ++k)
      bad[512 + rng() % (bad.size() - 512)] = static_cast<char>(rng());
    attempt(bad);
  }
  EXPECT_GT(read, 0);
  EXPECT_GT(failed, 0);
}

// Inputs that once crashed or hung the reader.
TEST(DocReader, FormerCrashesAreHandled) {
  fs::path dir = kCorpus / "crashes";
  if (!fs::exists(dir)) GTEST_SKIP() << "no crash inputs kept";
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename() == "README") continue;
    SCOPED_TRACE(entry.path().filename().string());
    try {
      word::Model m = word::read::readDoc(support::readFile(entry.path()));
      for (const word::Picture& p : m.main.pictures) {
        EXPECT_GE(p.widthPx, 0);
        EXPECT_GE(p.heightPx, 0);
        EXPECT_LT(p.pos, m.main.text.size());
      }
      EXPECT_EQ(m.main.text.back(), word::kParagraphMark);
    } catch (const word::Error&) {
    }
  }
}

// Pieces that overlap or run backwards read what the file holds; a piece
// table that places text past the end of the file (one cut short or
// damaged) is refused, where the course lost its pages without a word.
TEST(DocReader, PiecesPastTheEndOfTheFileAreDamage) {
  using Piece = doctest::SyntheticDoc::Piece;
  const std::pair<std::vector<Piece>, std::u16string> cases[] = {
      {{{8, 0}, {16, 8}}, u"%H2=One\r%H2=Two\r"},
      {{{8, 0}, {16, 0}}, u"%H2=One\r%H2=One\r"},
      {{{8, 0}, {4, 8}, {16, 8}}, u"%H2=One\r%H2=Two\r"},
      {{{8, 0}, {16, 0x1000000}}, u""},
  };
  for (const auto& [pieces, text] : cases) {
    doctest::SyntheticDoc d;
    d.text = u"%H2=One\r%H2=Two\r";
    d.pieces = pieces;
    SCOPED_TRACE(u8(text));
    if (text.empty())
      EXPECT_EQ(testing_support::thrown([&] { word::read::readDoc(d.build()); }).description(),
                "the document is damaged (8 characters of its text lie past the end of the file)");
    else
      EXPECT_EQ(word::read::readDoc(d.build()).main.text, text);
  }
}

}  // namespace

namespace word::read::doc {
namespace {

TEST(DocParts, NumberFormats) {
  const struct {
    int number, format;
    std::u16string text;
  } cases[] = {{4, 0, u"4"},     {14, 1, u"XIV"}, {1999, 2, u"mcmxcix"},
               {1, 3, u"A"},     {28, 4, u"bb"},  {22, 5, u"22nd"},
               {12, 5, u"12th"}, {7, 22, u"07"},  {3, 23, u""}};
  for (const auto& c : cases)
    EXPECT_EQ(formatNumber(c.number, c.format), c.text) << c.number << " " << c.format;
}

TEST(DocParts, BoundsCheckedBytesReadZeroOutside) {
  std::string s("\x01\x02\x03", 3);
  Bytes b(s);
  EXPECT_EQ(b.u16(1), 0x0302);
  EXPECT_EQ(b.u16(2), 0);
  EXPECT_EQ(b.u32(0), 0u);
  EXPECT_EQ(b.u8(SIZE_MAX), 0);
  EXPECT_FALSE(b.has(SIZE_MAX, 2));
  EXPECT_EQ(b.sub(2, SIZE_MAX).size(), 1u);
  EXPECT_TRUE(b.sub(5, 1).empty());
}

TEST(DocParts, SprmWalkStopsAtATruncatedOperand) {
  // bold on, size 24 half points, then a four-byte operand cut short.
  std::string g("\x35\x08\x01\x43\x4A\x18\x00\x70\x68\x01\x02", 11);
  std::vector<uint16_t> seen;
  forEachSprm(Bytes(g), [&](uint16_t sprm, Bytes) { seen.push_back(sprm); });
  EXPECT_EQ(seen, (std::vector<uint16_t>{0x0835, 0x4A43}));
  Chp chp;
  applyChp(chp, Bytes(g), Chp(), nullptr);
  EXPECT_TRUE(chp.bold);
  EXPECT_EQ(chp.halfPoints, 24);
  // Toggles: 0x81 flips the style's value.
  std::string flip("\x36\x08\x81", 3);
  Chp styled;
  styled.italic = true;
  Chp c2 = styled;
  applyChp(c2, Bytes(flip), styled, nullptr);
  EXPECT_FALSE(c2.italic);
}

// Border sprms cut short, for cells the row does not have, or of types
// and widths no word processor writes keep the row whole and in bounds.
TEST(DocParts, DamagedBorderSprmsKeepTheRowWhole) {
  const std::string brc80("\xFF\xC8\x03\x00", 4);  // type 200, 255 eighths
  const struct {
    std::string sprm;
    MaybeBorder left;  // of cell 1
  } cases[] = {
      {std::string("\x05\xD6\x18\x01\x02", 5), std::nullopt},  // table's, cut short
      {std::string("\x20\xD6\x07\x01\xC8\x0F", 6) + brc80,     // cells 1..199
       Border{LineStyle::Single, kMaxBorderWidth, 0, 0x00FFFF}},
      {std::string("\x20\xD6\x07\x02\x01\x0F", 6) + brc80, std::nullopt},  // an empty range
      {std::string("\x2F\xD6\x03\x00\x03\x0F", 6), std::nullopt},          // too short for a border
  };
  for (const auto& c : cases) {
    Pap pap;
    pap.cells.resize(3);
    applyPap(pap, Bytes(c.sprm), Bytes());
    EXPECT_EQ(pap.cells.size(), 3u);
    EXPECT_EQ(pap.cells[1].borders[kLeft], c.left);
    for (const MaybeBorder& b : pap.tableBorders) EXPECT_FALSE(b.has_value());
  }
}

TEST(DocParts, Word6SprmsTranslateToTheLaterForm) {
  // bold, font 3, colour red, an unknown code, then something never reached.
  std::string g("\x55\x01\x5D\x03\x00\x62\x06\xD5\x55\x01", 10);
  std::string t = translateWord6Sprms(Bytes(g));
  Chp chp;
  applyChp(chp, Bytes(t), Chp(), nullptr);
  EXPECT_TRUE(chp.bold);
  EXPECT_EQ(chp.font, 3);
  EXPECT_EQ(chp.color, 0xFF0000u);
  EXPECT_EQ(t.size(), 3u + 4u + 3u);
  // The older numbering's level: numbered (which is not read) or not.
  for (const auto& [level, numbered] : {std::pair{'\x0A', true}, std::pair{'\x00', false}}) {
    bool told = !numbered;
    translateWord6Sprms(Bytes(std::string{'\x05', '\x01', '\x0D', level}), &told);
    EXPECT_EQ(told, numbered);
  }
}

}  // namespace
}  // namespace word::read::doc
