#include "word/write/list_css.h"

#include <algorithm>
#include <cstdlib>

#include "word/story_ops.h"
#include "word/write/css.h"

namespace word::write {

bool opensWithDropCap(const ParagraphFormat& cap, const ParagraphFormat* next) {
  return next && next->style >= 0 && next->listId < 0 && next->outlineLevel > 5 && !next->dropCap &&
         !next->dropLetters && next->textBox == cap.textBox && next->rightToLeft == cap.rightToLeft;
}

std::u16string dropCapCss(const Story& s, uint32_t start, const ParagraphFormat& cap,
                          const CharFormat& base) {
  ParagraphFormat lines;
  lines.lineRule = cap.lineRule;
  lines.lineSpacing = cap.lineSpacing;
  lines.shading = cap.shading;
  CharFormat text = base;
  if (const size_t r = ops::runAt(s, start); r < s.runs.size() && !text.halfPoints)
    text.halfPoints = s.runs[r].format.halfPoints;
  // One that hangs in the margin takes its float from the page's rule
  // (margin-cap), which hangs it where the page has room.
  return paragraphCss(lines, ParagraphFormat{}, text) +
         (cap.dropInMargin ? u"" : u"float:inline-start;margin-inline-end:0.333333rem;") +
         u"text-indent:0;";
}

size_t leadingDigits(std::u16string_view label) {
  size_t digits = 0;
  while (digits < label.size() && label[digits] >= u'0' && label[digits] <= u'9') ++digits;
  return digits;
}

std::u16string listMarker(const ParagraphFormat& f, size_t depth) {
  std::u16string_view label = f.listLabel;
  if (!f.listOrdered) {
    // A pictograph no font maps to a character shows as the browser's
    // bullet for its depth; a plain "o" is the word processor's usual
    // circle.
    static constexpr std::u16string_view kShapes[] = {u"\u2022", u"\u25E6", u"\u25AA"};
    if (!label.empty() && std::all_of(label.begin(), label.end(),
                                      [](char16_t c) { return c >= 0xE000 && c < 0xF900; }))
      label = kShapes[std::min<size_t>(depth, 2)];
    else if (label == u"o")
      label = kShapes[1];
  }
  std::u16string css = u"'";
  for (char16_t c : label) {
    if (c < 32) continue;
    if (c == u'\'' || c == u'\\')
      css += c == u'\'' ? u"\\27 " : u"\\5C ";
    else
      css.push_back(c);
  }
  const bool centred = f.align == Align::Center || f.align == Align::Right;
  const bool tab = f.labelFollow == LabelFollow::Tab && !centred;
  if (label.empty() && !tab) return u"none";
  if (f.labelFollow == LabelFollow::Nothing) return css + u"'";
  return css + (tab ? u"\\9'" : u" '");
}

std::u16string labelLookCss(const Story& s, uint32_t start, uint32_t end, const CharFormat& base) {
  size_t r = ops::runAt(s, start);
  if (end <= start + 1 || r >= s.runs.size()) return {};
  const CharFormat look = s.runs[r].format;
  bool size = look.halfPoints && look.halfPoints != base.halfPoints;
  bool face = look.font != base.font && !fontFamily(look.font, look.fontClass).empty();
  // The paragraph's mark is not its text.
  for (; r < s.runs.size() && s.runs[r].start < end - 1; ++r) {
    const CharFormat& f = s.runs[r].format;
    size = size && f.halfPoints == look.halfPoints;
    face = face && f.font == look.font;
  }
  std::u16string css;
  if (size) css += u"font-size:" + rems(look.halfPoints, 2) + u";";
  if (face) css += u"font-family:" + fontFamily(look.font, look.fontClass) + u";";
  return css;
}

std::u16string labelOwnCss(const ParagraphFormat& f) {
  std::u16string css;
  if (f.labelLook & kLabelBoldSet)
    css += f.labelLook & kLabelBold ? u"--lw:bold;" : u"--lw:normal;";
  if (f.labelLook & kLabelItalicSet)
    css += f.labelLook & kLabelItalic ? u"--ls:italic;" : u"--ls:normal;";
  if (f.labelHalfPoints) css += u"--lz:" + rems(f.labelHalfPoints, 2) + u";";
  if (f.labelColor != kAutoColor) css += u"--lc:" + colour(f.labelColor) + u";";
  return css;
}

void labelOwnLook(const ParagraphFormat& f, CharFormat& look) {
  if (f.labelLook & kLabelBoldSet) look.bold = f.labelLook & kLabelBold;
  if (f.labelLook & kLabelItalicSet) look.italic = f.labelLook & kLabelItalic;
  if (f.labelHalfPoints) look.halfPoints = f.labelHalfPoints;
  if (f.labelColor != kAutoColor) look.color = f.labelColor;
}

namespace {

// The size of the smallest letters of the paragraph from `start` to `end`
// (its mark's, where it has none), where they are smaller than `base`'s
// (or the page's 12 points); else 0.
uint16_t smallestLetters(const Story& s, uint32_t start, uint32_t end, const CharFormat& base) {
  if (end <= start) return 0;
  const uint32_t last = end > start + 1 ? end - 1 : end;
  const uint16_t given = base.halfPoints ? base.halfPoints : 24;
  uint16_t least = given;
  for (size_t r = ops::runAt(s, start); r < s.runs.size() && s.runs[r].start < last; ++r) {
    if (!s.runs[r].format.halfPoints) return 0;  // the page's own size
    least = std::min(least, s.runs[r].format.halfPoints);
  }
  return least < given ? least : 0;
}

// The run whose face all the paragraph's letters (its mark's, where it has
// none) are set in, where that is not `base`'s; else none.
const CharFormat* sharedFace(const Story& s, uint32_t start, uint32_t end, const CharFormat& base) {
  if (end <= start) return nullptr;
  const uint32_t last = end > start + 1 ? end - 1 : end;
  const CharFormat* face = nullptr;
  for (size_t r = ops::runAt(s, start); r < s.runs.size() && s.runs[r].start < last; ++r) {
    const CharFormat& f = s.runs[r].format;
    if (f.font.empty() || (face && (f.font != face->font || f.fontClass != face->fontClass)))
      return nullptr;
    face = &f;
  }
  return face && face->font != base.font ? face : nullptr;
}

// Where a list item's label ends, in twips from the margin, for a width
// guessed from its characters at `halfPoints`.
int64_t labelEnd(const ParagraphFormat& f, uint16_t halfPoints) {
  // Widths in hundredths of an em, near those of the common text faces.
  int64_t width = 0;
  for (char16_t c : f.listLabel)
    width += c >= u'0' && c <= u'9'                                          ? 50
             : c == u'.' || c == u',' || c == u' ' || c == u'i' || c == u'l' ? 27
             : c == u'(' || c == u')'                                        ? 33
             : c >= u'A' && c <= u'Z'                                        ? 67
                                                                             : 55;
  if (f.labelHalfPoints) halfPoints = f.labelHalfPoints;
  const int64_t em = (halfPoints ? halfPoints : 24) * 10;  // twips
  return int64_t{f.indentLeft} + f.indentFirst + width * em / 100;
}

}  // namespace

int32_t listTabSize(const ParagraphFormat& f, uint16_t halfPoints, int32_t defaultStops) {
  const int64_t stops = std::max(defaultStops, 1);
  const int64_t end = labelEnd(f, halfPoints);
  // The paragraph's own stop past the label comes first, before a hanging
  // indent; the tab size from the indent reaches it.
  const bool fits = f.indentFirst < 0 && end < f.indentLeft;
  for (int16_t own : f.tabStops)
    if (own > 0 && own > end && own != f.indentLeft && (!fits || own < f.indentLeft))
      return static_cast<int32_t>(std::abs(own - int64_t{f.indentLeft}));
  if (fits) return -f.indentFirst;
  const int64_t stop = (std::max<int64_t>(end, 0) / stops + 1) * stops;
  return static_cast<int32_t>(std::clamp<int64_t>(stop - f.indentLeft, 1, stops * 20));
}

std::u16string labelFollower(const ParagraphFormat& f, uint16_t halfPoints, int32_t defaultStops) {
  const bool centred = f.align == Align::Center || f.align == Align::Right;
  if (f.labelFollow == LabelFollow::Tab && !centred)
    return u"<span class=\"tab\" style=\"tab-size:" +
           rems(listTabSize(f, halfPoints, defaultStops), 20) + u"\">&#9;</span>";
  return f.labelFollow != LabelFollow::Nothing ? u" " : u"";
}

bool labelHangs(const ParagraphFormat& f, uint16_t halfPoints, int32_t defaultStops) {
  return f.labelFollow == LabelFollow::Tab && f.indentFirst < 0 &&
         labelEnd(f, halfPoints) < f.indentLeft &&
         listTabSize(f, halfPoints, defaultStops) == -f.indentFirst;
}

std::u16string frameCss(const ParagraphFormat& f) {
  if (f.frame == FrameSide::None || f.dropCap) return {};
  auto room = [](uint8_t pt) { return pt ? u"min(" + rems(pt, 1) + u",10%)" : u"0"; };
  std::u16string css = std::u16string(f.frame == FrameSide::Left
                                          ? u"float:left;clear:left;margin-right:"
                                          : u"float:right;clear:right;margin-left:") +
                       room(f.frameAside) + u";width:" + rems(f.frameWidth, 20) +
                       u";max-width:50%;box-sizing:border-box;";
  if (f.frameHeight) css += u"min-height:" + rems(int32_t{f.frameHeight} * 4, 1) + u";";
  if (f.frameHeight && f.frameBottom)
    css += u"display:flex;flex-direction:column;justify-content:flex-end;";
  if (f.frameAcross)
    css += (f.frameDrop ? u"" : u"margin-top:" + room(f.frameAcross) + u";") + u"margin-bottom:" +
           room(f.frameAcross) + u";";
  return css;
}

std::u16string frameDropper(const ParagraphFormat& f) {
  if (!f.frameDrop || frameCss(f).empty()) return {};
  // The frame's own top margin would keep the text out of the room above
  // it, where the document runs it on: a box of no width takes the room.
  return std::u16string(u"<div class=\"side-drop\" style=\"float:") +
         (f.frame == FrameSide::Left ? u"left;" : u"right;") + u"width:0;height:" +
         rems(f.frameDrop, 1) + u"\"></div>";
}

std::u16string frameOpen(const ParagraphFormat& f, const std::u16string& css) {
  return u"<div class=\"side-box\" style=\"" + css +
         (f.frameHeight && f.frameBottom ? u"\"><div>" : u"\">");
}

std::u16string frameClose(const ParagraphFormat& f) {
  return f.frameHeight && f.frameBottom ? u"</div></div>" : u"</div>";
}

bool sameFrame(const ParagraphFormat& a, const ParagraphFormat& b) {
  return a.frame == b.frame && a.frameWidth == b.frameWidth && a.frameAside == b.frameAside &&
         a.frameAcross == b.frameAcross && a.frameDrop == b.frameDrop &&
         a.frameHeight == b.frameHeight && a.frameBottom == b.frameBottom &&
         a.dropCap == b.dropCap && !b.frameOpens;
}

bool endsInBreak(std::u16string_view text, uint32_t end) {
  if (end > text.size()) return false;
  if (end && (text[end - 1] == kParagraphMark || text[end - 1] == kCellMark)) --end;
  return end && text[end - 1] == kLineBreak;
}

uint32_t stretchedTail(const Story& s, uint32_t start, uint32_t end, const ParagraphFormat& f,
                       bool stretch) {
  if (!stretch || f.align != Align::Justify || end > s.text.size() || start >= end) return 0;
  const size_t at = std::u16string_view(s.text).substr(start, end - start).rfind(kLineBreak);
  return at == std::u16string_view::npos ? 0 : start + static_cast<uint32_t>(at) + 1;
}

std::u16string blockCss(const Story& s, uint32_t start, uint32_t end, const ParagraphFormat& f,
                        const ParagraphFormat& styleParagraph, bool item, int32_t defaultStops,
                        CharFormat& base, const std::vector<SideLines>* lines) {
  // Lines are measured by the style's font and size, else by the text's.
  CharFormat text = base;
  if (const size_t r = ops::runAt(s, start); r < s.runs.size()) {
    if (text.font.empty()) text.font = s.runs[r].format.font;
    if (!text.halfPoints) text.halfPoints = s.runs[r].format.halfPoints;
  }
  // A list item's label starts its first line, as in the document, and
  // a tab after it takes the text to the next stop: the indent, where
  // the first line hangs. A centred item's label goes with its text.
  const bool centred = f.align == Align::Center || f.align == Align::Right;
  // A justified line would widen the tab after the label (browsers
  // count a tab as a space to stretch), moving the first line's text
  // off its indent: such a label stands outside the text, its tab
  // reaching the indent.
  const bool outside = item && (f.align == Align::Justify || f.align == Align::Distribute) &&
                       labelHangs(f, text.halfPoints, defaultStops);
  ParagraphFormat shown = f;
  if (item && (centred || outside)) shown.indentFirst = 0;
  // Lines as tall as their letters: where all the text is smaller than
  // its style's, the paragraph's own size would hold its lines apart, and
  // its own face, set apart from the text's, push them further. A least
  // height of lines is weighed against the letters shown too; where it
  // holds their lines apart, the paragraph's size is left as it is.
  const bool ownLetters = !(item || f.dropCap || f.dropLetters);
  const uint16_t small = ownLetters ? smallestLetters(s, start, end, base) : 0;
  const CharFormat styleText = text;
  if (small) text.halfPoints = small;
  std::u16string css = paragraphCss(shown, styleParagraph, text, false, &styleText, lines);
  if (outside) css += u"list-style-position:outside;";
  if (item) css += labelLookCss(s, start, end, base);
  const bool tabbed = item && !centred && f.labelFollow == LabelFollow::Tab;
  if (const int32_t stops = tabbed ? listTabSize(f, text.halfPoints, defaultStops) : defaultStops;
      stops != defaultStops)
    css += u"tab-size:" + rems(stops, 20) + u";";
  // A drop cap stands beside the paragraph after it, as in the document.
  if (f.dropCap) css += u"float:inline-start;margin-inline-end:0.333333rem;";
  if (!ownLetters) return css;
  const bool leastHolds = f.lineRule == LineRule::AtLeast && f.lineSpacing > 0 &&
                          runLineCss(text, f.lineSpacing).empty();
  if (small && !leastHolds) {
    css += u"font-size:" + rems(small, 2) + u";";
    base.halfPoints = small;
  }
  if (const CharFormat* face = sharedFace(s, start, end, base)) {
    CharFormat faced = base;
    faced.font = face->font;
    faced.fontClass = face->fontClass;
    if (const std::u16string family = fontFamily(face->font, face->fontClass); !family.empty())
      css += u"font-family:" + family + u";" + weightCss(faced, &base);  // a Light face's too
    base = std::move(faced);
  }
  return css;
}

}  // namespace word::write
