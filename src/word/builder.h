#pragma once
// Builds a Model in document order. Readers and tests use it so that the
// model's invariants (covering paragraphs and runs, marks, sorted tables,
// a final paragraph mark after a table) hold in one place.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "word/model.h"

namespace word {

class Builder {
 public:
  Builder();

  // Adds a style and returns its index. The first style added replaces the
  // built-in default "Normal" at index 0 when its name is "Normal". A name
  // is cut at kMaxStyleName characters: pages and dumps name a paragraph's
  // style for every paragraph, and a name of megabytes given once made
  // gigabytes of them.
  static constexpr size_t kMaxStyleName = 128;
  int32_t addStyle(Style style);
  int32_t findStyle(std::u16string_view name) const;  // -1 when absent
  const std::vector<Style>& styles() const { return model_.styles; }

  // Text of the current paragraph. Control characters 9, 11, 12 and 14 are
  // kept; 13 ends the paragraph with `paragraph()`'s format, 7 and other
  // C0 controls are dropped (structure comes from the calls below).
  void text(std::u16string_view s, const CharFormat& format = {});
  void text(std::string_view utf8, const CharFormat& format = {});

  // Plain text, one paragraph a line: CR LF, CR and LF each end one (with
  // `paragraph()`'s format), other controls as `text` treats them. At the
  // start of a story the text becomes the story's own buffer, changed in
  // place: a large file's text is held once, not copied.
  void lines(std::u16string text);

  // Room for a story of about this many characters, paragraphs and runs,
  // when a reader knows them beforehand: the text and the tables are then
  // not copied over and over as they grow.
  void reserve(size_t characters, size_t paragraphs, size_t runs);

  // Sets the format of the paragraph being built (may be called any time
  // before it ends).
  void paragraph(const ParagraphFormat& format);
  // Ends the current paragraph with a paragraph mark (13), or with a cell
  // mark when `endCell` follows without further text.
  void endParagraph();
  // The format of the current paragraph's mark where the paragraph is
  // empty (its letters' size is the empty line's height); without it, and
  // after text, the mark takes the format of the text before it.
  void paragraphMark(const CharFormat& format) { mark_ = format; }
  // The story built so far.
  const Story& story() const { return story_; }

  void picture(Picture picture, const CharFormat& format = {});
  // An equation: its linear text, formatted as given, and its MathML.
  void equation(std::u16string_view linear, std::u16string mathml, bool display,
                const CharFormat& format = {});
  // A note reference; `body` is the note's own story (build it with a
  // second Builder and take `finishStory()`).
  void note(bool endnote, std::u16string label, Story body, const CharFormat& format = {});

  // Bookmarks may overlap and nest; an end without a start is ignored, a
  // start without an end is closed where it began.
  void startBookmark(std::u16string name);
  void endBookmark(const std::u16string& name);

  // Tables nest: startTable inside a cell starts a nested table.
  void startTable();
  void startRow();
  void startCell(int32_t width = 0, uint16_t gridSpan = 1, VMerge vmerge = VMerge::None,
                 uint32_t shading = kAutoColor, const CellBorders& borders = {});
  void endCell();  // ends the cell's last paragraph with a 7
  void endRow();   // writes the row's own 7
  void endTable();
  // The open table's place between the margins and direction, and the
  // open cell's vertical alignment (nothing open: no effect).
  void tablePlacement(Align align, int32_t indent, bool rightToLeft = false);
  // The open table's room between its cells, twips (at most an inch), and
  // the line around it where it has some; its width where its columns do
  // not give it (Table::width and widthShare, at most 22 inches or all).
  void tableSpacing(int32_t twips, const CellBorders& frame);
  void tableWidth(int32_t twips, int32_t share);
  // The open table's columns keep the widths the document gives them.
  void tableFixed();
  // The height of the open row, twips: its least, or (`exact`) its own,
  // its text cut off below.
  void rowHeight(int32_t twips, bool exact = false);
  void rowHeader();  // the open row heads the table's columns
  // Grid columns the open row leaves empty before its first cell.
  void rowSkip(size_t columns);
  void cellAlignment(VAlign align);
  void cellFlow(TextFlow flow);
  // The open cell's room inside its sides (Cell::padding), each clamped to
  // an inch at most.
  void cellPadding(std::array<int16_t, 4> padding);

  // The document's default tab stops, twips apart: half an inch where the
  // value is out of reason (under a millimetre, over ten inches).
  void defaultTabStop(int64_t twips) {
    model_.defaultTabStop =
        twips >= 57 && twips <= 14400 ? static_cast<int32_t>(twips) : kDefaultTabStop;
  }

  // Sets the paragraphs ended after `from` (a position) in `count`
  // columns (2 to 16; fewer: one column) `gap` twips apart, a line between
  // them where `line` says: a section of the document, whose properties a
  // format may give only at its end.
  void columns(uint32_t from, int32_t count, int32_t gap, bool line);

  // Notes that the reader met `what` here and cannot show it (Model::losses).
  void loss(std::string what, LossKind kind = LossKind::Drawing) {
    model_.losses.push_back({position(), std::move(what), kind});
  }

  // Text of the current paragraph that the word processor does not show
  // (hidden, or `deleted` as a tracked change), where it stands: the model
  // keeps the paragraph as it reads with it (Model::unseenLines). A CR is
  // its mark, which joins it to the next paragraph.
  void unseen(std::u16string_view text, bool deleted);

  // Current position in the story (length of the text so far).
  uint32_t position() const { return static_cast<uint32_t>(story_.text.size()); }
  // Where the current paragraph starts.
  uint32_t paragraphStart() const;
  int tableDepth() const { return static_cast<int>(open_.size()); }

  // Closes whatever is open (cells, rows, tables, the last paragraph) and
  // makes sure the story ends with a paragraph mark outside any table.
  Model finish();
  // The same for a note's body: the story alone.
  Story finishStory();

 private:
  struct OpenTable {
    size_t index;  // into story_.tables
    bool rowOpen = false;
    bool cellOpen = false;
  };
  void appendChar(char16_t c, const CharFormat& format);
  void appendMark(char16_t mark, CharFormat format);
  void closeParagraph(char16_t mark);
  void closeAll();

  Model model_;
  Story& story_;
  ParagraphFormat pending_;
  std::optional<CharFormat> mark_;
  bool touchedNormal_ = false;
  std::vector<OpenTable> open_;
  std::vector<Bookmark> openBookmarks_;
  // Each run keeps its own copy of its link and font: a small file of one
  // long link over thousands of runs would need gigabytes of them.
  static constexpr size_t kMaxRunStrings = size_t{1} << 25;  // characters
  size_t runStrings_ = 0;
  // The unseen text of the paragraph being built, each piece where it
  // stands, counted from the paragraph's start.
  struct UnseenPiece {
    uint32_t at;
    std::u16string text;
  };
  std::vector<UnseenPiece> unseen_;
  size_t unseenChars_ = 0;
  bool unseenHidden_ = false, unseenDeleted_ = false;
  void keepUnseen();
};

// Convenience for tests: the UTF-8 text as UTF-16.
std::u16string u16(std::string_view utf8);
std::string u8(std::u16string_view utf16);

}  // namespace word
