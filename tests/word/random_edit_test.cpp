// Random documents and random copy/paste/insert sequences: after every edit
// the model must keep the invariants that the walk, the writers and the
// next edit rely on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "helpers.h"
#include "word/error.h"
#include "word/write/writers.h"

using namespace word;

namespace {

// Returns the first broken invariant, or an empty string.
std::string broken(const Model& m) {
  const Story& s = m.main;
  const std::u16string& t = s.text;
  const uint32_t size = static_cast<uint32_t>(t.size());
  if (t.empty() || t.back() != kParagraphMark)
    return "the story does not end with a paragraph mark";
  size_t marks = 0;
  for (char16_t c : t) marks += c == kParagraphMark || c == kCellMark;
  if (marks != s.paragraphs.size()) return "marks and paragraphs differ in number";
  for (size_t i = 0; i < s.paragraphs.size(); ++i) {
    uint32_t e = s.paragraphs[i].end;
    if (e == 0 || e > size || (i && e <= s.paragraphs[i - 1].end))
      return "paragraph ends out of order";
    if (t[e - 1] != kParagraphMark && t[e - 1] != kCellMark)
      return "a paragraph does not end in a mark";
  }
  if (s.runs.empty() || s.runs[0].start != 0) return "runs do not start at 0";
  for (size_t i = 1; i < s.runs.size(); ++i)
    if (s.runs[i].start <= s.runs[i - 1].start || s.runs[i].start >= size)
      return "runs out of order";
  for (size_t i = 0; i < s.tables.size(); ++i) {
    const Table& tb = s.tables[i];
    if (i && tb.start < s.tables[i - 1].start) return "tables out of order";
    if (tb.rows.empty() || tb.start >= tb.end || tb.end >= size) return "table span";
    uint32_t at = tb.start;
    for (const Row& r : tb.rows) {
      if (r.start != at || r.cells.empty() || t[r.end - 1] != kCellMark) return "row span";
      uint32_t c0 = r.start;
      for (const Cell& c : r.cells) {
        if (c.start != c0 || c.end <= c.start || t[c.end - 1] != kCellMark) return "cell span";
        c0 = c.end;
      }
      if (c0 != r.end - 1) return "the row mark does not follow the last cell";
      at = r.end;
    }
    if (at != tb.end) return "rows do not end the table";
    int holders = 0;
    for (size_t k = 0; k < i; ++k)
      holders += s.tables[k].start <= tb.start && tb.end <= s.tables[k].end;
    if (tb.depth != holders + 1) return "table depth";
    if (tb.start > 0 && tb.depth == 1 && t[tb.start - 1] != kParagraphMark &&
        t[tb.start - 1] != kCellMark)
      return "a table starts inside a paragraph";
  }
  for (size_t i = 0; i < s.bookmarks.size(); ++i) {
    const Bookmark& b = s.bookmarks[i];
    if (b.start > b.end || b.end > size || (i && b.start < s.bookmarks[i - 1].start))
      return "bookmark span";
  }
  size_t pictures = 0, notes = 0;
  for (char16_t c : t) {
    pictures += c == kPictureMark;
    notes += c == kNoteMark;
  }
  if (pictures != s.pictures.size() || notes != m.notes.size()) return "picture or note marks";
  for (const Picture& p : s.pictures)
    if (p.pos >= size || t[p.pos] != kPictureMark) return "picture position";
  for (const Note& n : m.notes)
    if (n.pos >= size || t[n.pos] != kNoteMark) return "note position";
  for (const Paragraph& p : s.paragraphs)
    if (p.format.style < 0 || static_cast<size_t>(p.format.style) >= m.styles.size())
      return "style index";
  return "";
}

class RandomDocument {
 public:
  explicit RandomDocument(uint32_t seed) : rng_(seed) {}

  Model make() {
    Builder b;
    Style s;
    s.name = u"Style" + u16(std::to_string(pick(3)));
    styles_.push_back(b.addStyle(s));
    int blocks = 3 + pick(12);
    for (int i = 0; i < blocks; ++i) block(b, 0);
    return b.finish();
  }

  int pick(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }

