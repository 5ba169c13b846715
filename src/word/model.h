#pragma once
// The document model: what a reader fills and a writer renders.
//
// A story is one UTF-16 text with the word processor's control characters;
// every other table holds positions into that text and is kept sorted, so
// lookups are binary searches and a walk over the document stays linear.
#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace word {

// Control characters of story text.
inline constexpr char16_t kPictureMark = 1;  // an inline picture (one per Picture)
inline constexpr char16_t kNoteMark = 2;     // a footnote/endnote reference (one per Note)
inline constexpr char16_t kCellMark = 7;     // ends a cell's last paragraph; alone, ends a row
inline constexpr char16_t kTab = 9;
inline constexpr char16_t kLineBreak = 11;  // manual line break
inline constexpr char16_t kPageBreak = 12;  // page or section break
inline constexpr char16_t kParagraphMark = 13;
inline constexpr char16_t kColumnBreak = 14;

// The word processor's default tab stops: every half inch.
inline constexpr int32_t kDefaultTabStop = 720;
// Its usual room between a table cell's sides and its text, twips.
inline constexpr int16_t kCellPadding = 108;

inline constexpr uint32_t kAutoColor = 0xFFFFFFFFu;  // "automatic": no colour set
// The longest link tip kept (CharFormat::linkTitle): the word processor's
// box takes 255 characters.
inline constexpr size_t kMaxLinkTitle = 1024;

// Distribute: justified to the last line, which a justified paragraph
// leaves at its start.
enum class Align : uint8_t { Left, Center, Right, Justify, Distribute };

// The class a document's font table gives a font (roman: with serifs,
// swiss: without, modern: fixed pitch); a page names it after the font for
// readers who lack the font itself. Unknown: the table gives none.
enum class FontClass : uint8_t { Unknown, Roman, Swiss, Modern, Script, Decorative };

// How a paragraph's line spacing is measured: in 240ths of a single line,
// or as a height in twips that lines reach at least or keep exactly.
enum class LineRule : uint8_t { Multiple, AtLeast, Exactly };
inline constexpr int32_t kSingleLine = 240;
// Space before or after a paragraph left to the word processor (14pt
// where a paragraph has a neighbour).
inline constexpr int32_t kAutoSpacing = -1;

// How a cell's edge, or a paragraph's border, is drawn. Unknown: the
// reader cannot tell (a page keeps its default grid); None: no line.
enum class LineStyle : uint8_t {
  Unknown,
  None,
  Single,
  Thick,
  Double,
  Dotted,
  Dashed,
  DotDash,
  Groove,
  Ridge,
  Inset,
  Outset
};

// The widest line a word processor draws (12pt), in eighths of a point.
inline constexpr uint8_t kMaxBorderWidth = 96;

struct Border {
  LineStyle style = LineStyle::Unknown;
  uint8_t width = 0;  // eighths of a point, up to kMaxBorderWidth
  // A paragraph's room between its line (or, with none, the edge of its
  // shading) and its text, points; 0: the usual, a point above and below
  // and four at the sides. Cells keep theirs in Cell::padding.
  uint8_t room = 0;
  uint32_t color = kAutoColor;  // 0xRRGGBB; automatic: black
  bool operator==(const Border&) const = default;
};

// The line under underlined letters (CharFormat::underline).
enum class UnderlineStyle : uint8_t { Single, Double, Dotted, Dashed, Wavy, Thick };

