// The selection rules the marker scanner relies on.
#include <gtest/gtest.h>

#include "helpers.h"
#include "word/error.h"

using namespace word;
using wordtest::adopt;
using wordtest::para;
using wordtest::scan;
using wordtest::table;

namespace {

using Texts = std::vector<std::string>;
using Span = std::pair<int32_t, int32_t>;

Span span(const Selection& sel) {
  return {sel.start(), sel.end()};
}

// The automation arguments are typed: a movement where the unit belongs, a
// bare number or a flag does not compile.
template <typename... A>
concept MovesDown = requires(Selection s, A... a) {
  s.moveDown(a...);
};
template <typename... A>
concept GoesHome = requires(Selection s, A... a) {
  s.homeKey(a...);
};
template <typename A>
concept Asks = requires(Selection s, A a) {
  s.information(a);
};
template <typename A>
concept Saves = requires(Document& d, A a) {
  d.saveAs("x.htm", a);
};
template <typename A>
concept Closes = requires(Document& d, A a) {
  d.close(a);
};
static_assert(MovesDown<Unit, int32_t, Movement> && GoesHome<Unit, Movement>);
static_assert(!MovesDown<Movement, int32_t, Unit> && !MovesDown<int32_t, int32_t, int32_t> &&
              !MovesDown<Unit, int32_t, bool> && !GoesHome<Movement, Unit>);
static_assert(Asks<Information> && !Asks<int32_t> && !Asks<Unit>);
static_assert(Saves<SaveFormat> && !Saves<int32_t> && !Saves<Unit>);
static_assert(Closes<SaveChanges> && !Closes<int32_t> && !Closes<bool>);

Texts walk(Model m) {
  Application app;
  adopt(app, std::move(m));
  bool finished = false;
  Texts read = scan(app, &finished);
  EXPECT_TRUE(finished) << "the walk stopped moving";
  return read;
}

// A document of paragraphs and one-row tables, in order: a block with one
// text is a paragraph, a block with a list of cells a table.
using Block = std::vector<std::string>;
struct Blocks {
  std::vector<std::pair<bool, Block>> blocks;
  Blocks& p(const std::string& text) { return blocks.push_back({false, {text}}), *this; }
  Blocks& t(const Block& cells) { return blocks.push_back({true, cells}), *this; }
  Model model() const {
    Builder b;
    for (const auto& [isTable, texts] : blocks) isTable ? table(b, texts) : para(b, texts[0]);
    return b.finish();
  }
  Texts walk() const { return ::walk(model()); }
};

TEST(Selection, PositionsAreClampedAndAnInsertionPointStaysBeforeTheFinalMark) {
  Application app;
  Document& doc = adopt(app, Blocks().p("one").p("two").model());
  Selection sel = app.selection();
  const int32_t end = doc.content().end();
  ASSERT_EQ(end, 8);

  sel.setEnd(1000);
  EXPECT_EQ(span(sel), Span(0, end));
  EXPECT_EQ(sel.type(), wdSelectionNormal);
  EXPECT_EQ(word::u8(sel.text()), "one\rtwo\r");

  sel.setStart(end);  // collapses at the very end: moves before the final mark
  EXPECT_EQ(span(sel), Span(end - 1, end - 1));
  EXPECT_EQ(sel.type(), wdSelectionIP);

  sel.setStart(-5);
  EXPECT_EQ(span(sel), Span(0, end - 1));

  sel.setStart(5);  // past nothing: end stays
  sel.setEnd(2);    // before the start: the start follows
  EXPECT_EQ(span(sel), Span(2, 2));
  sel.setEnd(6);
  sel.setStart(7);  // past the end: the end follows
  EXPECT_EQ(span(sel), Span(7, 7));
}

TEST(Selection, MoveDownByParagraphAndTheLastParagraph) {
  Application app;
  Document& doc = adopt(app, Blocks().p("ab").p("cd").model());
  Selection sel = app.selection();
  EXPECT_EQ(sel.moveDown(wdParagraph, 1, wdExtend), 1);
  EXPECT_EQ(span(sel), Span(0, 3));
  EXPECT_EQ(word::u8(sel.text()), "ab\r");
  sel.setStart(sel.end());
  // From the last paragraph the end goes to the end of the text...
  EXPECT_EQ(sel.moveDown(wdParagraph, 1, wdExtend), 1);
  EXPECT_EQ(sel.end(), doc.content().end());
  EXPECT_EQ(word::u8(sel.text()), "cd\r");
  // ... and cannot move further.
  EXPECT_EQ(sel.moveDown(wdParagraph, 1, wdExtend), 0);
  EXPECT_EQ(sel.end(), doc.content().end());

  // Moving (not extending) collapses at the next paragraph's start, and in
  // the last paragraph stops before the final mark.
  sel.homeKey(wdStory, wdMove);
  EXPECT_EQ(sel.moveDown(wdParagraph, 1, wdMove), 1);
  EXPECT_EQ(sel.start(), 3);
  EXPECT_EQ(sel.type(), wdSelectionIP);
  EXPECT_EQ(sel.moveDown(wdParagraph, 1, wdMove), 1);
  EXPECT_EQ(sel.start(), 5);
  EXPECT_EQ(sel.moveDown(wdParagraph, 1, wdMove), 0);
  EXPECT_EQ(sel.moveDown(wdParagraph, 3, wdExtend), 1);
}

TEST(Selection, HomeAndEndKeys) {
  Application app;
  Document& doc = adopt(app, Blocks().p("first").p("second").model());
  Selection sel = app.selection();
  sel.endKey(wdStory, wdMove);
  EXPECT_EQ(sel.start(), doc.content().end() - 1);
  EXPECT_EQ(sel.type(), wdSelectionIP);
  EXPECT_EQ(sel.homeKey(wdLine, wdMove), 6);
  EXPECT_EQ(sel.start(), 6);
  sel.setEnd(2);
  EXPECT_EQ(sel.endKey(wdLine, wdMove), 3);
  EXPECT_EQ(sel.start(), 5);  // before the paragraph's mark
  sel.homeKey(wdStory, wdMove);
  EXPECT_EQ(sel.start(), 0);
  sel.endKey(wdStory, wdExtend);
  EXPECT_EQ(span(sel), Span(0, doc.content().end()));
  EXPECT_THROW(sel.homeKey(wdParagraph, wdMove), Error);
}

TEST(Selection, InformationAndSelectTableTakeTheOutermostTable) {
  Application app;
  Builder b;
  para(b, "before");
  b.startTable();
  b.startRow();
  b.startCell();
  b.text("outer");
  b.endParagraph();
  table(b, {"inner1", "inner2"});
  b.startCell();
  b.text("right");
  b.endRow();
  b.endTable();
  para(b, "after");
  Model m = b.finish();
  const Table outer = m.main.tables.at(0);
  const Table inner = m.main.tables.at(1);
  ASSERT_EQ(inner.depth, 2);
  adopt(app, std::move(m));
  Selection sel = app.selection();

  EXPECT_FALSE(sel.information(wdWithInTable));
  EXPECT_THROW(sel.selectTable(1), Error);
  sel.setStart(static_cast<int32_t>(inner.start) + 2);  // inside the nested table
  EXPECT_TRUE(sel.information(wdWithInTable));
  sel.selectTable(1);
  EXPECT_EQ(span(sel), Span(static_cast<int32_t>(outer.start), static_cast<int32_t>(outer.end)));
  // From the selected table, a line down is the first position after it.
  EXPECT_EQ(sel.moveDown(wdLine, 1, wdMove), 1);
  EXPECT_EQ(sel.start(), static_cast<int32_t>(outer.end));
  EXPECT_FALSE(sel.information(wdWithInTable));
  EXPECT_EQ(word::u8(app.activeDocument().content().text().substr(outer.end, 5)), "after");

  // A selection reaching over the table counts it; a second one is missing.
  sel.homeKey(wdStory, wdMove);
  sel.endKey(wdStory, wdExtend);
  sel.selectTable(1);
  EXPECT_EQ(sel.start(), static_cast<int32_t>(outer.start));
  sel.homeKey(wdStory, wdMove);
  sel.endKey(wdStory, wdExtend);
  Error e = wordtest::thrown([&] { sel.selectTable(2); });
  EXPECT_EQ(e.number(), kNoSuchMember);
  EXPECT_EQ(e.source(), kEngineSource);
  EXPECT_THROW(sel.information(static_cast<Information>(7)), Error);
}

TEST(ScannerWalk, SkipsTablesAtTheStartMiddleAndEnd) {
  EXPECT_EQ(Blocks().t({"x", "y"}).p("after").walk(), (Texts{"after\r"}));
  EXPECT_EQ(Blocks().p("one").t({"x", "y"}).p("two").walk(), (Texts{"one\r", "two\r"}));
  EXPECT_EQ(Blocks().p("one").t({"x"}).walk(), (Texts{"one\r"}));
  EXPECT_EQ(Blocks().t({"x"}).walk(), Texts{});
}

TEST(ScannerWalk, TwoAndThreeTablesInARow) {
  Model m = Blocks().p("one").t({"a"}).t({"b", "c"}).p("two").model();
  ASSERT_EQ(m.main.tables.size(), 2u);
  ASSERT_EQ(m.main.tables[0].end, m.main.tables[1].start);  // back to back
  EXPECT_EQ(walk(std::move(m)), (Texts{"one\r", "two\r"}));
  EXPECT_EQ(Blocks().t({"a"}).t({"b"}).t({"c"}).p("%H2=Next").p("text").walk(),
            (Texts{"%H2=Next\r", "text\r"}));
}

TEST(ScannerWalk, NestedTablesAreSkippedWithTheirOuterTable) {
  Builder b;
  para(b, "one");
  b.startTable();
  b.startRow();
  b.startCell();
  table(b, {"deep %H2=no"});
  b.startCell();
  b.text("%H1=no");
  b.endRow();
  b.startRow();
  b.startCell();
  b.text("row two");
  b.endRow();
  b.endTable();
  para(b, "two");
  table(b, {"last"});
  EXPECT_EQ(walk(b.finish()), (Texts{"one\r", "two\r"}));
}

TEST(ScannerWalk, EmptyParagraphsAreReadAndTheFinalEmptyOneIsNot) {
  EXPECT_EQ(Blocks().p("").p("x").p("").p("").walk(), (Texts{"\r", "x\r", "\r"}));
  Application app;
  app.documents().add();
  EXPECT_EQ(scan(app), Texts{});
}

TEST(Selection, InsertAfterEndsParagraphsAtLineFeedsAndCarriageReturns) {
  Application app;
  Document& doc = app.documents().add();
  Selection sel = app.selection();
  sel.insertAfter(u"head\nline\r\nlast");
  EXPECT_EQ(word::u8(doc.content().text()), "head\rline\rlast\r");
  EXPECT_EQ(engine::model(doc).main.paragraphs.size(), 3u);
  EXPECT_EQ(span(sel), Span(0, 14));  // extended over the inserted text
  sel.endKey(wdStory, wdMove);
  sel.insertAfter(u"\ntail");
  EXPECT_EQ(word::u8(doc.content().text()), "head\rline\rlast\rtail\r");
  sel.homeKey(wdStory, wdMove);
  sel.insertAfter(u"top\n");
  EXPECT_EQ(word::u8(doc.content().text()), "top\rhead\rline\rlast\rtail\r");
  EXPECT_EQ(engine::model(doc).main.paragraphs.size(), 5u);
  // Control characters that need structure are not inserted.
  sel.insertAfter(std::u16string(u"a\x01\x07z"));
  EXPECT_EQ(word::u8(doc.content().text()).substr(0, 6), "top\raz");
}

}  // namespace
