#pragma once
// The writers' walk over a story: paragraphs and whole tables in document
// order, the way each writer nests them.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "word/model.h"
#include "word/story_ops.h"

namespace word::write {

// Walks [from, to) of `s`: a table that starts where the next block would,
// is nested deeper than `depth` and lies within the range goes to
// `onTable` whole; every other paragraph, cut at `to`, goes to
// `onParagraph(start, end, index)`. `tableCursor` is the index of the first
// table not yet passed; it moves on as the walk does, also through the
// tables that `onTable` walks in turn, so a story is walked in one pass.
template <class OnTable, class OnParagraph>
void walkBlocks(const Story& s, size_t& tableCursor, uint32_t from, uint32_t to, int depth,
                OnTable&& onTable, OnParagraph&& onParagraph) {
  uint32_t p = from;
  while (p < to) {
    while (tableCursor < s.tables.size() && s.tables[tableCursor].start < p) ++tableCursor;
    if (tableCursor < s.tables.size()) {
      const Table& t = s.tables[tableCursor];
      if (t.start == p && t.depth > depth && t.end <= to && t.end > t.start && !t.rows.empty()) {
        ++tableCursor;
        onTable(t);
        p = t.end;
        continue;
      }
    }
    size_t k = ops::paragraphAt(s, p);
    if (k >= s.paragraphs.size()) break;
    uint32_t end = std::min(s.paragraphs[k].end, to);
    if (end <= p) break;
    onParagraph(p, end, k);
    p = end;
  }
}

}  // namespace word::write
