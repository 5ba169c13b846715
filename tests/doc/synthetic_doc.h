#pragma once
// Writes small Word 97-2003 files for tests: one UTF-16 piece of text,
// paragraph properties per paragraph, and optionally footnotes. Real
// documents cover the common cases; these cover the edges a test needs
// to state exactly.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace doctest {

struct SyntheticDoc {
  std::u16string text;       // main text; paragraphs end in 13 or 7
  std::u16string footnotes;  // footnote story text, after the main text
  std::u16string headers;    // the header story, after the footnotes
  struct Paragraph {
    std::string sprms;  // paragraph sprms (without the style index)
    uint16_t style = 0;  // its style's index in `styles`
  };
  // Properties by paragraph (main text, then footnote story); missing ones
  // get none.
  std::vector<Paragraph> paragraphs;
  struct NoteRef {
    uint32_t cp = 0;  // reference position in the main text
    bool automatic = true;
    uint32_t textStart = 0;  // CP range in the footnote story
    uint32_t textEnd = 0;
  };
  std::vector<NoteRef> notes;
  // Character properties (sprms) of ranges of the text.
  struct CharRun {
    uint32_t start = 0, end = 0;
    std::string sprms;
  };
  std::vector<CharRun> charRuns;
  // The font table: names and families (ff: 1 roman, 2 swiss, 3 modern,
  // 4 script, 5 decorative; 0 none given), chosen by index (sprm 0x4A4F);
  // a font named "Symbol" gets the symbol character set.
  struct Font {
    std::u16string name;
    uint8_t family = 0;
  };
  std::vector<Font> fonts;
  // Paragraph styles by index, 0 being Normal; each based on Normal.
  struct Style {
    std::u16string name;
    std::string papx, chpx;  // paragraph and character sprms
  };
  std::vector<Style> styles;
  std::string data;  // the Data stream: inline pictures
  // Where sections start after the first (one past a section break, a 12
  // in the main text, which then ends its paragraph too).
  std::vector<uint32_t> sectionStarts;
  // Each section's properties (sprms), by section; none past the last given.
  std::vector<std::string> sectionSprms;
  // Text boxes: their story (paragraphs ending in 13), cut into boxes at
  // these story positions, drawn by one group of shapes anchored at the
  // main text's position `boxAnchor` (an 8 with sprmCFSpec set); or
  // (boxAlone) one box drawn by a shape of its own, two inches wide and one
  // tall, the text wrapping around it at its right.
  std::u16string textBoxStory;
  std::vector<uint32_t> textBoxCuts;
  uint32_t boxAnchor = 0;
  bool boxAlone = false;
  // Embedded objects in the ObjectPool storage, by number: their streams.
  std::map<uint32_t, std::vector<std::pair<std::string, std::string>>> objects;
  // The document's properties, as stored (none where empty).
  std::string dop;
  // A simple list numbered "1.", "2." ..., which a paragraph joins by
  // sprmPIlfo (0x460B) 1.
  bool numberedList = false;
  // The piece table, when given: where each piece's characters end, and
  // where its text stands, in characters from the start of `text`.
  struct Piece {
    uint32_t cpEnd = 0;
    uint32_t at = 0;
  };
  std::vector<Piece> pieces;

  std::string build() const;

 private:
  void paragraphPages(const std::u16string& all, std::string& w, std::string& t) const;
  void fontTable(std::string& w, std::string& t) const;
  void styleSheet(std::string& w, std::string& t) const;
  void textBoxTables(std::string& w, std::string& t) const;
  void sectionTable(std::string& w, std::string& t) const;
  void listTables(std::string& w, std::string& t) const;
};

// Sprm helpers.
std::string sprm8(uint16_t sprm, uint8_t v);
std::string sprm16(uint16_t sprm, uint16_t v);
std::string sprm32(uint16_t sprm, uint32_t v);
// A sprm of variable size: its operand after a byte of its size.
std::string sprmVar(uint16_t sprm, const std::string& operand);
// A row definition: cell boundaries and vertical-merge flags per cell, and
// optionally each cell's borders (top, left, bottom, right; 4-byte form).
std::string tableDefinition(const std::vector<int16_t>& boundaries,
                            const std::vector<uint16_t>& cellFlags,
                            const std::vector<std::array<uint32_t, 4>>& borders = {});

}  // namespace doctest
