#pragma once
// A paragraph's tabs as a page sets them: a paragraph set as one row (its
// text before a tab, a leader filling the space, and the text after,
// ending at the tab's stop), and each tab's way to its stop.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "word/model.h"

namespace word::write {

struct TabRow {
  uint32_t tab;  // the tab's position; the paragraph's end for none
  int32_t stop = 0;
  TabLeader leader = TabLeader::None;
  TabAlign align = TabAlign::End;  // how the stop aligns the text after the tab
};

// The tab of the paragraph at [start, end) of `text` that makes it a row:
// its last, where it goes to a stop that aligns the text after it by its
// end; or its first, in its first line, where only blanks follow it and
// its stop has a leader (a line to fill in). None in a reference link's
// markers.
TabRow rowTab(const std::u16string& text, uint32_t start, uint32_t end, const ParagraphFormat& f);

// A paragraph whose last tab goes to a stop aligning the text after it by
// its end (a table of contents' page numbers), or whose only tab ends its
// text with a leader (a line to fill in): the paragraph's style, a row of
// its text before the tab, the leader and the text after, ending at the
// stop (twips from the margin); and the leader, filling the row's space.
std::u16string tabRowCss(int32_t stop, int32_t indentLeft);
std::u16string tabLeader(TabLeader leader);
// A line's tab, `k` of them before it on the line (the paragraph's first
// line, or one after a line break): where the word processor sends it, as
// a tab size that reaches it from the text before ("tab-size:...;"), with
// the stop's leader under it; none to keep the default stops. The first
// goes to the paragraph's first stop or, in a hanging first line, to the
// indent; those after it to the stops after that one in turn, as a line
// of columns set by tabs does (the text between fitting before the next
// stop), and past them to the document's default stops
// (`defaultStops`, twips) from the margin. A page's stops count from the
// indent, not the margin.
std::u16string tabCss(const ParagraphFormat& f, bool firstLine, int k, int32_t defaultStops);
// How the stop that tab goes to aligns the text after it; by its start
// past the stops.
TabAlign tabAlign(const ParagraphFormat& f, bool firstLine, int k);

// A piece of a paragraph's text in a box of no width, which it overflows:
// to the left (End), to both sides (Centre) or to the right (Start); or in
// one at least `width` twips wide, ending at its end.
struct AlignedPiece {
  uint32_t from, to;
  TabAlign align;
  int32_t width = 0;
};
// The pieces of [start, end) that their tab's stop centres or ends (or
// aligns by its decimal point `point`: the piece before it ends there),
// each up to the next tab or the line's end, its box standing at the stop
// where the tab takes the text; in a table's cell (`inCell`), the lines
// without a tab that a first decimal stop aligns, each in a box from the
// line's start to the stop. `firstLine` and `tabbed` tell where the line
// stood at `start`, as tabCss counts.
std::vector<AlignedPiece> alignedPieces(const std::u16string& text, uint32_t start, uint32_t end,
                                        const ParagraphFormat& f, bool firstLine, int tabbed,
                                        bool inCell, char16_t point);
// Where a row's decimal point stands in [from, to): the text from it on
// overflows the row's end (none: `to`, the text ending at the stop).
uint32_t decimalAt(const std::u16string& text, uint32_t from, uint32_t to, char16_t point);
// The opening of a piece's box (closed by two </span>).
std::u16string alignedBox(const AlignedPiece& piece);
// The decimal point of numbers in a language ("de-DE": ','; none: '.').
char16_t decimalPoint(std::string_view language);

}  // namespace word::write
