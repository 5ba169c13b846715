#pragma once
// CSS values the page writer writes: lengths, colours, and a table cell's
// own style.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "word/model.h"

namespace word::write {

std::u16string ascii(std::string_view s);
// Twips or half points (or any unit, by its divisor) as CSS points ("12pt",
// "10.5pt", "-18pt"): a border's width, which stays as thin at any text
// size.
std::u16string points(int64_t value, int divisor);
// `value / divisor` with up to two decimals ("1.5", "-0.25").
std::u16string decimal(int64_t value, int divisor);
// Points (twips or half points, by the divisor, as for points()) as a
// share of the reader's own text size ("0.833333rem" for 10 points): text
// that a reader sets larger in the browser grows, and the indents, spaces,
// tab stops and table widths around it with it, where points would keep
// them as they are; at the usual size it is as large as in points.
std::u16string rems(int64_t value, int divisor);
// An indent (twips) as a CSS length: rems, and for one wider than half
// an inch, no wider than the column of a phone's narrow window can spare
// beside the text (a desktop window shows it whole); a hanging first line
// held alike, so that it never starts left of the column.
std::u16string indentLength(int32_t twips);
std::u16string colour(uint32_t rgb);  // "#RRGGBB"
// A cell's width, background, known borders and vertical alignment as
// declarations, each ended with ';'; empty when the cell gives none.
std::u16string cellCss(const Cell& cell);
// A table's width where its columns do not give it, and its cells spaced
// apart, each in its own borders, the table's line around them.
std::u16string tableBoxCss(const Table& table);
// The room above and below a paragraph's text inside its border, twips.
inline int32_t roomAcross(const Border& b) {
  return b.room ? b.room * 20 : 20;
}
// The sides of a paragraph's border that `f` draws otherwise than `base`,
// and the room between its border (or shading) and its text where that
// differs. `lines`: the model's borderLines, which hold the lines past the first two.
std::u16string paragraphBorderCss(const ParagraphFormat& f, const ParagraphFormat& base,
                                  const std::vector<SideLines>* lines = nullptr);

// A font as a CSS family list: the font, fonts made to its metrics (so that
// lines break as in the document where the font itself is missing), and
// the East Asian font (CharFormat::asianFont) where one is given, and the
// generic family of its class, or of its name when it has none.
std::u16string fontFamily(std::u16string_view name, FontClass fontClass, uint16_t asianFont = 0);
// The weight `f`'s text shows in, bold or that of the face its font names
// ("Calibri Light" 300, "Arial Black" 900), as a declaration where it is
// not `base`'s (none: regular text's); empty where the same or, over
// regular text, bold (a page's <b> tag).
// The weight a run shows in: 700 where bold, else its face's (300 for a
// light face, 900 for a black one), else 400.
int shownWeight(const CharFormat& f);
std::u16string weightCss(const CharFormat& f, const CharFormat* base = nullptr);
// "color:#FFFFFF;" where automatic text on `background` shows white, as the
// word processor draws it on dark shading; empty elsewhere.
std::u16string textOn(uint32_t background);
// What a paragraph's format `f` changes from `base` as declarations: its
// direction, alignment, indents, spacing, line spacing and shading. `text`
// is the character format its text starts from (its size measures "at
// least" line spacing; its colour, automatic or not, decides the text on
// dark shading). `stateDirection`: the direction and alignment are given
// even where they are the base's, so that the element does not take them
// from the one it lies in. `baseText`: the format the base's own rule was
// written for, where it is not `text` (a paragraph whose letters are all
// smaller than its style's). `lines`: as paragraphBorderCss takes them.
std::u16string paragraphCss(const ParagraphFormat& f, const ParagraphFormat& base,
                            const CharFormat& text, bool stateDirection = false,
                            const CharFormat* baseText = nullptr,
                            const std::vector<SideLines>* lines = nullptr);
// What spacedBetween adds to a paragraph's border sides: its box goes on
// into the paragraph above, or below (the space there lies inside it).
inline constexpr uint8_t kBoxGoesOnAbove = 32, kBoxGoesOnBelow = 64;
// Paragraph `f` as it shows between the paragraphs before and after it
// (nullptr: a table or the edge of its cell or story): no space toward a
// neighbour of its style where it asks for none between paragraphs of one
// style; automatic space none at those edges and between items of one list;
// the space after the paragraph above added to its space before; a box it
// shares with them open there (kBoxGoesOnAbove, -Below), its between flag
// kept where it draws its line below, its space after then inside the box.
ParagraphFormat spacedBetween(ParagraphFormat f, const ParagraphFormat* before,
                              const ParagraphFormat* after);

// A table's place between the margins as declarations; empty for a table
// at the left margin. One set out into the margin goes no further than
// its first cell's room, its text on the page. A right-to-left table's
// start is the right margin.
std::u16string tableCss(const Table& table);
// A section's columns (ParagraphFormat::columns), no narrower than a line
// reads well: a window too narrow for them shows fewer, a phone one.
std::u16string columnsCss(const ParagraphFormat& f);
// Whether `b` is in the columns of the section `a` (none: in one column).
bool sameColumns(const ParagraphFormat* a, const ParagraphFormat& b);
// The widths of a table's grid columns (twips), where its rows' cells give
// every one; none else. A page states them, so that cells spanning columns
// do not stretch them past the document's widths.
std::vector<int32_t> tableColumns(const Table& table);
// Those widths as CSS values: rems, or a fixed table's (Table::
// fixedLayout) as shares of the table's width, which a narrow screen
// narrows.
std::vector<std::u16string> columnWidthsCss(const Table& table);

// A run's own formatting as declarations: weight (unless `weight` is
// false), slant, lines under and through (unless `lines` is false),
// colours, size, font and capitals. A style's lines are drawn by its runs:
// a line the page draws under a paragraph no run of it can take off.
std::u16string charCss(const CharFormat& f, bool weight = true, bool lines = true);
// How an underline differs from a plain one in the text's colour: its
// kind and colour; empty for a plain one.
std::u16string underlineCss(const CharFormat& f);

// Capitals (small or all) as declarations: those `f` sets, or where a
// base is given, those in which it differs from the base.
std::u16string capitalsCss(const CharFormat& f, const CharFormat* base = nullptr);

// The size and face of `f` where they differ from `base`'s (a size or a
// face `f` leaves to the default keeps the base's).
std::u16string sizeAndFaceCss(const CharFormat& f, const CharFormat& base);
// The blank an empty paragraph ending at `end` holds, as tall as its
// mark's letters (and not underlined with them: that would show as a
// stray stroke).
std::u16string blankLine(const Story& s, uint32_t end, const CharFormat& base);
// A run whose letters stand taller than its paragraph's least height of
// lines (`least` twips; 0: none) raises its line, as in the document: the
// height the page gives the paragraph would hold it, the letters over the
// line above.
std::u16string runLineCss(const CharFormat& f, int32_t least);

// The space between letters and their raise above the line (or drop
// below it), likewise.
std::u16string letterPlaceCss(const CharFormat& f, const CharFormat* base = nullptr);

// Letters hollow, shadowed, raised or sunk, likewise: a raised or sunk
// letter's shadow keeps it legible where, as the word processor does, the
// document makes it white.
std::u16string effectsCss(const CharFormat& f, const CharFormat* base = nullptr);

// A paragraph's indents as a page shows them, twips: a page has no margin
// to take text indented out into it. A hanging paragraph whose lines
// would start left of the text's edge moves right until none does (its
// first line still hangs); otherwise each line starts at the edge at the
// least (a title outdented with its first line indented back starts
// there).
struct Indents {
  int32_t left = 0, right = 0, first = 0;
};
Indents shownIndents(const ParagraphFormat& f);

// The colour and the highlight that `f` sets over its paragraph style's
// `base`, with `behind` the shading of its paragraph or cell (kAutoColor
// for none).
std::u16string colourCss(const CharFormat& f, const CharFormat& base, uint32_t behind);

// What a run's span declares over its paragraph style's `base`: weight,
// colour (over `behind`, as colourCss), size and face, its line's height
// (`least`, as runLineCss), the letters' place, capitals and effects.
std::u16string runOverCss(const CharFormat& f, const CharFormat& base, uint32_t behind,
                          int32_t least);

// A page's <style> element: the defaults every page starts from and the
// styles `model`'s text uses, by their classes.
std::u16string styleSheet(const Model& model, const std::vector<std::u16string>& classes);
// The declarations of style `s`'s rule in a page's style sheet: what it
// changes from the default style `normal`, its lines past the first two
// in `lines`.
std::u16string styleRule(const Style& s, const Style& normal, const std::vector<SideLines>& lines);

// The class name of each style (none for the default style, index 0): its
// name's letters and digits, made unique.
std::vector<std::u16string> styleClasses(const std::vector<Style>& styles);

}  // namespace word::write
