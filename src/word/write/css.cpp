#include "word/write/css.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "word/font_names.h"
#include "word/story_ops.h"
#include "word/write/list_css.h"

namespace word::write {

std::u16string ascii(std::string_view s) {
  return std::u16string(s.begin(), s.end());
}

namespace {

// `value / divisor` with up to `places` decimals (at most six), rounded
// half away from zero, then `unit`. Integer work into a buffer of its own:
// this runs for every formatted run of every page.
std::u16string fixed(int64_t value, int64_t divisor, int places, std::u16string_view unit = {}) {
  const bool negative = value < 0;
  const uint64_t magnitude =
      negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  const uint64_t d = static_cast<uint64_t>(divisor > 0 ? divisor : 1);
  places = std::clamp(places, 0, 6);
  uint64_t scale = 1;
  for (int i = 0; i < places; ++i) scale *= 10;
  const uint64_t parts = (magnitude * scale + d / 2) / d;
  // From the last digit back: a sign, 20 digits at most, a point and six;
  // the unit after them.
  char16_t text[48];
  char16_t* const end = text + 32;
  char16_t* p = end;
  if (uint64_t frac = parts % scale) {
    int digits = places;
    for (; frac % 10 == 0; frac /= 10) --digits;  // no trailing zeros
    for (; digits > 0; --digits, frac /= 10) *--p = static_cast<char16_t>(u'0' + frac % 10);
    *--p = u'.';
  }
  uint64_t whole = parts / scale;
  do {
    *--p = static_cast<char16_t>(u'0' + whole % 10);
    whole /= 10;
  } while (whole);
  if (negative && parts != 0) *--p = u'-';
  const size_t units = std::min(unit.size(), std::size(text) - 32);
  std::copy_n(unit.begin(), units, end);
  return std::u16string(p, end + units);
}

}  // namespace

std::u16string decimal(int64_t value, int divisor) {
  // Hundredths: whole numbers of them for the units used (half points,
  // twips).
  return fixed(value, divisor, 2);
}

std::u16string points(int64_t value, int divisor) {
  return fixed(value, divisor, 2, u"pt");
}

std::u16string indentLength(int32_t twips) {
  // Up to half an inch as it is: a narrow column takes that. A wider one
  // is whole where the window has room for it, and held otherwise to that
  // room, the more of a fifth of the column and what the window holds
  // beyond 20rem of text, with an eighth of the indent over it: on a phone
  // the text keeps a column to read in, and deeper indents stand deeper.
  if (twips >= -720 && twips <= 720) return rems(twips, 20);
  const std::u16string room = u"max(20%,100vw - 20rem)";
  if (twips > 0) return u"min(" + rems(twips, 20) + u"," + rems(twips, 160) + u" + " + room + u")";
  return u"max(" + rems(twips, 20) + u"," + rems(twips, 160) + u" - " + room + u")";
}

std::u16string rems(int64_t value, int divisor) {
  // Browsers' default text is 16 pixels, 12 points: a point is a twelfth
  // of it. Six decimals give a browser the size it gave the points, to the
  // precision it keeps, so that lines break where they did.
  return fixed(value, int64_t{divisor > 0 ? divisor : 1} * 12, 6, u"rem");
}

std::u16string colour(uint32_t rgb) {
  std::u16string out(7, u'#');
  for (int i = 6; i > 0; --i, rgb >>= 4) out[i] = u"0123456789ABCDEF"[rgb & 0xF];
  return out;
}

namespace {

// ASCII letters in lower case, all else as it is (what std::tolower does
// below 128 in the C locale, without a call per letter).
char16_t lowerAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

bool alnumAscii(char16_t c) {
  return (c >= u'0' && c <= u'9') || (lowerAscii(c) >= u'a' && lowerAscii(c) <= u'z');
}

bool sameLetters(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

// A table of fonts' (or words') values, looked up by name.
template <class T>
struct Named {
  std::u16string_view name;
  T value;
};

// `table`'s value for `name`, letter case aside; `otherwise` where it has
// none.
template <class T, size_t N>
T valueNamed(const Named<T> (&table)[N], std::u16string_view name, T otherwise) {
  for (const Named<T>& e : table)
    if (sameLetters(name, e.name)) return e.value;
  return otherwise;
}

// Fonts made to the metrics of the common ones, free and found on most
// systems that lack the originals.
const char16_t* metricTwins(std::u16string_view font) {
  static constexpr Named<const char16_t*> kTwins[] = {
      {u"Calibri", u"'Carlito',"},
      {u"Cambria", u"'Caladea',"},
      {u"Arial", u"'Liberation Sans','Arimo',"},
      {u"Helvetica", u"'Liberation Sans','Arimo',"},
      {u"Arial Narrow", u"'Liberation Sans Narrow',"},
      {u"Times New Roman", u"'Liberation Serif','Tinos',"},
      {u"Times", u"'Liberation Serif','Tinos',"},
      {u"Courier New", u"'Liberation Mono','Cousine',"},
      {u"Courier", u"'Liberation Mono','Cousine',"}};
  return valueNamed(kTwins, font, u"");
}

// A face a family's last word names ("Calibri Light", "Arial Black"):
// the family it belongs to and its weight; 0 when the word names none.
std::pair<std::u16string_view, int> faceOf(std::u16string_view font) {
  static constexpr Named<int> kWeights[] = {
      {u"Thin", 100},      {u"ExtraLight", 200}, {u"UltraLight", 200}, {u"Light", 300},
      {u"SemiLight", 350}, {u"Medium", 500},     {u"SemiBold", 600},   {u"DemiBold", 600},
      {u"Demi", 600},      {u"ExtraBold", 800},  {u"UltraBold", 800},  {u"Heavy", 800},
      {u"Black", 900}};
  const size_t space = font.rfind(u' ');
  if (space == std::u16string_view::npos) return {font, 0};
  if (const int weight = valueNamed(kWeights, font.substr(space + 1), 0))
    return {font.substr(0, space), weight};
  return {font, 0};
}

// The generic family of a font the table does not class, by the words in
// its name; sans-serif when they say nothing.
const char16_t* genericByName(std::u16string_view font) {
  std::string name(font.size(), ' ');
  for (size_t i = 0; i < font.size(); ++i)
    if (font[i] < 128) name[i] = static_cast<char>(lowerAscii(font[i]));
  auto has = [&](std::initializer_list<std::string_view> words) {
    for (std::string_view w : words)
      if (name.find(w) != std::string::npos) return true;
    return false;
  };
  if (has({"mono", "courier", "consol", "typewriter", "fixed", "terminal", "code"}))
    return u"monospace";
  if (has({"script", "comic", "brush", "hand", "cursive", "chancery"})) return u"cursive";
  if (!has({"sans", "gothic", "grotesk"}) &&
      has({"serif",      "times",    "roman", "georgia", "garamond",    "cambria", "caladea",
           "antiqua",    "palatino", "book",  "century", "baskerville", "bodoni",  "caslon",
           "constantia", "mincho",   "song",  "batang",  "myungjo",     "tinos",   "gelasio"}))
    return u"serif";
  return u"sans-serif";
}

const char16_t* generic(std::u16string_view font, FontClass fontClass) {
  switch (fontClass) {
    case FontClass::Roman:
      return u"serif";
    case FontClass::Swiss:
      return u"sans-serif";
    case FontClass::Modern:
      return u"monospace";
    case FontClass::Script:
      return u"cursive";
    case FontClass::Decorative:
      return u"fantasy";
    case FontClass::Unknown:
      break;
  }
  return genericByName(font);
}

// Space as shown: automatic spacing is 14pt.
int32_t shownSpace(int32_t twips) {
  return twips == kAutoSpacing ? 280 : std::max(twips, 0);
}

// A font's own line, the height the word processor's single spacing
// gives it, in thousandths of its size (from the fonts' tables; 1150 for
// a font not named here, near that of most text faces).
int32_t ownLine(std::u16string_view font) {
  static constexpr Named<int32_t> kLines[] = {
      {u"Calibri", 1221},      {u"Cambria", 1172},      {u"Times New Roman", 1150},
      {u"Arial", 1150},        {u"Courier New", 1133},  {u"Georgia", 1136},
      {u"Verdana", 1215},      {u"Tahoma", 1207},       {u"Segoe UI", 1330},
      {u"Trebuchet MS", 1161}, {u"Comic Sans MS", 1394}};
  const auto [family, weight] = faceOf(font);
  return valueNamed(kLines, weight ? family : font, 1150);
}

// The line height of a paragraph whose text is `text`'s (0 points: the
// default 12pt): "normal" for a single line, the font's own; lines of a
// multiple of it as that multiple of the font's own line, which a page
// can only give as a multiple of the font's size.
std::u16string lineHeight(const ParagraphFormat& f, const CharFormat& text) {
  const uint16_t halfPoints = text.halfPoints;
  switch (f.lineRule) {
    case LineRule::Multiple:
      if (f.lineSpacing <= 0 || f.lineSpacing == kSingleLine) break;
      return decimal(int64_t{f.lineSpacing} * ownLine(text.font), kSingleLine * 1000);
    case LineRule::Exactly:
      if (f.lineSpacing <= 0) break;
      return rems(f.lineSpacing, 20);
    case LineRule::AtLeast: {
      // A page has no least height of lines: one below the font's own line
      // (about 1.15 times its size) leaves the font's.
      const int64_t size = halfPoints ? halfPoints : 24;
      if (int64_t{f.lineSpacing} * 100 <= size * 10 * 115) break;
      return rems(f.lineSpacing, 20);
    }
  }
  return u"normal";
}

// A font's name as CSS may quote it: only characters that cannot end the
// declaration or the attribute. A web page pasted into the document leaves
// CSS keywords behind as font names ("inherit": the text around it); they
// name no font, so the text keeps its paragraph's.
std::u16string quotable(std::u16string_view name) {
  std::u16string font;
  for (char16_t c : name)
    if (c >= 128 || alnumAscii(c) || c == u' ' || c == u'-' || c == u'_') font.push_back(c);
  for (std::u16string_view keyword : {u"inherit", u"initial", u"unset", u"revert", u"default"})
    if (sameLetters(font, keyword)) return {};
  return font;
}

// The list of fonts fontFamily gives.
std::u16string familyList(std::u16string_view name, FontClass fontClass, uint16_t asianFont) {
  const std::u16string font = quotable(name);
  if (font.empty()) return {};
  // The East Asian font after the text's own and its twins: a browser takes
  // each character from the first font in the list that has it, so Latin
  // letters keep their font and Chinese, Japanese and Korean ones, which it
  // lacks, come from the East Asian font, before the generic family (which
  // has them all).
  const std::u16string asian = asianFont ? quotable(asianFontName(asianFont)) : u"";
  // A face of a family keeps to the family's twins, in its weight.
  return u"'" + font + u"'," + metricTwins(faceOf(font).first) +
         (asian.empty() || asian == font ? u"" : u"'" + asian + u"',") + generic(font, fontClass);
}

}  // namespace

std::u16string fontFamily(std::u16string_view name, FontClass fontClass, uint16_t asianFont) {
  // A document names a few fonts in many paragraphs and runs: each list
  // is made once a thread, and made afresh past a bound, against a
  // document of countless fonts. (East Asian fonts' numbers hold for the
  // whole process.)
  thread_local std::unordered_map<std::u16string, std::u16string> made;
  std::u16string key(name);
  key += static_cast<char16_t>(fontClass);
  key += static_cast<char16_t>(asianFont);
  if (const auto it = made.find(key); it != made.end()) return it->second;
  if (made.size() >= 1024) made.clear();
  return made.emplace(std::move(key), familyList(name, fontClass, asianFont)).first->second;
}

int shownWeight(const CharFormat& f) {
  if (f.bold) return 700;
  const int weight = faceOf(f.font).second;
  return weight ? weight : 400;
}

std::u16string weightCss(const CharFormat& f, const CharFormat* base) {
  const int weight = shownWeight(f), under = base ? shownWeight(*base) : 400;
  // Over regular text the page's <b> tag makes bold; over a light face it
  // is only "bolder", which is regular.
  if (weight == under || (base && weight == 700 && under == 400)) return {};
  return weight == 700   ? u"font-weight:bold;"
         : weight == 400 ? u"font-weight:normal;"
                         : u"font-weight:" + decimal(weight, 1) + u";";
}

std::u16string paragraphCss(const ParagraphFormat& f, const ParagraphFormat& base,
                            const CharFormat& text, bool stateDirection, const CharFormat* baseText,
                            const std::vector<SideLines>* lines) {
  std::u16string css;
  // Alignment and margins by the page's sides: a right-to-left paragraph's
  // start is its right.
  const bool turned = stateDirection || f.rightToLeft != base.rightToLeft;
  if (turned) css += f.rightToLeft ? u"direction:rtl;" : u"direction:ltr;";
  if (turned || f.align != base.align) {
    static const char16_t* names[] = {u"left", u"center", u"right", u"justify", u"justify"};
    int side = std::min(static_cast<int>(f.align), 4);
    if (f.rightToLeft && (f.align == Align::Left || f.align == Align::Right)) side = 2 - side;
    css += std::u16string(u"text-align:") + names[side] + u";";
    if (f.align == Align::Distribute)
      css += u"text-align-last:justify;";
    else if (base.align == Align::Distribute)
      css += u"text-align-last:auto;";
  }
  auto onPage = [](const ParagraphFormat& p) {
    Indents i = shownIndents(p);
    if (p.rightToLeft) std::swap(i.left, i.right);
    return i;
  };
  const Indents in = onPage(f), from = onPage(base);
  if (in.left != from.left) css += u"margin-left:" + indentLength(in.left) + u";";
  if (in.right != from.right) css += u"margin-right:" + indentLength(in.right) + u";";
  if (in.first != from.first) css += u"text-indent:" + indentLength(in.first) + u";";
  css += paragraphBorderCss(f, base, lines);
  // The word processor draws a box and shading from the outermost line: a
  // hanging first line stands inside them, the box beginning there and
  // the other lines kept at their indent by the room inside it.
  const bool boxed = f.borderSides & (f.rightToLeft ? kBorderRight : kBorderLeft);
  if ((boxed || f.shading != kAutoColor) && in.first < 0) {
    const std::u16string side = f.rightToLeft ? u"right:" : u"left:";
    const int32_t start = f.rightToLeft ? in.right : in.left;
    // The room inside: the border's, or the shading's where no line is drawn.
    const bool lined = f.borderSides & (kBorderTop | kBorderLeft | kBorderBottom | kBorderRight);
    const uint8_t own = f.sideRooms[f.rightToLeft ? 3 : 1];
    const int32_t room = f.sideRooms != decltype(f.sideRooms){} ? own * 20
                         : boxed ? (f.border.room ? f.border.room * 20 : 80)
                         : lined ? 0
                                 : f.border.room * 20;
    css += u"margin-" + side + rems(start + in.first, 20) + u";padding-" + side +
           rems(room - in.first, 20) + u";text-indent:" + rems(in.first, 20) + u";";
  }
  // Where the box goes on into the paragraph above or below, the space
  // there lies inside it, as in the document, not as a gap in its sides.
  // A line between it and the next paragraph of its box lies below its
  // space after, a point away from its text.
  const bool sides = f.borderSides & (kBorderLeft | kBorderRight);
  const bool lineBetween = f.borderSides & kBorderBetween;
  const bool openAbove = sides && (f.borderSides & kBoxGoesOnAbove);
  const bool openBelow = sides && (f.borderSides & kBoxGoesOnBelow);
  if (openAbove)
    css += u"margin-top:0;padding-top:" + rems(shownSpace(f.spaceBefore), 20) + u";";
  else if (shownSpace(f.spaceBefore) != shownSpace(base.spaceBefore))
    css += u"margin-top:" + rems(shownSpace(f.spaceBefore), 20) + u";";
  if (openBelow || lineBetween)
    css += u"margin-bottom:0;padding-bottom:" +
           rems(shownSpace(f.spaceAfter) + (lineBetween ? roomAcross(f.line(kBorderBetween)) : 0),
                20) +
           u";";
  else if (shownSpace(f.spaceAfter) != shownSpace(base.spaceAfter))
    css += u"margin-bottom:" + rems(shownSpace(f.spaceAfter), 20) + u";";
  // The same spacing over the same letters gives the same height: only
  // where they differ are both written to be compared.
  const CharFormat& baseLetters = baseText ? *baseText : text;
  const bool sameLine = f.lineRule == base.lineRule && f.lineSpacing == base.lineSpacing &&
                        text.halfPoints == baseLetters.halfPoints && text.font == baseLetters.font;
  if (!sameLine)
    if (std::u16string line = lineHeight(f, text); line != lineHeight(base, baseLetters))
      css += u"line-height:" + line + u";";
  if (f.shading != base.shading) {
    css += u"background-color:" +
           (f.shading == kAutoColor ? std::u16string(u"transparent") : colour(f.shading)) + u";";
    // Automatic text shows white on dark shading, and dark again off it.
    if (text.color == kAutoColor) {
      std::u16string on = textOn(f.shading);
      css += !on.empty() || textOn(base.shading).empty() ? on : u"color:inherit;";
    }
  }
  return css;
}

namespace {

// Whether paragraph `p` shows no `space` toward `neighbour`.
bool noSpace(const ParagraphFormat& p, const ParagraphFormat* neighbour, int32_t space) {
  if (space == 0) return true;
  if (p.contextualSpacing && neighbour && neighbour->style == p.style) return true;
  return space == kAutoSpacing && (!neighbour || (p.listId >= 0 && neighbour->listId == p.listId));
}

}  // namespace

ParagraphFormat spacedBetween(ParagraphFormat f, const ParagraphFormat* before,
                              const ParagraphFormat* after) {
  if (noSpace(f, before, f.spaceBefore)) f.spaceBefore = 0;
  if (noSpace(f, after, f.spaceAfter)) f.spaceAfter = 0;
  // Paragraphs in a row with one border share one box: no line between,
  // unless the border draws one there (below each but the last, the
  // between flag kept where it does). Not across a frame's edge.
  auto sameBox = [&f](const ParagraphFormat* neighbour, bool above) {
    return f.borderSides && neighbour && neighbour->borderSides == f.borderSides &&
           neighbour->border == f.border && neighbour->borderOther == f.borderOther &&
           neighbour->otherBorder == f.otherBorder && neighbour->thirdLine == f.thirdLine &&
           (above ? sameFrame(*neighbour, f) : sameFrame(f, *neighbour));
  };
  const bool joinsBefore = sameBox(before, true), joinsAfter = sameBox(after, false);
  const bool lineBelow = joinsAfter && (f.borderSides & kBorderBetween);
  // A point of room under the line above, as under a top line.
  if (joinsBefore && (f.borderSides & kBorderBetween) && f.spaceBefore != kAutoSpacing)
    f.spaceBefore += roomAcross(f.line(kBorderBetween));
  if (joinsBefore)
    f.borderSides = static_cast<uint8_t>((f.borderSides & ~kBorderTop) | kBoxGoesOnAbove);
  if (joinsAfter)
    f.borderSides = static_cast<uint8_t>((f.borderSides & ~kBorderBottom) | kBoxGoesOnBelow);
  f.borderSides &= static_cast<uint8_t>(~kBorderBetween);
  // The line below is then the line between's (paragraphBorderCss).
  if (lineBelow) f.borderSides |= kBorderBottom | kBorderBetween;
  // The word processor adds the space after the paragraph above to this
  // one's space before, outside a box; a page's margins overlap, the
  // larger alone showing. Automatic space overlaps there too.
  if (before && f.spaceBefore > 0 && f.spaceBefore != kAutoSpacing && !joinsBefore &&
      before->spaceAfter != kAutoSpacing && !noSpace(*before, &f, before->spaceAfter))
    f.spaceBefore += before->spaceAfter;
  return f;
}

std::u16string charCss(const CharFormat& f, bool weight, bool lines) {
  std::u16string css;
  if (weight) css += weightCss(f);
  if (f.italic) css += u"font-style:italic;";
  if (lines && (f.underline || f.strike))
    css += std::u16string(u"text-decoration:") + (f.underline ? u"underline" : u"") +
           (f.underline && f.strike ? u" " : u"") + (f.strike ? u"line-through" : u"") +
           (f.strike && f.doubleStrike ? u" double" : u"") + u";" +
           (f.underline && !f.strike ? underlineCss(f) : u"");
  if (f.color != kAutoColor) css += u"color:" + colour(f.color) + u";";
  if (f.highlight != kAutoColor) {
    css += u"background-color:" + colour(f.highlight) + u";";
    if (f.color == kAutoColor && f.shaded) css += textOn(f.highlight);
  }
  if (f.halfPoints) css += u"font-size:" + rems(f.halfPoints, 2) + u";";
  if (std::u16string family = fontFamily(f.font, f.fontClass, f.asianFont); !family.empty())
    css += u"font-family:" + family + u";";
  css += letterPlaceCss(f);
  css += capitalsCss(f);
  css += effectsCss(f);
  return css;
}

std::u16string runOverCss(const CharFormat& f, const CharFormat& base, uint32_t behind,
                          int32_t least) {
  std::u16string css = weightCss(f, &base);
  if (!f.italic && base.italic) css += u"font-style:normal;";
  return css + colourCss(f, base, behind) + sizeAndFaceCss(f, base) + runLineCss(f, least) +
         letterPlaceCss(f, &base) + capitalsCss(f, &base) + effectsCss(f, &base);
}

std::u16string sizeAndFaceCss(const CharFormat& f, const CharFormat& base) {
  std::u16string css;
  if (f.halfPoints != base.halfPoints && f.halfPoints)
    css += u"font-size:" + rems(f.halfPoints, 2) + u";";
  // A run in its paragraph's font with an East Asian font of its own names
  // both; one whose East Asian font is its font, its font alone.
  if (f.font != base.font || f.asianFont != base.asianFont) {
    const std::u16string family = !f.font.empty() ? fontFamily(f.font, f.fontClass, f.asianFont)
                                  : f.asianFont ? fontFamily(base.font, base.fontClass, f.asianFont)
                                                : std::u16string();
    if (!family.empty() && family != fontFamily(base.font, base.fontClass, base.asianFont))
      css += u"font-family:" + family + u";";
  }
  return css;
}

std::u16string blankLine(const Story& s, uint32_t end, const CharFormat& base) {
  const size_t r = end ? ops::runAt(s, end - 1) : s.runs.size();
  const std::u16string css = r < s.runs.size() ? sizeAndFaceCss(s.runs[r].format, base) : u"";
  return css.empty() ? u"&nbsp;" : u"<span style=\"" + css + u"\">&nbsp;</span>";
}

std::u16string runLineCss(const CharFormat& f, int32_t least) {
  // As lineHeight weighs it: the font's own line, about 1.15 times its size.
  const int64_t size = f.halfPoints ? f.halfPoints : 24;
  if (least <= 0 || size * 10 * 115 <= int64_t{least} * 100) return {};
  return u"line-height:normal;";
}

Indents shownIndents(const ParagraphFormat& f) {
  Indents i{f.indentLeft, std::max(f.indentRight, 0), f.indentFirst};
  const int64_t first = int64_t{i.left} + i.first;
  if (i.first < 0) {
    if (first < 0) i.left = static_cast<int32_t>(i.left - first);
  } else if (i.left < 0) {
    i.left = 0;
    i.first = static_cast<int32_t>(std::max<int64_t>(first, 0));
  }
  return i;
}

// The page's style sheet: the defaults and the styles its text uses.
std::u16string styleSheet(const Model& model, const std::vector<std::u16string>& classes) {
  std::u16string out;
  // Only the styles the text uses, in index order.
  std::vector<bool> used(model.styles.size(), false);
  // Where any text runs right to left, every paragraph states its
  // direction: none takes it from the list or table it lies in.
  bool rightToLeft = false, equations = false, lists = false, headings = false, labels = false;
  bool raised = !model.notes.empty();  // letters set above or below the line
  bool linked = !model.notes.empty();  // links in the text
  bool marginCaps = false;             // drop caps that hang in the margin
  bool sideBoxes = false;              // frames and text boxes beside the text
  auto mark = [&](const Story& s) {
    equations = equations || !s.equations.empty();
    for (const Paragraph& p : s.paragraphs) {
      if (p.format.style > 0 && static_cast<size_t>(p.format.style) < used.size())
        used[p.format.style] = true;
      rightToLeft = rightToLeft || p.format.rightToLeft;
      lists = lists || p.format.listId >= 0;
      labels =
          labels ||
          (p.format.listId >= 0 && p.format.outlineLevel > 5 &&
           (p.format.labelLook || p.format.labelHalfPoints || p.format.labelColor != kAutoColor));
      headings = headings || p.format.outlineLevel <= 5;
      marginCaps = marginCaps || p.format.dropInMargin;
      sideBoxes = sideBoxes || !frameCss(p.format).empty();
    }
    for (const Table& t : s.tables) rightToLeft = rightToLeft || t.rightToLeft;
    for (const Run& r : s.runs) {
      raised = raised || r.format.superscript || r.format.subscript;
      linked = linked || !r.format.hyperlink.empty();
    }
  };
  mark(model.main);
  for (const Note& n : model.notes) mark(n.body);
  for (size_t i = 1; i < used.size(); ++i)
    rightToLeft = rightToLeft || (used[i] && model.styles[i].paragraph.rightToLeft);

  out += u"<style>\r\n";
  static const Style kPlainStyle;
  const Style& normal = model.styles.empty() ? kPlainStyle : model.styles[0];
  std::u16string bodyCss = charCss(normal.chars, true, false);
  if (!bodyCss.empty()) out += u"body{" + bodyCss + u"}\r\n";
  // Every paragraph starts from the default style's formatting; the
  // other styles say what they change.
  // A line between paragraphs of one box is each paragraph's to draw.
  auto alone = [](ParagraphFormat f) {
    f.borderSides &= static_cast<uint8_t>(~kBorderBetween);
    return f;
  };
  const std::u16string normalCss =
      paragraphCss(alone(normal.paragraph), kPlainStyle.paragraph, normal.chars, rightToLeft,
                   nullptr, &model.borderLines);
  // A word longer than the line (a row of underscores to write on, a
  // long address) breaks at the page's edge, as in the document, rather
  // than widening the page past the learner's window.
  out += u"p,h1,h2,h3,h4,h5,h6,li{margin:0;overflow-wrap:break-word" +
         (normalCss.empty() ? u"" : u";" + normalCss) + u"}\r\n";
  // A heading is as large and as heavy as its style makes it, not as
  // browsers make headings (the word processor's newer ones are light).
  if (headings) out += u"h1,h2,h3,h4,h5,h6{font-size:1em;font-weight:normal}\r\n";
  const std::u16string tabSize = u"tab-size:" + rems(model.defaultTabStop, 20) + u"}\r\n";
  // Items' labels start their first lines (see listMarker), tabs in
  // them kept; an item's first line does not pass its indent to a list
  // inside it.
  if (lists)
    out += u"ul,ol{margin:0;padding:0;text-indent:0}\r\nli{list-style-position:inside;" + tabSize +
           u"li::marker{white-space:pre" +
           // The look a list level gives its labels, where it gives one
           // (labelOwnCss); each part left unset is the item's.
           (labels ? u";font-weight:var(--lw);font-style:var(--ls);font-size:var(--lz);"
                     u"color:var(--lc)}\r\n"
                   : u"}\r\n");
  else
    out += u"ul,ol{margin:0;padding:0}\r\n";
  out += u"table{border-collapse:collapse}\r\n";
  // Cells whose borders the document does not give keep a grid; a cell's
  // width holds the room inside its sides, as the document's does.
  // A heading row's cells look as the document makes them, not bold and
  // centred as browsers make them.
  out += u"td,th{border:1px solid #000;vertical-align:top;padding:0 " + rems(kCellPadding, 20) +
         u";box-sizing:border-box}\r\nth{font-weight:inherit;text-align:inherit}\r\n";
  // A word longer than its column breaks at the cell's edge, as in the
  // document, rather than widening the column (break-word would not).
  out += u":is(td,th) :is(p,h1,h2,h3,h4,h5,h6,li){overflow-wrap:anywhere}\r\n";
  // Tabs keep their width, to the document's default stops; a row of them
  // wraps at the page's edge.
  out += u".tab{white-space:break-spaces;" + tabSize;
  out += u".note{margin-top:0.5rem}\r\n";
  // A drop cap that hangs in the margin drops into the text where the
  // page leaves no margin to hang it in (the course page's look hangs it).
  if (marginCaps) out += u".margin-cap{float:inline-start;margin-inline-end:0.333333rem}\r\n";
  // A phone's window leaves no room beside a side box: the text squeezed
  // beside a tall narrow column. There the box stands in the text's flow,
  // as wide as the text and no taller than its own (!important: its place
  // is in its inline style).
  if (sideBoxes)
    out +=
        u"@media (max-width:30em){.side-box{float:none!important;width:auto!important;"
        u"max-width:none!important;min-height:0!important;margin-left:0!important;"
        u"margin-right:0!important}.side-drop{display:none}}\r\n";
  // Letters above or below the line at two thirds of their size, as the
  // word processor sets them, holding no line further apart.
  if (raised) out += u"sup,sub{font-size:.65em;line-height:0}\r\n";
  // The document's links, a note's mark and its way back in the colour and
  // underline of their text, as the document shows them (a link of the
  // usual look has its blue and its line in its text's format); the
  // course's reference links, made from markers, look as links do.
  if (linked) out += u"a:not([onclick]){color:inherit;text-decoration:none}\r\n";
  // Equations in the word processor's math face where the learner has
  // it, else in another made for equations: a text face has no taller
  // brackets, roots or sums, which stay short around a matrix or a
  // fraction.
  if (equations)
    out +=
        u"math{font-family:'Cambria Math','STIX Two Math','Latin Modern Math',"
        u"'DejaVu Math TeX Gyre',math}\r\n";
  for (size_t i = 1; i < model.styles.size(); ++i) {
    if (!used[i]) continue;
    out += u"." + classes[i] + u"{" + styleRule(model.styles[i], normal, model.borderLines) +
           u"}\r\n";
  }
  out += u"</style>\r\n";
  return out;
}

std::vector<std::u16string> styleClasses(const std::vector<Style>& styles) {
  std::vector<std::u16string> classes(styles.size());
  std::unordered_set<std::u16string> taken;
  for (size_t i = 1; i < styles.size(); ++i) {
    std::u16string name;
    for (char16_t c : styles[i].name)
      if (c < 128 && std::isalnum(static_cast<unsigned char>(c))) name.push_back(c);
    if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0]))) name = u"s" + name;
    if (!taken.insert(name).second) {
      name += u'-';
      name += ascii(std::to_string(i));
      taken.insert(name);
    }
    classes[i] = std::move(name);
  }
  return classes;
}

}  // namespace word::write