// Character formatting as it shows (style chain already resolved by the reader).
struct CharFormat {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  UnderlineStyle underlineStyle = UnderlineStyle::Single;
  bool strike = false;
  bool doubleStrike = false;  // the line through is doubled (with strike)
  bool superscript = false;
  bool subscript = false;
  // The colour behind the letters is their shading, not a highlighter's:
  // automatic text on it turns white where it is dark (on a highlight
  // it stays black, as the word processor draws it).
  bool shaded = false;
  uint32_t color = kAutoColor;           // 0xRRGGBB
  uint32_t underlineColor = kAutoColor;  // 0xRRGGBB; automatic: the text's
  uint32_t highlight = kAutoColor;       // 0xRRGGBB: highlight or shading
  uint16_t halfPoints = 0;               // font size in half points; 0: the default
  // The font of its Chinese, Japanese and Korean letters where it names
  // one of its own (font_names.h: a number for the name, which keeps a
  // run's size as it was); 0 for none.
  uint16_t asianFont = 0;
  std::u16string font;                   // empty: the default font
  FontClass fontClass = FontClass::Unknown;
  // The language the letters are marked with: languages[language - 1] of
  // their model (Model::languages); 0: none. A number, not the tag, keeps
  // a run no larger.
  uint8_t language = 0;
  std::u16string hyperlink;  // a URL, or "#name" for a bookmark in the document
  // The link's tip, shown while the mouse rests on it (the page's title);
  // at most kMaxLinkTitle characters.
  std::u16string linkTitle;
  // Letters shown as capitals: small ones (lower case), or all of them.
  bool smallCaps = false;
  bool allCaps = false;
  uint8_t effects = 0;        // kEffect... bits
  int16_t letterSpacing = 0;  // twips added between letters; negative: condensed
  int16_t raise = 0;          // half points above the line (negative: below), the size kept
  bool operator==(const CharFormat&) const = default;
};

// Letters drawn hollow, with a shadow, raised or sunk (CharFormat::effects).
// A line drawn around the letters is one more such effect (kEffectBox).
inline constexpr uint8_t kEffectOutline = 1, kEffectShadow = 2, kEffectEmboss = 4,
                         kEffectEngrave = 8, kEffectBox = 16;

// A drop cap of the paragraph's first word (ParagraphFormat::dropLetters).
inline constexpr uint8_t kDropWord = 255;
// The most columns a paragraph's section is set in (ParagraphFormat::columns).
inline constexpr int kMaxColumns = 15;

// Where a framed paragraph stands (ParagraphFormat::frame): in the flow,
// or against the left or right side of its column, the text beside it.
enum class FrameSide : uint8_t { None, Left, Right };

// What comes between a list item's label and its text.
enum class LabelFollow : uint8_t { Tab, Space, Nothing };

// What a list item's label is given over its item's look, by its list
// level and beneath that by its paragraph's mark (ParagraphFormat::
// labelLook): each of bold and italic set on or off, or left as it is.
inline constexpr uint8_t kLabelBoldSet = 1, kLabelBold = 2, kLabelItalicSet = 4, kLabelItalic = 8;

// What fills the space a tab leaves before the text it aligns.
enum class TabLeader : uint8_t { None, Dots, Dashes, Line };
// How a tab stop aligns the text after it (up to the next tab or the
// line's end): by its start, its middle, its end or its decimal point.
enum class TabAlign : uint8_t { Start, Centre, End, Decimal };

// The sides of a paragraph's border (ParagraphFormat::borderSides), and
// a line between it and the next paragraph of the same border.
inline constexpr uint8_t kBorderTop = 1, kBorderLeft = 2, kBorderBottom = 4, kBorderRight = 8,
                         kBorderBetween = 16;
// The lines of a paragraph's border past its first two (ParagraphFormat::
// thirdLine): each side's own, in the order of the bits above (top, left,
// bottom, right, between), room 0; none on a side drawn in the first two.
using SideLines = std::array<Border, 5>;
// The place of a side's bit (kBorderTop ...) in SideLines.
inline constexpr size_t sideIndex(uint8_t side) {
  return static_cast<size_t>(std::countr_zero(side));
}

