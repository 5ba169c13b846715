// Erasing a span of a story: its text and everything standing in it.
#include <algorithm>
#include <vector>

#include "word/error.h"
#include "word/story_detail.h"
#include "word/story_ops.h"

namespace word::ops {

using detail::cellAt;
using detail::compactRuns;
using detail::shiftTable;

namespace {

// Tables: a table inside the range goes; one that holds the range must
// hold it inside one cell, before the cell's mark.
void eraseTables(Story& d, uint32_t start, uint32_t end) {
  const uint32_t len = end - start;
  for (int level = 1;; ++level) {
    ptrdiff_t t = tableAt(d, start, level);
    if (t < 0) break;
    const Table& table = d.tables[static_cast<size_t>(t)];
    const Row& row = table.rows[rowAt(table, start)];
    ptrdiff_t c = cellAt(row, start);
    if (c < 0 || end > row.cells[static_cast<size_t>(c)].end - 1)
      fail(kBadParameter, "The range cannot be replaced: it cuts through a table.");
  }
  auto first = std::lower_bound(d.tables.begin(), d.tables.end(), start,
                                [](const Table& t, uint32_t p) { return t.start < p; });
  auto last = first;
  for (; last != d.tables.end() && last->start < end; ++last)
    if (last->end > end)
      fail(kBadParameter, "The range cannot be replaced: it cuts through a table.");
  // Deleting the marks before a table would pull the text in front of
  // them into its first cell.
  if (last != d.tables.end() && last->start == end) {
    size_t pa = paragraphAt(d, start);
    if (start != paragraphStart(d, pa) && d.paragraphs[pa].end <= end)
      fail(kBadParameter,
           "The range cannot be replaced: it would join text to the table after it.");
  }
  d.tables.erase(first, last);
  for (Table& t : d.tables) shiftTable(t, end - 1, -static_cast<int64_t>(len), false);
}

// Paragraphs whose marks are deleted merge into the one that follows.
void eraseParagraphs(Story& d, uint32_t start, uint32_t end) {
  const uint32_t len = end - start;
  size_t pa = paragraphAt(d, start);
  size_t pb = pa;
  while (pb < d.paragraphs.size() && d.paragraphs[pb].end <= end) ++pb;
  d.paragraphs.erase(d.paragraphs.begin() + static_cast<ptrdiff_t>(pa),
                     d.paragraphs.begin() + static_cast<ptrdiff_t>(pb));
  for (size_t i = pa; i < d.paragraphs.size(); ++i) d.paragraphs[i].end -= len;
}

// Runs: the run in force at `end` now starts at `start` (unless an
// earlier run already covers it with the same format).
void eraseRuns(Story& d, uint32_t start, uint32_t end) {
  const uint32_t len = end - start;
  for (Run& r : d.runs) {
    if (r.start >= end)
      r.start -= len;
    else if (r.start >= start)
      r.start = start;
  }
  // Runs collapsed onto `start` keep only the last one (the one at `end`).
  std::vector<Run> runs;
  runs.reserve(d.runs.size());
  for (Run& r : d.runs) {
    if (!runs.empty() && runs.back().start == r.start)
      runs.back() = std::move(r);
    else
      runs.push_back(std::move(r));
  }
  d.runs = std::move(runs);
  compactRuns(d.runs, d.text.size());
}

void eraseBookmarks(Story& d, uint32_t start, uint32_t end) {
  const uint32_t len = end - start;
  std::vector<Bookmark> marks;
  for (Bookmark& b : d.bookmarks) {
    if (b.start >= start && b.end <= end && b.end > b.start) continue;  // its text is gone
    auto fix = [&](uint32_t p) { return p < start ? p : (p >= end ? p - len : start); };
    b.start = fix(b.start);
    b.end = fix(b.end);
    marks.push_back(std::move(b));
  }
  d.bookmarks = std::move(marks);
}

// An equation the erased range touches keeps only what is left of its text.
void eraseEquations(Story& d, uint32_t start, uint32_t end) {
  const uint32_t len = end - start;
  std::vector<Equation> out;
  for (Equation& e : d.equations) {
    if (e.end <= start) {
      out.push_back(std::move(e));
    } else if (e.start >= end) {
      e.start -= len;
      e.end -= len;
      out.push_back(std::move(e));
    }
  }
  d.equations = std::move(out);
}

// Drops the items standing in [start, end) and moves those after it back.
template <class Item>
void eraseAt(std::vector<Item>& items, uint32_t start, uint32_t end) {
  const uint32_t len = end - start;
  std::vector<Item> kept;
  for (Item& item : items) {
    if (item.pos >= start && item.pos < end) continue;
    if (item.pos >= end) item.pos -= len;
    kept.push_back(std::move(item));
  }
  items = std::move(kept);
}

void erasePicturesAndNotes(Model& model, uint32_t start, uint32_t end) {
  eraseAt(model.main.pictures, start, end);
  eraseAt(model.notes, start, end);
}

}  // namespace

void erase(Model& model, uint32_t start, uint32_t end) {
  Story& d = model.main;
  const uint32_t size = static_cast<uint32_t>(d.text.size());
  if (size == 0) return;
  end = std::min(end, size - 1);  // the final paragraph mark stays
  if (start >= end) return;
  eraseTables(d, start, end);  // first: it refuses ranges that cut a table
  d.text.erase(start, end - start);
  eraseParagraphs(d, start, end);
  eraseRuns(d, start, end);
  eraseBookmarks(d, start, end);
  eraseEquations(d, start, end);
  erasePicturesAndNotes(model, start, end);
}

}  // namespace word::ops
