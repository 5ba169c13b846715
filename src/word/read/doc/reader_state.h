#pragma once
// What the parts of the Word 97-2003 reader share: the reader's state, read
// from the streams once, and the emitter that walks a story into a builder.
// Internal to the reader; the entry point is readDoc in word/read/reader.h.
#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "word/builder.h"
#include "word/read/doc/bytes.h"
#include "word/read/doc/container.h"
#include "word/read/doc/lists.h"
#include "word/read/doc/officeart.h"
#include "word/read/doc/properties.h"
#include "word/read/field_kinds.h"
#include "word/read/languages.h"
#include "word/read/look.h"

namespace word::read::doc::detail {

// Indexes of the FIB's offset/length pairs that we use.
enum FcLcb : size_t {
  kStshf = 1,
  kPlcffndRef = 2,
  kPlcffndTxt = 3,
  kPlcfSed = 6,
  kPlcfBteChpx = 12,
  kPlcfBtePapx = 13,
  kSttbfFfn = 15,
  kSttbfBkmk = 21,
  kPlcfBkf = 22,
  kPlcfBkl = 23,
  kDop = 31,
  kClx = 33,
  kPlcSpaMom = 40,
  kPlcfendRef = 46,
  kPlcfendTxt = 47,
  kDggInfo = 50,
  kPlcftxbxTxt = 56,
  kPlfLst = 73,
  kPlfLfo = 74,
};

struct Piece {
  uint32_t cpStart = 0, cpEnd = 0;
  uint64_t fc = 0;  // byte offset of the first character
  bool compressed = false;
  uint16_t prm = 0;
};

struct FcRun {
  uint64_t fcStart = 0, fcEnd = 0;
  Bytes grpprl;
  bool numbered = false;  // Word 6.0/95: numbered the older way (not read)
};

struct NoteRef {
  bool endnote = false;
  bool automatic = true;
  uint32_t start = 0, end = 0;  // the note's text
};

struct Shape {
  int32_t lid = 0;
  int32_t width = 0, height = 0;  // twips
  PictureSide side = PictureSide::Inline;  // where the text wraps around it
  bool overText = false;                   // behind or in front of the text
};

struct Para {
  uint32_t start = 0, end = 0;  // end is one past the mark
  char16_t mark = 13;
  Pap pap;
  int depth = 0;
  bool cellEnd = false, rowEnd = false;
  int32_t rowDef = -1;  // index of the paragraph ending this paragraph's row
};

struct Field {
  bool inCode = true;
  std::u16string code;
  Link link;
  // An EMBED field's object: its number in the ObjectPool storage.
  std::optional<uint32_t> object;
  uint32_t resultAt = 0;  // where its result starts in the story built
  // What a form field shows from its settings: a check box's box, a
  // drop-down's chosen entry.
  std::u16string drawn;
};

// Sets each paragraph's table depth, cell and row ends, and the row end
// that defines its row (tables.cpp).
void markTableStructure(std::vector<Para>& paras);
// Column spans from the cells' edges across the rows of each table; `edges`
// (as the emitter records them) gives each row's own, else the cells'
// widths do.
void alignColumns(Story& story, const std::vector<std::vector<std::vector<int32_t>>>& edges);

class DocReader {
 public:
  explicit DocReader(std::string_view bytes) : file_(bytes) {}
  Model read();

 private:
  struct Emitter;

  std::pair<uint32_t, uint32_t> fcLcb(size_t i) const {
    if (i >= fcLcbCount_) return {0, 0};
    return {word_.u32(fcLcbAt_ + 8 * i), word_.u32(fcLcbAt_ + 8 * i + 4)};
  }
  Bytes tableSpan(size_t i) const {
    auto [fc, lcb] = fcLcb(i);
    if (lcb == 0 || !table_.has(fc, 1)) return Bytes();
    return table_.sub(fc, lcb);
  }

  // doc_reader.cpp: the file information block and the order of reading.
  void readFib();
  void word6CodePage();

  // pieces.cpp: the piece table and the text.
  void readPieces();
  void readText();
  const Piece* pieceAt(uint32_t cp) const;
  Bytes prmSprms(uint16_t prm) const;
  template <class F>
  void forEachCharRun(uint32_t a, uint32_t b, F f) const;

