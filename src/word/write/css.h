#pragma once
// CSS values the page writer writes: lengths, colours, and a table cell's
// own style.
#include <cstdint>
#include <string>
#include <string_view>

#include "word/model.h"

namespace word::write {

std::u16string ascii(std::string_view s);
// Twips or half points (or any unit, by its divisor) as CSS points ("12pt",
// "10.5pt", "-18pt").
std::u16string points(int64_t value, int divisor);
std::u16string colour(uint32_t rgb);  // "#RRGGBB"
// A cell's width, background, known borders and vertical alignment as
// declarations, each ended with ';'; empty when the cell gives none.
std::u16string cellCss(const Cell& cell);

// A table's place between the margins as declarations; empty for a table
// at the left margin or out in the page's margin (a page has none).
std::u16string tableCss(const Table& table);

// Capitals (small or all) as declarations: those `f` sets, or where a
// base is given, those in which it differs from the base.
std::u16string capitalsCss(const CharFormat& f, const CharFormat* base = nullptr);

// A paragraph's indents as a page shows them, twips: a page has no margin
// to take text indented out into it, so a paragraph whose first or other
// lines would start left of the text's edge moves right until none does.
struct Indents {
  int32_t left = 0, right = 0, first = 0;
};
Indents shownIndents(const ParagraphFormat& f);

}  // namespace word::write