// Paragraph formatting as it shows (style chain already resolved). Every
// paragraph carries one: the small fields are packed together before the
// label, so that a paragraph takes 128 bytes with its borders, tab stops,
// frame and columns (a plain-text file of short lines is mostly paragraphs; see
// bench/text_memory.sh).
struct ParagraphFormat {
  int32_t style = 0;         // index into Model::styles; 0 is the default paragraph style
  uint8_t outlineLevel : 4 = 9;  // 0..8: heading level 1..9; 9: body text
  // The section it lies in set in columns (more than one, at most
  // kMaxColumns), the room between them (columnGap, points) and whether a
  // line is drawn there (columnLine): bits and a byte the structure had
  // spare.
  uint8_t columns : 4 = 0;
  Align align = Align::Left;
  LineRule lineRule = LineRule::Multiple;
  // The lines of its border past the first two, where its sides draw
  // more (see border below): Model::borderLines[thirdLine - 1]; 0 for
  // none. In the byte packing contextualSpacing into bits left spare.
  uint8_t thirdLine = 0;
  int32_t indentLeft = 0;    // twips
  int32_t indentRight = 0;   // twips
  int32_t indentFirst = 0;   // twips, relative to indentLeft; negative: hanging
  int32_t listId = -1;       // -1: not in a list; equal ids share one numbering
  uint8_t listLevel : 4 = 0;  // 0..8
  // How many lines deep its own first letters are set large (dropLetters
  // below), at most 15: in the bits listLevel leaves.
  uint8_t dropLines : 4 = 0;
  LabelFollow labelFollow = LabelFollow::Tab;
  bool contextualSpacing : 1 = false;  // no space between paragraphs of one style
  bool listOrdered : 1 = false;        // numbered (true) or bulleted (false)
  bool textBox : 1 = false;      // text of a text box, placed after the paragraph anchoring it
  // Laid out from right to left (Hebrew, Arabic): align and the indents
  // are then of its start and end, which lie right and left.
  bool rightToLeft : 1 = false;
  // The look its list level and its mark give the label (kLabelBold
  // ...), and its size in half points (0: the item's) and colour
  // (labelColor below; automatic: the item's). They fit the structure's
  // padding.
  uint8_t labelLook : 4 = 0;
  // How far below its place in the text a frame (below) stands, points:
  // where the document sets it lower than the text it stands by or than
  // the frame before it (on either side); at most 255, a page on screen
  // having no page's foot to set it by.
  uint8_t frameDrop = 0;
  // The room a frame (below) keeps from the text beside it and from the
  // text above and below it, points. In the bytes the bits above left
  // spare.
  uint8_t frameAside = 0;
  uint8_t frameAcross = 0;
  // At most 4095 (the word processor's largest size is 3276).
  uint16_t labelHalfPoints : 12 = 0;
  // A paragraph of the main text in a frame of its own: it floats as a
  // text box's does (textBox), but it is read in its place in the text.
  bool inFrame : 1 = false;
  // A frame (below) that begins where the one before it ends, even framed
  // alike: the document sets it at a height of its own, or it is a text
  // box of its own. In bits labelHalfPoints leaves.
  bool frameOpens : 1 = false;
  // A frame (below) whose text the document sets at its foot (a text box
  // whose text is anchored at its bottom, below its least height's room).
  bool frameBottom : 1 = false;
  int32_t spaceBefore = 0;            // twips, or kAutoSpacing
  int32_t spaceAfter = 0;             // twips, or kAutoSpacing
  int32_t lineSpacing = kSingleLine;  // by lineRule
  uint32_t shading = kAutoColor;      // background, 0xRRGGBB
  // A line around the paragraph, a box or a rule above or below it, on the
  // sides borderSides names (kBorderTop ...): `border` on them all but
  // those borderOther names, which draw otherBorder (a thick line above a
  // thin one below, a bar at the side in a colour of its own), and those
  // thirdLine's set gives a line of their own (a third line, a fourth,
  // the line between). The word processor draws paragraphs in a row with
  // the same border as one box, with its line between them where
  // kBorderBetween is set.
  Border border;
  Border otherBorder;  // room: border's
  uint8_t borderSides = 0;
  uint8_t borderOther : 5 = 0;
  // A large first letter (or word) set in a paragraph of its own, which
  // the paragraph after it runs beside; or the paragraph's own first
  // dropLetters letters set large, dropLines (above) lines deep.
  bool dropCap : 1 = false;
  bool dropInMargin : 1 = false;  // the drop cap hangs in the margin before the text
  bool columnLine : 1 = false;
  uint8_t dropLetters = 0;  // or kDropWord
  // The least height of a frame (below) in fours of points, 0 for none: a
  // text box the document draws taller than its text keeps the text
  // beside it for that height (a page's 792 points fit the byte).
  uint8_t frameHeight = 0;
  // The paragraph's last tab stop where it aligns the text after it by
  // other than its start (tabEndAlign: a table of contents' page numbers
  // by their end, a price list by the decimal point, a signature by its
  // middle): twips from the margin the paragraph starts at, 0 for none;
  // and what leads up to it.
  int16_t tabEnd = 0;
  TabLeader tabLeader = TabLeader::None;
  // The paragraph's first tab stop where it aligns the text after it by
  // that text's start: what leads up to it, and twips from the margin, 0
  // for none (or one that aligns the text otherwise).
  TabLeader tabStartLeader = TabLeader::None;
  int16_t tabStart = 0;
  // Its first four stops of any kind but that of tabEnd, twips from the
  // margin in order, 0 past the last: where a line's second tab and those
  // after it go (a list laid out in columns by tabs); and how each aligns
  // the text after it, two bits a stop (tabAlign). With tabEndAlign they
  // take the two bytes a narrower tabEnd left.
  std::array<int16_t, 4> tabStops{};
  uint8_t tabAligns = 0;
  TabAlign tabEndAlign = TabAlign::End;
  // A paragraph in a frame of its own, frameWidth twips wide, set against
  // a side of its column with the text after it running beside it
  // (frameAside and frameAcross away from it), frameDrop below its place.
  FrameSide frame = FrameSide::None;
  uint8_t columnGap = 0;
  uint16_t frameWidth = 0;
  // The room inside its border where its sides give each their own
  // (border.room then 0), points: top, left, bottom, right.
  std::array<uint8_t, 4> sideRooms{};
  uint32_t labelColor = kAutoColor;
  std::u16string listLabel;  // the label as displayed ("1.", "a)", "\u2022"); empty if none
  TabAlign tabAlign(size_t i) const { return static_cast<TabAlign>(tabAligns >> (2 * i) & 3); }
  // The line drawn on `side` (kBorderTop ...), room and all; `lines`: the
  // model's borderLines, which hold the lines past the first two.
  Border line(uint8_t side, const std::vector<SideLines>& lines = {}) const {
    Border b = border;
    if (borderOther & side)
      b = otherBorder;
    else if (const Border* own = ownLine(side, lines))
      b = *own;
    b.room = border.room;
    return b;
  }
  // The line thirdLine's set gives `side`; nullptr where it gives none.
  const Border* ownLine(uint8_t side, const std::vector<SideLines>& lines) const {
    if (!thirdLine || thirdLine > lines.size() || side > kBorderBetween) return nullptr;
    const Border& b = lines[thirdLine - 1][sideIndex(side)];
    return b.style == LineStyle::Unknown ? nullptr : &b;
  }
  bool operator==(const ParagraphFormat&) const = default;
};
// Every paragraph carries one (see above): its fields take 96 bytes.
static_assert(sizeof(ParagraphFormat) <= 96 + sizeof(std::u16string));