  // formatting.cpp: formatting pages, paragraphs and styles.
  std::vector<FcRun> readFkps(size_t which, bool paragraphs);
  static const FcRun* runAt(const std::vector<FcRun>& runs, uint64_t fc, uint64_t* nextStart);
  // What the properties of the paragraph whose mark is at a position come
  // from: its piece and its formatting run (none outside them).
  struct PapSource {
    const Piece* piece = nullptr;
    const FcRun* run = nullptr;
    // Whether both give the same properties.
    bool operator==(const PapSource& o) const;
  };
  PapSource papSource(uint32_t markCp) const;
  Pap papOf(PapSource source) const;
  std::vector<Para> paragraphs(uint32_t a, uint32_t b) const;
  // A section break (a 12 where the section table starts a section after
  // it) ends its paragraph as well; a page break (a 12 elsewhere) does not.
  std::vector<uint32_t> sectionBreaks_;  // sorted positions of the 12s
  void readSections(uint32_t mainEnd);
  // The properties (sprms) of section `i` of the `n` in the section table
  // `plc`, kept in the WordDocument stream: none where there are none.
  Bytes sectionSprms(Bytes plc, size_t n, size_t i) const;
  // Each section's last position (one past it) and its columns
  // (sprmSCcolumns: their count less one, sprmSDxaColumns: the room
  // between, sprmSLBetween: a line there), as ParagraphFormat has them.
  struct SectionColumns {
    uint32_t end = 0;
    uint8_t count = 0;
    int16_t gap = 720;
    bool line = false;
  };
  std::vector<SectionColumns> sections_;
  // Sets `f` in the columns of the section holding `cp`.
  void columnsAt(ParagraphFormat& f, uint32_t cp) const;
  // The character properties of a run in a paragraph of style `istd`, or
  // of the character at `cp`.
  Chp runChp(int32_t istd, Bytes grpprl, Bytes prm) const;
  Chp runChp(int32_t istd, uint32_t cp) const;
  // Under what a list level gives its label, the look the paragraph's
  // mark at `markCp` is given over its style's.
  void markLook(LabelLook& look, int32_t istd, uint32_t markCp) const;
  CharFormat charFormat(const Chp& c) const;
  // The languages of a run's letters, numbered.
  RunLanguages runLanguages(const Chp& c);
  std::u16string bullet(char16_t c, int32_t font, uint8_t level) const;
  // Text in the Symbol font shows that font's glyphs: as the characters
  // they are (a degree sign, Greek letters), which any font has.
  bool symbolFont(int32_t font) const;
  char16_t shownSymbol(char16_t c, int32_t font) const;
  // `lines`: where a border's lines past two go (borderLines_).
  ParagraphFormat paragraphFormat(const Pap& p, std::optional<ListLabel> label,
                                  std::vector<SideLines>* lines = nullptr) const;
  void addStyles(Builder& b);

  // notes.cpp, pictures.cpp, fields.cpp: what the text refers to.
  void readNotes(size_t refIndex, size_t txtIndex, uint32_t base, bool endnote);
  // How automatic note marks count, footnotes then endnotes.
  struct NoteCount {
    uint8_t nfc = 0;
    int32_t start = 1;
    bool eachSection = false;  // the count restarts with each section
  };
  struct NoteCounter {
    int32_t next = 0;
    size_t section = SIZE_MAX;  // of the note counted last
  };
  std::array<NoteCount, 2> documentNoteCounts() const;
  void readNoteCounts();
  std::u16string noteLabel(uint32_t cp, bool endnote, NoteCounter& counter) const;
  void readShapes();
  void readBookmarks();

