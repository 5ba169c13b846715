// Copy and paste through the in-process clipboard, the way a page export
// moves an entry into a new document.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "helpers.h"
#include "support/files.h"
#include "word/error.h"
#include "word/write/writers.h"

using namespace word;
using wordtest::adopt;
using wordtest::para;
namespace fs = std::filesystem;

namespace {

// A 1x1 PNG.
const std::string kPng = std::string(
    "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\x1f\x15\xc4\x89"
    "\0\0\0\rIDATx\x9c"
    "c\xf8\xff\xff?\0\x05\xfe\x02\xfe\xa7\x35\x81\x84\0\0\0\0IEND\xae"
    "B`\x82",
    67);

// The source of the copy tests: an entry between two markers, holding a
// heading, a link, a table with a merged cell, a picture, a footnote and
// bookmarks inside and around it.
Model source(uint32_t* entryStart, uint32_t* entryEnd) {
  Builder b;
  Style heading;
  heading.name = u"heading 2";
  heading.paragraph.outlineLevel = 1;
  heading.chars.bold = true;
  int32_t h = b.addStyle(heading);

  b.startBookmark(u"outside");
  para(b, "%H2=Rules");
  b.endBookmark(u"outside");
  *entryStart = b.position();
  ParagraphFormat hf;
  hf.style = h;
  hf.outlineLevel = 1;
  b.paragraph(hf);
  b.startBookmark(u"_Toc1");
  CharFormat bold;
  bold.bold = true;
  b.text("Rules & <limits>", bold);
  b.endBookmark(u"_Toc1");
  b.endParagraph();
  b.text("See ");
  CharFormat link;
  link.hyperlink = u"https://example.org/a?b=1&c=2";
  link.underline = true;
  link.color = 0x0000FF;
  b.text("the site", link);
  b.text(" and %A=12 the glossary%A#.");
  b.endParagraph();
  b.startTable();
  b.startRow();
  b.rowHeader();
  b.startCell(2000, 1, VMerge::Restart);
  b.text("merged");
  b.startCell(3000, 2);
  b.startBookmark(u"cell");
  b.text("wide");
  b.endBookmark(u"cell");
  b.endRow();
  b.startRow();
  b.startCell(2000, 1, VMerge::Continue);
  b.startCell(1500);
  b.text("c");
  b.startCell(1500);
  b.text("d");
  b.endRow();
  b.endTable();
  b.text("Picture: ");
  Picture pic;
  pic.data = std::make_shared<const std::string>(kPng);
  pic.format = "png";
  pic.widthPx = 120;
  pic.heightPx = 80;
  pic.alt = u"logo";
  b.picture(pic);
  b.text(" note");
  Builder note;
  para(note, "A footnote.");
  b.note(false, u"1", note.finishStory());
  b.endParagraph();
  *entryEnd = b.position();
  para(b, "%H2=Next");
  return b.finish();
}

class Clipboard : public wordtest::FolderTest {};

// Copies src's [start, end) and pastes it into a new document; when `around`
// is given, the new document holds it and the paste goes after its first
// character.
Document& pasteIntoNew(Application& app, Document& src, size_t start, size_t end,
                       const std::u16string& around = u"") {
  engine::activate(app, src);
  Selection sel = app.selection();
  sel.setStart(static_cast<int32_t>(start));
  sel.setEnd(static_cast<int32_t>(end));
  sel.range().copy();
  Document& dst = app.documents().add();
  if (!around.empty()) {
    sel.insertAfter(around);
    sel.setStart(1);
    sel.setEnd(1);
  }
  sel.range().paste();
  return dst;
}

// The page export's steps: select, copy, add, paste, drop bookmarks, save,
// close.
TEST_F(Clipboard, EntryWithTablePictureLinkAndBookmarksSavedAsHtml) {
  Application app;
  uint32_t start = 0, end = 0;
  Document& src = adopt(app, source(&start, &end));
  const std::u16string entryText = engine::model(src).main.text.substr(start, end - start);
  Document& page = pasteIntoNew(app, src, start, end);
  const Model& m = engine::model(page);
  // The entry ends with a paragraph mark: its paragraphs stay and the new
  // document's empty paragraph follows.
  EXPECT_EQ(m.main.text, entryText + u"\r");
  // heading, link line, 2 + 1 and 3 + 1 for the rows, picture line, final
  EXPECT_EQ(m.main.paragraphs.size(), 11u);
  EXPECT_EQ(m.main.paragraphs[0].format.outlineLevel, 1);
  EXPECT_EQ(u8(m.styles.at(static_cast<size_t>(m.main.paragraphs[0].format.style)).name),
            "heading 2");
  ASSERT_EQ(m.main.tables.size(), 1u);
  const Table& t = m.main.tables[0];
  EXPECT_EQ(t.rows.size(), 2u);
  EXPECT_EQ(t.rows[0].cells[1].gridSpan, 2);
  EXPECT_TRUE(t.rows[0].header);
  EXPECT_EQ(t.rows[1].cells[0].vmerge, VMerge::Continue);
  ASSERT_EQ(m.main.pictures.size(), 1u);
  EXPECT_EQ(*m.main.pictures[0].data, kPng);
  ASSERT_EQ(m.notes.size(), 1u);
  EXPECT_EQ(u8(m.notes[0].body.text), "A footnote.\r");
  // Only the bookmarks inside the range came along.
  ASSERT_EQ(page.bookmarks().count(), 2);
  EXPECT_EQ(u8(page.bookmarks().name(1)), "_Toc1");
  EXPECT_EQ(u8(page.bookmarks().name(2)), "cell");
  const Bookmark& cell = m.main.bookmarks[1];
  EXPECT_EQ(u8(m.main.text.substr(cell.start, cell.end - cell.start)), "wide");
  bool linked = false;
  for (const word::Run& r : m.main.runs)
    linked |= r.format.hyperlink == u"https://example.org/a?b=1&c=2";
  EXPECT_TRUE(linked);

  // The page export removes the bookmarks before saving.
  while (page.bookmarks().count() > 0) page.bookmarks().remove(1);
  const fs::path file = dir_ / "page2.htm";
  page.saveAs(file.string(), wdFormatHTML);
  page.close(wdDoNotSaveChanges);
  EXPECT_EQ(&app.activeDocument(), &src);

  std::string html = support::readFile(file.string());
  EXPECT_EQ(support::readFile((dir_ / "page2_files" / "image001.png").string()), kPng);
  const std::string golden = std::string(RD_TEST_DIR) + "/word/golden/clipboard_page2.htm";
  if (std::getenv("RD_UPDATE_GOLDEN")) support::writeFile(golden, html);
  EXPECT_EQ(html, support::readFile(golden)) << "compare with " << file;
  // The source is untouched by all this.
  EXPECT_EQ(engine::model(src).main.bookmarks.size(), 3u);
}

TEST_F(Clipboard, ContentWithoutAFinalMarkJoinsTheParagraphAtThePastePoint) {
  Application app;
  Builder b;
  para(b, "alpha");
  ParagraphFormat centred;
  centred.align = Align::Center;
  b.paragraph(centred);
  b.text("beta");
  b.endParagraph();
  Document& src = adopt(app, b.finish());

  // "ha\rbe", one whole paragraph and the start of the next, between x and y.
  Document& dst = pasteIntoNew(app, src, 3, 8, u"xy");
  EXPECT_EQ(u8(dst.content().text()), "xha\rbey\r");
  ASSERT_EQ(engine::model(dst).main.paragraphs.size(), 2u);
  // A paragraph's format goes with its mark: the pasted mark keeps the
  // source's, the joined tail keeps the destination's.
  EXPECT_EQ(engine::model(dst).main.paragraphs[0].format.align, Align::Left);
  EXPECT_EQ(engine::model(dst).main.paragraphs[1].format.align, Align::Left);

  // A whole paragraph keeps its own format.
  Document& second = pasteIntoNew(app, src, 6, 11);
  EXPECT_EQ(u8(second.content().text()), "beta\r\r");
  EXPECT_EQ(engine::model(second).main.paragraphs[0].format.align, Align::Center);
  EXPECT_EQ(engine::model(second).main.paragraphs[1].format.align, Align::Left);

  // Into an empty paragraph (a document's last paragraph, copied up to its
  // final mark as a new page) the tail brings its own format.
  Document& last = pasteIntoNew(app, src, 6, 10);
  EXPECT_EQ(u8(last.content().text()), "beta\r");
  EXPECT_EQ(engine::model(last).main.paragraphs[0].format.align, Align::Center);
}

TEST_F(Clipboard, EmptyRangesCopyAndPasteNothingAndAnEmptyClipboardFails) {
  Application app;
  Document& doc = app.documents().add();
  EXPECT_EQ(wordtest::thrown([&] { app.selection().range().paste(); }).number(), kNothingToPaste);
  app.selection().insertAfter(u"text");
  app.selection().setStart(2);
  app.selection().setEnd(2);
  app.selection().range().copy();  // succeeds
  Document& other = app.documents().add();
  app.selection().range().paste();
  EXPECT_EQ(u8(other.content().text()), "\r");
  EXPECT_EQ(u8(doc.content().text()), "text\r");
}

TEST_F(Clipboard, RangesReachingIntoATableTakeWholeRows) {
  Application app;
  Builder b;
  para(b, "before");
  b.startTable();
  b.tablePlacement(Align::Right, 0, true);
  int32_t height = 0;
  for (const char* row : {"r1", "r2", "r3"}) {
    b.startRow();
    b.rowHeight(height += 400);
    b.startCell();
    b.text(std::string(row) + "a");
    b.startCell();
    b.text(std::string(row) + "b");
    b.endRow();
  }
  b.endTable();
  para(b, "after");
  Document& src = adopt(app, b.finish());
  const Table t = engine::model(src).main.tables[0];

  // From inside row 2 to the text after the table: rows 2 and 3 and "aft".
  Document& dst = pasteIntoNew(app, src, t.rows[1].cells[1].start + 1, t.end + 3);
  const Model& m = engine::model(dst);
  ASSERT_EQ(m.main.tables.size(), 1u);
  EXPECT_EQ(m.main.tables[0].rows.size(), 2u);
  EXPECT_EQ(m.main.tables[0].start, 0u);
  // Its place and direction travel with it, and its rows' heights.
  EXPECT_EQ(m.main.tables[0].align, Align::Right);
  EXPECT_TRUE(m.main.tables[0].rightToLeft);
  EXPECT_EQ(m.main.tables[0].rows[1].height, 1200);
  EXPECT_EQ(
      u8(m.main.text),
      u8(engine::model(src).main.text.substr(t.rows[1].start, t.end - t.rows[1].start)) + "aft\r");

  // Text inside one cell is copied as text.
  Document& plain = pasteIntoNew(app, src, t.rows[0].cells[0].start, t.rows[0].cells[0].start + 2);
  EXPECT_EQ(u8(plain.content().text()), "r1\r");
  EXPECT_TRUE(engine::model(plain).main.tables.empty());

  // A table pasted into the middle of a paragraph starts a paragraph of its own.
  Document& mid = pasteIntoNew(app, src, t.start, t.end, u"xy");
  const Story& s = engine::model(mid).main;
  ASSERT_EQ(s.tables.size(), 1u);
  EXPECT_EQ(s.tables[0].start, 2u);
  EXPECT_EQ(u8(s.text.substr(0, 2)), "x\r");
  EXPECT_EQ(u8(s.text.substr(s.tables[0].end)), "y\r");
  EXPECT_EQ(wordtest::scan(app), (std::vector<std::string>{"x\r", "y\r"}));
}

TEST_F(Clipboard, PastingOverASelectionReplacesItAndStylesMatchByName) {
  Application app;
  Builder b;
  Style quote;
  quote.name = u"Quote";
  quote.chars.italic = true;
  ParagraphFormat qf;
  qf.style = b.addStyle(quote);
  b.paragraph(qf);
  b.text("cited");
  b.endParagraph();
  adopt(app, b.finish());
  Selection sel = app.selection();
  sel.setEnd(6);
  sel.range().copy();

  Document& dst = app.documents().add();
  sel.insertAfter(u"one\ntwo\nthree");
  sel.setStart(4);
  sel.setEnd(8);  // "two\r"
  sel.range().paste();
  EXPECT_EQ(u8(dst.content().text()), "one\rcited\rthree\r");
  const ParagraphFormat& pasted = engine::model(dst).main.paragraphs[1].format;
  EXPECT_EQ(u8(engine::model(dst).styles.at(static_cast<size_t>(pasted.style)).name), "Quote");
  // Pasting again does not add the style twice.
  sel.setStart(0);
  sel.setEnd(0);
  sel.range().paste();
  EXPECT_EQ(engine::model(dst).styles.size(), 2u);
  EXPECT_EQ(u8(dst.content().text()), "cited\rone\rcited\rthree\r");
}

TEST_F(Clipboard, OnlyTheStylesTheCopyUsesTravelWithTheirBases) {
  Application app;
  Builder b;
  auto style = [&](const char16_t* name, int32_t basedOn) {
    Style st;
    st.name = name;
    st.basedOn = basedOn;
    return b.addStyle(st);
  };
  int32_t base = style(u"Body", 0);
  style(u"Unused", 0);
  int32_t cycleA = style(u"LoopA", -1);
  int32_t cycleB = style(u"LoopB", cycleA);
  int32_t used = style(u"Tip", base);
  ParagraphFormat f;
  f.style = used;
  b.paragraph(f);
  b.text("tip");
  b.endParagraph();
  f.style = cycleB;
  b.paragraph(f);
  b.text("loop");
  b.endParagraph();
  Model m = b.finish();
  m.styles[static_cast<size_t>(cycleA)].basedOn = cycleB;  // damaged input: a cycle
  Document& dst = pasteIntoNew(app, adopt(app, std::move(m)), 0, 9);
  const Model& out = engine::model(dst);
  std::vector<std::string> names;
  for (const Style& st : out.styles) names.push_back(u8(st.name));
  EXPECT_EQ(names, (std::vector<std::string>{"Normal", "Body", "LoopA", "LoopB", "Tip"}));
  auto index = [&](const char* name) {
    return static_cast<int32_t>(std::find(names.begin(), names.end(), name) - names.begin());
  };
  EXPECT_EQ(out.styles[static_cast<size_t>(index("Tip"))].basedOn, index("Body"));
  EXPECT_EQ(out.styles[static_cast<size_t>(index("LoopA"))].basedOn, index("LoopB"));
  EXPECT_EQ(out.main.paragraphs[0].format.style, index("Tip"));
  EXPECT_EQ(out.main.paragraphs[1].format.style, index("LoopB"));
}

// A page takes its document's default tab stops, which its tabs and list
// labels go to.
TEST_F(Clipboard, APageTakesItsDocumentsDefaultTabStops) {
  Application app;
  Builder b;
  b.defaultTabStop(1134);
  b.text("a\tb");
  b.endParagraph();
  Document& page = pasteIntoNew(app, adopt(app, b.finish()), 0, 4);
  EXPECT_EQ(engine::model(page).defaultTabStop, 1134);
  const std::string html = word::write::html(engine::model(page), "f", u"t").text;
  EXPECT_NE(html.find(".tab{white-space:break-spaces;tab-size:4.725rem}"), std::string::npos)
      << html;
}

}  // namespace