struct Style {
  std::u16string name;        // "Normal", "heading 1", ...
  int32_t basedOn = -1;       // index of the base style, -1 for none
  bool character = false;     // a character style (no paragraph properties)
  ParagraphFormat paragraph;  // resolved defaults of the style
  CharFormat chars;           // resolved defaults of the style
};

// One paragraph. Paragraph i runs from the previous paragraph's end (or 0)
// to `end`, which is one past its mark (13, or 7 for a cell's last
// paragraph, or the row's own 7). Paragraphs cover the whole story.
struct Paragraph {
  uint32_t end = 0;
  ParagraphFormat format;
};

// Formatting from `start` up to the next run's start (or the story's end).
// Runs cover the whole story; the first starts at 0.
struct Run {
  uint32_t start = 0;
  CharFormat format;
};

enum class VMerge : uint8_t { None, Restart, Continue };
enum class VAlign : uint8_t { Top, Center, Bottom };  // a cell's content in its height
// How a cell's lines run: across, or turned a quarter to run down the
// cell (top to bottom) or up it (bottom to top: a narrow column's heading).
enum class TextFlow : uint8_t { Across, Down, Up };

struct CellBorders {
  Border top, left, bottom, right;
  bool operator==(const CellBorders&) const = default;
};

struct Cell {
  uint32_t start = 0;
  uint32_t end = 0;       // one past the cell's 7
  int32_t width = 0;      // twips; 0: not given
  uint16_t gridSpan = 1;  // columns spanned (horizontal merge)
  VMerge vmerge = VMerge::None;
  uint32_t shading = kAutoColor;  // background, 0xRRGGBB
  CellBorders borders;
  VAlign valign = VAlign::Top;
  TextFlow flow = TextFlow::Across;
  // The room inside its sides, twips: top, start, bottom, end; -1 where
  // the document gives none (the word processor's usual: none above and
  // below, kCellPadding at the sides).
  std::array<int16_t, 4> padding{-1, -1, -1, -1};
};