 private:
  void block(Builder& b, int depth) {
    int kind = pick(10);
    if (kind < 2 && depth < 2) {
      b.startTable();
      int rows = 1 + pick(3);
      for (int r = 0; r < rows; ++r) {
        b.startRow();
        int cells = 1 + pick(3);
        for (int c = 0; c < cells; ++c) {
          b.startCell(pick(3000), static_cast<uint16_t>(1 + pick(2)), static_cast<VMerge>(pick(3)));
          int inner = 1 + pick(2);
          for (int k = 0; k < inner; ++k) block(b, depth + 1);
        }
        b.endRow();
      }
      b.endTable();
      return;
    }
    ParagraphFormat f;
    if (!styles_.empty() && pick(3) == 0) f.style = styles_[0];
    if (pick(4) == 0) {
      f.listId = pick(2);
      f.listLevel = static_cast<uint8_t>(pick(3));
      f.listOrdered = pick(2);
    }
    b.paragraph(f);
    int pieces = pick(4);
    for (int k = 0; k < pieces; ++k) {
      CharFormat c;
      c.bold = pick(2);
      if (pick(5) == 0) c.hyperlink = u"#m" + u16(std::to_string(pick(9)));
      int what = pick(12);
      if (what == 0) {
        Picture p;
        p.data = std::make_shared<const std::string>("GIF89a");
        b.picture(p, c);
      } else if (what == 1 && depth == 0) {
        Builder note;
        note.text("note text");
        note.endParagraph();
        b.note(pick(2), u"*", note.finishStory(), c);
      } else if (what == 2) {
        std::u16string name = u"m" + u16(std::to_string(pick(9)));
        b.startBookmark(name);
        b.text("marked", c);
        b.endBookmark(name);
      } else {
        b.text(std::string(1 + pick(6), static_cast<char>('a' + pick(26))), c);
      }
    }
    b.endParagraph();
  }

  std::mt19937 rng_;
  std::vector<int32_t> styles_;
};

TEST(RandomEdits, CopyPasteAndInsertKeepTheModelWhole) {
  // RD_RANDOM_SEEDS runs more seeds for a deeper local check.
  const char* env = std::getenv("RD_RANDOM_SEEDS");
  const uint32_t seeds = env ? static_cast<uint32_t>(std::strtoul(env, nullptr, 10)) : 300;
  for (uint32_t seed = 1; seed <= seeds; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    RandomDocument gen(seed);
    Application app;
    Document& src = wordtest::adopt(app, gen.make());
    ASSERT_EQ(broken(engine::model(src)), "");
    // The walk reads every paragraph outside tables, the final one only
    // when it holds text, and ends.
    bool finished = false;
    std::vector<std::string> read = wordtest::scan(app, &finished);
    ASSERT_TRUE(finished);
    std::vector<std::string> expected;
    const Story& story = engine::model(src).main;
    uint32_t start = 0;
    for (const Paragraph& p : story.paragraphs) {
      bool inTable = false;
      for (const Table& t : story.tables) inTable |= t.start <= start && start < t.end;
      if (!inTable) expected.push_back(u8(story.text.substr(start, p.end - start)));
      start = p.end;
    }
    if (expected.back() == "\r") expected.pop_back();
    EXPECT_EQ(read, expected);

    Document& dst = app.documents().add();
    for (int step = 0; step < 12; ++step) {
      engine::activate(app, src);
      Selection sel = app.selection();
      int32_t length = src.content().end();
      int32_t a = gen.pick(length + 1), b = gen.pick(length + 1);
      sel.setStart(std::min(a, b));
      sel.setEnd(std::max(a, b));
      sel.range().copy();

      engine::activate(app, dst);
      int32_t dlen = dst.content().end();
      int32_t p = gen.pick(dlen), q = p + (gen.pick(4) == 0 ? gen.pick(dlen - p + 1) : 0);
      sel.setStart(p);
      sel.setEnd(q);
      const std::u16string before = engine::model(dst).main.text;
      try {
        if (gen.pick(5) == 0)
          sel.insertAfter(u"typed\ntext");
        else
          sel.range().paste();
      } catch (const Error& e) {
        // Only a replacement that would cut a table is refused, and then
        // nothing changes.
        ASSERT_EQ(e.number(), kBadParameter) << e.description();
        ASSERT_EQ(engine::model(dst).main.text, before);
      }
      ASSERT_EQ(broken(engine::model(dst)), "")
          << "step " << step << " copy " << std::min(a, b) << ".." << std::max(a, b) << " of "
          << u8(engine::model(src).main.text) << " into " << p << ".." << q << " of " << u8(before)
          << " -> " << u8(engine::model(dst).main.text);
      ASSERT_LE(sel.end(), dst.content().end());
      // The selection's table lookups follow the edit.
      for (int probe = 0; probe < 4; ++probe) {
        int32_t pos = gen.pick(dst.content().end());
        bool expected = false;
        for (const Table& t : engine::model(dst).main.tables)
          expected |= t.start <= uint32_t(pos) && uint32_t(pos) < t.end;
        sel.setStart(pos);
        sel.setEnd(pos);
        ASSERT_EQ(sel.information(wdWithInTable), expected) << "at " << pos;
      }
    }
    engine::activate(app, dst);
    bool done = false;
    wordtest::scan(app, &done);
    EXPECT_TRUE(done);
    std::string html = write::html(engine::model(dst), "x_files", u"t").text;
    EXPECT_NE(html.find("\r\n<body"), std::string::npos);
  }
}

}  // namespace
