#pragma once
// A paragraph's tabs as a page sets them: a paragraph set as one row (its
// text before a tab, a leader filling the space, and the text after,
// ending at the tab's stop), and each tab's way to its stop.
#include <cstdint>
#include <string>

#include "word/model.h"

namespace word::write {

struct TabRow {
  uint32_t tab;  // the tab's position; the paragraph's end for none
  int32_t stop = 0;
  TabLeader leader = TabLeader::None;
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

}  // namespace word::write