struct Row {
  uint32_t start = 0;
  uint32_t end = 0;  // one past the row's own 7
  std::vector<Cell> cells;
  int32_t height = 0;        // twips, the least the row takes; 0: as its text needs
  bool exactHeight = false;  // the height is the row's, its text cut off below
  bool header = false;       // a heading row, repeated atop each page the table runs onto
  // Grid columns left empty before its first cell (a row that starts
  // further in than the table's left edge).
  uint16_t skipBefore = 0;
};

// A table. Nested tables are tables of their own with depth > 1, lying
// inside a cell of their parent. Tables are sorted by start; an outer
// table comes before the tables nested in it.
struct Table {
  uint32_t start = 0;
  uint32_t end = 0;  // one past the last row's 7
  uint8_t depth = 1;
  std::vector<Row> rows;
  // Its place between the margins: aligned left, centred or right, and a
  // left table's left edge from the text's margin (twips; negative: out
  // into the page's margin).
  Align align = Align::Left;
  int32_t indent = 0;
  // Columns from right to left: align and indent are then of the start,
  // the right margin.
  bool rightToLeft = false;
  // Its columns as wide as the document sets them, whatever their text
  // (not fitted to it).
  bool fixedLayout = false;
  // Room between its cells and at its edges, twips: each cell drawn in
  // its own borders, and `frame` around them all. 0: cells share edges.
  int16_t cellSpacing = 0;
  CellBorders frame;
  // Its width where its columns do not give it: twips, or a share of the
  // line in fiftieths of a percent (widthShare: 5000 is all of it); 0 for
  // none.
  int32_t width = 0;
  uint16_t widthShare = 0;
};

struct Bookmark {
  std::u16string name;
  uint32_t start = 0;
  uint32_t end = 0;
};

// Where a picture stands: in its line; at the start or end side of the
// text, which flows beside it (a picture the text wraps around); or on a
// line of its own, the text above and below it, at that line's start,
// middle or end.
enum class PictureSide : uint8_t { Inline, Start, End, OwnLine, OwnLineCentre, OwnLineEnd };

// How the document shows a picture's colours: in grey, in black and white
// alone, lighter or darker, with more or less contrast; and what part of
// the image it shows.
// The widest line drawn round a picture (12pt, in EMU).
inline constexpr int32_t kMaxOutlineEmu = 152400;

struct PictureLook {
  bool gray = false;
  bool blackAndWhite = false;
  int16_t brightness = 0;   // thousandths, -1000 (black) to 1000 (white)
  int16_t contrast = 1000;  // thousandths of the picture's own
  // Shares of the image cut off at each side, in hundred-thousandths:
  // the picture shows the rest at its display size.
  int32_t cropLeft = 0, cropTop = 0, cropRight = 0, cropBottom = 0;
  int16_t rotation = 0;               // degrees clockwise, -359 to 359
  bool flipH = false, flipV = false;  // mirrored left to right, top to bottom
  // A line drawn round the picture, centred on its edge (0 wide: none).
  int32_t outlineEmu = 0;  // up to kMaxOutlineEmu
  uint32_t outlineColor = 0;
  bool operator==(const PictureLook&) const = default;
};

// An inline picture, standing at a kPictureMark in the text.
struct Picture {
  uint32_t pos = 0;
  std::shared_ptr<const std::string> data;  // the image file's bytes
  std::string format;                       // "png", "jpeg", "gif", "bmp", "tiff", "emf", "wmf"
  int32_t widthPx = 0;                      // display size at 96 dpi; 0: take the image's own
  int32_t heightPx = 0;
  std::u16string alt;  // alternative text
  // Linked to a file outside the document, which is never read: no data,
  // and the page shows a stand-in.
  bool linked = false;
  PictureLook look;
  PictureSide side = PictureSide::Inline;
};