  std::string_view file_;
  Streams streams_;
  bool word6_ = false;                  // Word 6.0/95: one stream, 8-bit text, one-byte sprms
  char16_t byteMap_[256] = {};          // 8-bit text of Word 6.0/95 files
  std::deque<std::string> translated_;  // Word 6.0/95 properties in later form
  mutable std::map<uint16_t, std::string> prm0_;  // single-modifier piece properties
  Bytes word_, table_, data_;
  size_t fcLcbAt_ = 0, fcLcbCount_ = 0;
  // Text, footnotes, headers, macros, comments, endnotes, text boxes, header text boxes.
  uint32_t ccp_[8] = {};
  std::vector<Piece> pieces_;
  std::vector<Bytes> prcs_;
  std::u16string text_;
  std::vector<FcRun> chpx_, papx_;
  StyleSheet styles_;
  std::vector<Font> fonts_;
  // Each font's number as an East Asian font (font_names.h), looked up at
  // its first use rather than once a run; kNotLookedUp before.
  static constexpr uint16_t kNotLookedUp = 0xFFFF;
  mutable std::vector<uint16_t> asianFonts_;
  mutable Lists lists_;
  std::vector<int32_t> styleIndex_;  // istd -> model style
  std::map<uint32_t, NoteRef> noteRefs_;
  // Each section's first position and its notes' counts, in the order of
  // the positions.
  std::vector<std::pair<uint32_t, std::array<NoteCount, 2>>> noteSections_;
  std::map<uint32_t, Shape> shapes_;                            // cp of the anchor -> shape
  std::map<int32_t, std::pair<uint32_t, uint32_t>> textBoxes_;  // shape id -> text
  std::set<int32_t> boxesShown_;                                // shape ids
  Drawing drawing_;
  std::map<uint32_t, InlinePicture> inlinePictures_;  // by offset in the Data stream
  size_t inflateBudget_ = 256u << 20;                 // bytes all inflated pictures may take
  size_t noteBudget_ = 0;                             // characters all note bodies may take
  LanguageTally languages_;                           // the main text's, by character
  LanguageTable languageTable_;                       // all text's, as its runs number them
  std::vector<SideLines> borderLines_;                // the model's borderLines
  std::multimap<uint32_t, std::u16string> bookmarkStarts_, bookmarkEnds_;
};

// Emits one story (or a part of one) into a builder in text order.
struct DocReader::Emitter {
  Emitter(DocReader& reader, Builder& builder) : r(reader), b(builder) {}
  DocReader& r;
  Builder& b;
  bool main = false;
  bool flat = false;  // text boxes: tables become paragraphs
  std::vector<Field> fields;
  std::vector<uint32_t> unclosed;  // field begins without an end, sorted
  std::u16string buffer;
  CharFormat bufferFormat;
  RunLanguages languages, bufferLanguages;  // the run's, the buffer's
  struct Level {
    bool rowOpen = false, cellOpen = false;
    size_t cell = 0;
    // The open cell goes on with the next cell's content, which is merged
    // into it; a paragraph break is owed before that content.
    bool joinNext = false;
    size_t table = 0;     // its place in `edges`
    size_t rows = 0;      // rows started
    int64_t rowEnd = -1;  // the open row's end, where found ahead (rowDefAt)
    // Where rowDefAt looked last and found none: from `lookedFrom` up to
    // `lookedTo` there is no row end (looking again made a long tail
    // without one quadratic).
    int64_t lookedFrom = -1, lookedTo = -1;
  };
  std::vector<Level> levels;  // open tables
  // For each table made, in the order made, each row's cell edges as its
  // definition gives them (merged cells' edges included): the columns.
  std::vector<std::vector<std::vector<int32_t>>> edges;
  NoteCounter noteCounters[2];  // footnotes, endnotes
  // The text boxes anchored in the paragraph: their text, and where the
  // shape each stands in alone places it (a group's in the text's flow).
  struct Box {
    uint32_t start = 0, end = 0;
    BoxPlace place;
  };
  std::vector<Box> pendingBoxes;
  BoxPlace box;  // of the text box emitted
  std::vector<const WordArt*> pendingArt;  // WordArt anchored in the paragraph
  FrameRun frames;

  void flush() {
    if (!buffer.empty()) putText(b, buffer, bufferFormat, bufferLanguages, nullptr);
    buffer.clear();
  }
  void put(char16_t c, const CharFormat& f) { put(std::u16string_view(&c, 1), f); }
  void put(std::u16string_view text, const CharFormat& f) {
    if (buffer.empty()) {
      bufferFormat = f;
      bufferLanguages = languages;
    } else if (!(f == bufferFormat) || !(languages == bufferLanguages)) {
      flush();
      bufferFormat = f;
      bufferLanguages = languages;
    }
    buffer.append(text);
  }

