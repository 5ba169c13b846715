#pragma once
// How text looks, as the readers share it: a patterned shading as the one
// colour it shows, and the classes a font table gives its fonts, set on a
// finished model.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "word/model.h"

namespace word::read {

// The colour of a shading whose pattern, in `pattern`'s colour, covers
// `permille` of the area over `fill`: both mixed at that share. An
// automatic fill is white and an automatic pattern colour black; a clear
// pattern over an automatic fill shows no shading (kAutoColor).
uint32_t shadingColour(uint32_t fill, uint32_t pattern, int permille);

// "roman", "swiss", "modern", "script", "decorative" as both the Word 2007+
// and the OpenDocument font tables name them; Unknown for anything else.
FontClass fontClassNamed(std::string_view name);

// The font table of a document: each font's class by its name.
using FontClasses = std::map<std::u16string, FontClass, std::less<>>;
// Sets the class of every font the runs and styles of `m` name.
void classifyFonts(Model& m, const FontClasses& classes);

// The lines a paragraph's border gives (none where nothing is given): top,
// left, bottom, right, and between it and the next of the same border.
using ParagraphLines = std::array<std::optional<Border>, 5>;

// A paragraph's border from its lines: the sides a line shows on, the
// first of their lines (the line between where it has no side) and the
// first other one with the sides that draw it, and the lines of the sides
// left numbered in `table` (the model's borderLines; none without it),
// with the room its sides give where they all give the same, else each
// side's (sideRooms).
void setParagraphBorder(ParagraphFormat& f, const ParagraphLines& lines,
                        std::vector<SideLines>* table = nullptr);

// The room a frame keeps from the text, given in twips, as whole points
// (ParagraphFormat::frameAside, frameAcross).
uint8_t frameRoom(int64_t twips);
// A frame's least height, given in twips, in fours of points
// (ParagraphFormat::frameHeight), the tallest a byte holds past that.
uint8_t frameHeightOf(int64_t twips);

// Where a text box the text wraps around at one side stands (a sidebar):
// that side, as wide as its shape and at least as tall, its room from the
// text in points; its first paragraph opens a box of its own.
struct BoxPlace {
  FrameSide side = FrameSide::None;
  uint16_t width = 0;
  uint8_t height = 0;
  uint8_t aside = 0;
  bool opens = false;
  bool bottom = false;  // its text set at its foot
  // Places the box's paragraph `f` there, unless it is framed itself.
  void apply(ParagraphFormat& f);
};
// The place of a box drawn at `side` (none but at the start or end of the
// text), its size and room given in twips.
BoxPlace boxPlace(PictureSide side, int64_t width, int64_t height, int64_t aside);
// The room beside a frame where the document gives none, twips: text
// would otherwise touch it.
inline constexpr int64_t kFrameAside = 180;

// How far down the document sets a frame: `y` twips below the top of the
// paragraph it stands by, or (onPage) of the page or its margins; none
// where it sets it otherwise (in the line, at the page's top, middle or
// foot).
struct FrameHeight {
  bool onPage = false;
  std::optional<int32_t> y;
};

// Frames set one after another with no text between stand by the same
// text: the page floats the first at its place, and each other no higher
// than the one before it, from whose top it drops. Sets each one's drop
// (ParagraphFormat::frameDrop) to reach its place below the run's text: a
// frame by the text, its own height; one on the page, its height below
// the run's first. One on a side a frame of the run holds stands at its
// place or below that frame, whichever is lower (the frame's height is
// the page's). Neighbours framed alike, one frame, share theirs. Text (a
// paragraph in no frame) ends the run.
class FrameRun {
 public:
  void place(ParagraphFormat& f, const FrameHeight& height);

 private:
  ParagraphFormat last_;  // the run's last frame
  FrameHeight lastHeight_;
  std::optional<int32_t> top_;  // the run's first frame's height on the page
  int64_t placed_ = 0;          // how far its last frame's top drops, twips
  bool open_ = false;           // a run is open
};

// The indents a list level gives its items, twips (none where it gives
// none): they count over the paragraph's style and under the paragraph's
// own indents.
struct ListIndents {
  std::optional<int32_t> left, right, first;
};
// Sets on `f` those of `level`'s indents the paragraph does not give itself
// (`own`).
void applyListIndents(ParagraphFormat& f, const ListIndents& level, const ListIndents& own);

// What follows a list level's labels as both XML formats name it
// ("space", "nothing"; a tab for anything else).
LabelFollow labelFollowNamed(std::string_view name);

// The look a list item's label is given (by its level, by its mark), each
// part set or left to the item.
struct LabelLook {
  std::optional<bool> bold, italic;
  std::optional<uint16_t> halfPoints;
  std::optional<uint32_t> color;
};
void applyLabelLook(ParagraphFormat& f, const LabelLook& look);

// Where a picture the text wraps around (or, `ownLine`, keeps above and
// below) stands: by its alignment ("left", "center", "right", "inside",
// "outside"), else by where its middle lies from the margin (twips) on a
// page of the usual text width. A page's text flows on one side of a
// picture only: one in the middle it wraps around stands at the start.
PictureSide placedSide(bool ownLine, std::string_view align, int64_t middle);
// The same for a picture behind or in front of the text, which a page
// cannot lay over its text: it stands beside the text as one the text
// wraps around, or on a line of its own when wider than half the line
// (a letterhead's band, a page-wide background). Twips.
PictureSide overTextSide(std::string_view align, int64_t middle, int64_t width);

// A font's name as the readers keep it, cut at kMaxFontName characters:
// no font's is longer, and a name of megabytes that a document gives once
// would be copied into every style, run and paragraph of a page.
constexpr size_t kMaxFontName = 128;
std::u16string fontName(std::u16string name);

// A tab stop as one layer of paragraph properties gives it.
struct TabStop {
  int32_t pos = 0;  // twips from the paragraph's starting margin
  TabAlign align = TabAlign::Start;
  bool clear = false;  // removes the stop a layer beneath sets there
  TabLeader leader = TabLeader::None;
};
// Sets `top`'s stops over `below`'s: a stop replaces one at its position,
// a cleared one removes it.
void mergeTabStops(std::vector<TabStop>& below, const std::vector<TabStop>& top);
// Sets `f`'s last stop from the last of `stops` (none when that aligns by
// the text's start), its start-aligned one from the first (none when the
// first aligns otherwise), and the others.
void applyTabStops(ParagraphFormat& f, const std::vector<TabStop>& stops);

}  // namespace word::read