// An equation: its linear text stands in the story from `start` to `end`
// (what a plain-text export writes), and a page shows it as MathML.
struct Equation {
  uint32_t start = 0;
  uint32_t end = 0;
  std::u16string mathml;  // a whole <math> element
  bool display = false;   // on a line of its own
};

// A text with its formatting: the main text, or a note's text.
struct Story {
  std::u16string text;
  std::vector<Paragraph> paragraphs;  // sorted by end
  std::vector<Run> runs;              // sorted by start
  std::vector<Table> tables;          // sorted by start
  std::vector<Bookmark> bookmarks;    // sorted by start
  std::vector<Picture> pictures;      // sorted by pos
  std::vector<Equation> equations;    // sorted by start, not overlapping
};

// A footnote or endnote, referenced at a kNoteMark of the main story.
struct Note {
  uint32_t pos = 0;
  bool endnote = false;
  std::u16string label;  // the reference mark as displayed ("1", "i", "*")
  Story body;
};

// What a reader read but cannot show, where it stood in the main text: the
// page loses it, and the author is told. The kind decides what the author
// can do about it.
enum class LossKind : uint8_t {
  Drawing,     // a chart, a shape drawn only by its geometry, an object without a picture
  Field,       // a field drawn from its code, saved without a result
  Formatting,  // what a format version holds that the reader does not read
};
struct Loss {
  uint32_t pos = 0;
  std::string what;  // "a chart"
  LossKind kind = LossKind::Drawing;
};

struct Model {
  Story main;
  std::vector<Loss> losses;   // sorted by pos; as read, not moved by later edits
  std::vector<Note> notes;    // sorted by pos
  std::vector<Style> styles;  // styles[0] is the default paragraph style
  // Twips between the default tab stops, from the margin: where a tab
  // goes past the paragraph's own stops.
  int32_t defaultTabStop = kDefaultTabStop;
  // The language of the main text, as a language tag ("ru-RU"), that
  // pages are in: as read, the one most of it is marked with; once loaded
  // (read::load), that unless its letters belie it (read::textLanguage).
  // Empty when nothing tells.
  std::string language;
  // The language tags runs are marked with (CharFormat::language), each
  // once, canonical, at most kMaxLanguages.
  std::vector<std::string> languages;
  static constexpr size_t kMaxLanguages = 255;
  // The lines of paragraphs' borders past their first two
  // (ParagraphFormat::thirdLine), each set once, at most kMaxBorderLines.
  std::vector<SideLines> borderLines;
  static constexpr size_t kMaxBorderLines = 255;
  // The tag of the language `f` is marked with; "" for none.
  std::string_view languageOf(const CharFormat& f) const {
    return f.language == 0 || f.language > languages.size() ? std::string_view()
                                                            : languages[f.language - 1];
  }
  // What decimal tab stops align numbers on where the document says (0:
  // the decimal point of its language).
  char16_t decimalPoint = 0;
  // A justified paragraph's line that ends in a manual line break is
  // stretched to the margins as its other lines are, unless the
  // document's compatibility settings leave such lines ragged.
  bool stretchBeforeBreaks = true;
  // The paragraphs of the page headers and footers as the word processor
  // shows them (a field's result, not its code), each cut after
  // kHeaderFooterChars characters, at most kHeaderFooterLines of them. No
  // page shows them, as a course is made of the main text: they are kept
  // for lint to tell of a marker typed there.
  std::vector<std::u16string> headerFooterLines;
  static constexpr size_t kHeaderFooterLines = 1000, kHeaderFooterChars = 120;
  // Main-text paragraphs (outside tables and text boxes) that hold text
  // the word processor does not show, hidden or deleted as a tracked
  // change, and a percent sign: each as it reads with that text shown,
  // where a hidden or deleted paragraph mark joined two paragraphs a CR
  // between them. The author sees a marker there with hidden text and
  // changes shown; the course reads none. Kept for lint to tell of.
  struct UnseenLine {
    uint32_t pos = 0;  // where the paragraph starts in the main text
    std::u16string text;
    bool hidden = false, deleted = false;
  };
  std::vector<UnseenLine> unseenLines;
  static constexpr size_t kUnseenLines = 1000, kUnseenChars = 2000;
};

}  // namespace word
