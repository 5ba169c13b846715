// List items' labels on a page: the marker the browser draws, the tab
// after it and the look it takes; and the letters a paragraph's lines hold.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "word/model.h"

namespace word::write {

// A list item's marker as the document labels it, for an item `depth`
// lists deep, as a CSS string, its quotes and backslashes escaped: the
// label ("a)", "(2)", "1.3.", a bullet) and the tab after it that takes
// the text to its indent, or a space where the item is centred or ends
// at its right, or what the document puts after it instead of a tab
// (a space, nothing). A bullet no font shows (a pictograph) is the bullet
// browsers draw at its depth (•, ◦, ▪).
std::u16string listMarker(const ParagraphFormat& f, size_t depth);
// Twips between the tab stops that follow a list item's label: its
// indent is one of them (the label's tab goes there where the first line
// hangs and the label fits before it); past a wider label the next is the
// document's next default stop (`defaultStops` twips apart), for a label
// whose width is guessed from its characters at `halfPoints`.
int32_t listTabSize(const ParagraphFormat& f, uint16_t halfPoints, int32_t defaultStops);
// What follows a numbered heading's label, written as text: the tab to
// its text (listTabSize), or a space where the heading is centred or ends
// at its right, or what the document puts after it instead.
std::u16string labelFollower(const ParagraphFormat& f, uint16_t halfPoints, int32_t defaultStops);
// Whether the label of an item whose first line hangs ends short of the
// indent, where the tab after it takes the text.
bool labelHangs(const ParagraphFormat& f, uint16_t halfPoints, int32_t defaultStops);
// The size and face of a list item's label where the item's text, all of
// it, is set alike and unlike its style, as CSS for the item (whose text
// states its own look), for the label the browser draws in the item's
// look and the line it stands on. Weight, slant and colour are the
// label's own (labelOwnCss): its list level's and its paragraph mark's.
std::u16string labelLookCss(const Story& s, uint32_t start, uint32_t end, const CharFormat& base);
// The look its level and its mark give the label, as custom properties
// that the page's rule for labels reads; and set on `look`, for a label
// written as text (a numbered heading's).
std::u16string labelOwnCss(const ParagraphFormat& f);
void labelOwnLook(const ParagraphFormat& f, CharFormat& look);
// A paragraph's own CSS on a page: its format against its style's
// (`styleParagraph`), its lines measured by its letters, an item's label's
// place, look and tab (`defaultStops` twips apart). Sets `base`, its
// style's look, to the look its text is then written against. `lines`: the
// model's borderLines.
std::u16string blockCss(const Story& s, uint32_t start, uint32_t end, const ParagraphFormat& f,
                        const ParagraphFormat& styleParagraph, bool item, int32_t defaultStops,
                        CharFormat& base, const std::vector<SideLines>* lines = nullptr);
// The box of a frame set against a side of the column (FrameSide), the
// text after it beside it, below the frame before it on its side; at most
// half the column, and its room from the text at most a tenth, so that on
// a phone the text keeps room beside it. Empty for a paragraph in no
// such frame.
std::u16string frameCss(const ParagraphFormat& f);
// What stands before a frame's box where it drops below its place
// (frameDrop): a float of no width as tall as the drop, which the box
// clears; empty where it does not drop.
std::u16string frameDropper(const ParagraphFormat& f);
// The opening of a frame's box of style `css` (frameCss) and its close:
// a box whose text stands at its foot holds it in a box of its own, set
// at the bottom, inside which the paragraphs' margins collapse as ever.
std::u16string frameOpen(const ParagraphFormat& f, const std::u16string& css);
std::u16string frameClose(const ParagraphFormat& f);
// Whether two paragraphs, `a` and then `b`, stand in one frame: the word
// processor sets neighbours framed alike in one box, one below the other,
// unless `b` starts a frame of its own.
bool sameFrame(const ParagraphFormat& a, const ParagraphFormat& b);
// Whether the paragraph of `text` ending at `end` (its mark, where it has
// one, last) ends in a line break: the document shows an empty line after
// it, which a page draws only with something on it.
bool endsInBreak(std::u16string_view text, uint32_t end);
// Where the text after a justified paragraph's last line break starts,
// where the word processor stretches lines ending in a break as it does
// its other lines (`stretch`: the document says so), which browsers leave
// ragged; 0 where there is none.
uint32_t stretchedTail(const Story& s, uint32_t start, uint32_t end, const ParagraphFormat& f,
                       bool stretch);
// Whether the paragraph after drop cap `cap` (nullptr: none; style -1: a
// table) starts with its letter: text beside it, not a list item, a
// heading, a drop cap, nor text of another box or direction.
bool opensWithDropCap(const ParagraphFormat& cap, const ParagraphFormat* next);
// Drop cap `cap` (its text starting at `start` of `s`, in its style's look
// `base`) as a span floating at the start of the paragraph it opens: its
// lines' height and shading, not its paragraph's place.
std::u16string dropCapCss(const Story& s, uint32_t start, const ParagraphFormat& cap,
                          const CharFormat& base);
// How many digits a label starts with ("12." 2, "a)" 0).
size_t leadingDigits(std::u16string_view label);

}  // namespace word::write