  // emitter.cpp: paragraphs and the characters of their runs.
  void emit(uint32_t a, uint32_t end, int depth);
  void emitParagraph(const std::vector<Para>& paras, size_t i, int depth);
  // How a paragraph joins the next: not at all, its mark deleted, or hidden.
  enum class Join { None, Deleted, Hidden };
  Join joinsNext(const std::vector<Para>& paras, size_t i) const;
  void closeParagraph(const std::vector<Para>& paras, const Para& p, bool skipped);
  void emitTextBoxes(int depth);
  void emitText(const Para& p, int depth);
  void emitRun(const Para& p, uint32_t a, uint32_t e, Bytes grpprl, Bytes prm, int depth);
  void emitChar(char16_t c, uint32_t cp, const Chp& chp, const CharFormat& f, int depth);
  bool emitControl(char16_t c, uint32_t cp, const Chp& chp, const CharFormat& f);

  // fields.cpp: field codes, their links, and bookmarks.
  void findUnclosedFields(uint32_t a, uint32_t end);
  bool inFieldCode() const;
  bool fieldMark(char16_t c, uint32_t cp);
  void fieldEnds(bool deleted, const CharFormat& f);
  bool drawFormField(const CharFormat& f);
  uint32_t built() const { return b.position() + static_cast<uint32_t>(buffer.size()); }
  void lose(std::string what, LossKind kind) {
    flush();
    b.loss(std::move(what), kind);
  }
  bool hiddenInFieldCode(char16_t c);
  // The link of the innermost field that makes one, on `f`.
  void linkOn(CharFormat& f) const;
  uint32_t nextBookmarkFrom(uint32_t cp) const;
  void bookmarksAt(uint32_t cp);
  void objectMark(const Chp& chp);
  std::u16string equationText(const Chp& chp) const;

  // tables.cpp: table structure.
  static bool continuesMerge(const TableCellDef& c) { return c.merged && !c.firstMerged; }
  static bool nextCellMerged(const std::vector<Para>& paras, const Para& p, size_t cell);
  void closeTablesTo(size_t depth);
  void rowEdges(const std::vector<Para>& paras, int32_t def, size_t level);
  int32_t rowDefAt(const std::vector<Para>& paras, size_t i, size_t level);
  void openStructure(const std::vector<Para>& paras, size_t i);
  void openCell(const std::vector<Para>& paras, int32_t def, size_t level);

  // pictures.cpp and notes.cpp.
  void emitPicture(const Chp& chp, const CharFormat& f);
  void emitShape(uint32_t cp, const CharFormat& f);
  uint32_t nextNoteFrom(uint32_t cp) const;
  void emitNote(uint32_t cp, const NoteRef& ref, char16_t c, const CharFormat& f, int depth);
};

template <class F>
void DocReader::forEachCharRun(uint32_t a, uint32_t b, F f) const {
  uint32_t cp = a;
  while (cp < b) {
    const Piece* p = pieceAt(cp);
    if (!p) {
      f(cp, b, Bytes(), Bytes());
      return;
    }
    uint32_t end = std::min(b, p->cpEnd);
    uint64_t w = p->compressed ? 1 : 2;
    Bytes prm = prmSprms(p->prm);
    while (cp < end) {
      uint64_t fc = p->fc + (cp - p->cpStart) * w;
      uint64_t next = UINT64_MAX;
      const FcRun* run = runAt(chpx_, fc, &next);
      uint64_t limitFc = run ? run->fcEnd : next;
      uint64_t chars = limitFc == UINT64_MAX ? end - cp : (limitFc - fc + w - 1) / w;
      uint32_t segEnd =
          static_cast<uint32_t>(std::min<uint64_t>(end, cp + std::max<uint64_t>(chars, 1)));
      f(cp, segEnd, run ? run->grpprl : Bytes(), prm);
      cp = segEnd;
    }
  }
}

}  // namespace word::read::doc::detail
