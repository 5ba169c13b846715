#pragma once
// Lookups and edits on a model's main story, shared by the facade and the
// clipboard. Lookups are binary searches over the sorted tables; an edit
// costs the length of what it copies plus one pass over the tables it
// shifts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "word/model.h"

namespace word::ops {

// Index of the paragraph that holds `pos`; paragraphs.size() at the end.
size_t paragraphAt(const Story& story, uint32_t pos);
uint32_t paragraphStart(const Story& story, size_t index);
// Index of the run that holds `pos` (the last one at the story's end).
size_t runAt(const Story& story, uint32_t pos);

// Index of the table of nesting depth `depth` (1: outermost) that holds
// `pos`, or -1. Walks back only over tables nested deeper than `depth`.
ptrdiff_t tableAt(const Story& story, uint32_t pos, int depth = 1);
// Number of tables that hold `pos`.
int depthAt(const Story& story, uint32_t pos);
// Index of the row of `table` that holds `pos` (the last row starting at
// or before it).
size_t rowAt(const Table& table, uint32_t pos);

// The range [start, end) widened so that it cuts no table: a range that
// reaches into a table takes the whole rows it touches, unless it lies in
// one cell, where the same rule applies to the tables nested in that cell.
struct Span {
  uint32_t start = 0;
  uint32_t end = 0;
  int level = 1;  // depth of the tables whose rows the span may cut
};
Span wholeRows(const Story& story, uint32_t start, uint32_t end);

// A copy of [start, end) of the main story as a model of its own (the
// clipboard's content). The range is widened by `wholeRows` first. A last
// paragraph cut before its mark stays without a mark.
Model copyRange(const Model& model, uint32_t start, uint32_t end);

// Inserts `fragment` (a model made by copyRange or textFragment) at `pos`
// and returns the number of characters inserted. A fragment ending without
// a paragraph mark joins the paragraph at `pos`; paragraph marks keep their
// own formats. Styles are matched by name (appended when missing); bookmarks
// of the same name as a pasted one are replaced; a document without text
// takes the fragment's default tab stops, language and decimal point.
// `at` receives where the fragment went (a row's own mark moves it into the
// row's last cell; a table in mid-paragraph moves it past a new mark).
uint32_t insert(Model& model, uint32_t pos, const Model& fragment, uint32_t* at = nullptr);

// Deletes [start, end). The final paragraph mark is never deleted. A range
// that would cut a table apart is error kBadParameter.
void erase(Model& model, uint32_t start, uint32_t end);

// Plain text as a fragment to insert at `pos`: CR LF, CR and LF end
// paragraphs (with the format of the paragraph at `pos`), characters take
// the formatting in force at `pos` (without its link), and control
// characters that need structure behind them (pictures, notes, cells) are
// dropped. The fragment's styles are those of `model`.
Model textFragment(const Model& model, uint32_t pos, std::u16string_view text);

}  // namespace word::ops
