#include "word/read/look.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "word/border_lines.h"

namespace word::read {

uint32_t shadingColour(uint32_t fill, uint32_t pattern, int permille) {
  permille = std::clamp(permille, 0, 1000);
  if (permille == 0) return fill;
  if (fill == kAutoColor) fill = 0xFFFFFF;
  if (pattern == kAutoColor) pattern = 0x000000;
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t f = (fill >> shift) & 0xFF, p = (pattern >> shift) & 0xFF;
    const uint32_t mixed =
        (p * static_cast<uint32_t>(permille) + f * static_cast<uint32_t>(1000 - permille) + 500) /
        1000;
    out |= mixed << shift;
  }
  return out;
}

FontClass fontClassNamed(std::string_view name) {
  if (name == "roman") return FontClass::Roman;
  if (name == "swiss") return FontClass::Swiss;
  if (name == "modern") return FontClass::Modern;
  if (name == "script") return FontClass::Script;
  if (name == "decorative") return FontClass::Decorative;
  return FontClass::Unknown;
}

void classifyFonts(Model& m, const FontClasses& classes) {
  if (classes.empty()) return;
  auto set = [&](CharFormat& f) {
    if (f.font.empty()) return;
    auto it = classes.find(f.font);
    f.fontClass = it != classes.end() ? it->second : FontClass::Unknown;
  };
  auto story = [&](Story& s) {
    for (Run& r : s.runs) set(r.format);
  };
  story(m.main);
  for (Note& n : m.notes) story(n.body);
  for (Style& s : m.styles) set(s.chars);
}

void setParagraphBorder(ParagraphFormat& f, const ParagraphLines& lines,
                        std::vector<SideLines>* table) {
  static constexpr uint8_t kBits[] = {kBorderTop, kBorderLeft, kBorderBottom, kBorderRight,
                                      kBorderBetween};
  f.borderSides = f.borderOther = f.thirdLine = 0;
  f.border = f.otherBorder = {};
  SideLines more{};  // each side's own past the first two lines
  auto sameLine = [](Border a, Border b) {
    a.room = b.room = 0;
    return a == b;
  };
  // The room of each side drawn, kept on its own where the sides differ.
  std::array<uint8_t, 4> rooms{};
  bool sameRoom = true;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::optional<Border>& b = lines[i];
    if (!b || b->style == LineStyle::None || b->style == LineStyle::Unknown) continue;
    if (f.borderSides == 0) {
      f.border = *b;
    } else if (!sameLine(*b, f.border)) {
      if (!f.borderOther) f.otherBorder = {b->style, b->width, 0, b->color};
      if (sameLine(*b, f.otherBorder)) {
        f.borderOther |= kBits[i];
      } else if (table) {
        more[i] = {b->style, b->width, 0, b->color};
      }
    }
    if (i < rooms.size()) rooms[i] = b->room;
    sameRoom = sameRoom && (i == 4 || b->room == f.border.room);
    f.borderSides |= kBits[i];
  }
  if (more != SideLines{}) f.thirdLine = ops::borderLineNumber(*table, more);
  f.sideRooms = {};
  if (!sameRoom) {
    f.border.room = 0;
    f.sideRooms = rooms;
  }
}

uint8_t frameRoom(int64_t twips) {
  return static_cast<uint8_t>(std::clamp<int64_t>((twips + 10) / 20, 0, 255));
}

uint8_t frameHeightOf(int64_t twips) {
  return static_cast<uint8_t>(std::clamp<int64_t>(twips / 80, 0, 255));
}

void BoxPlace::apply(ParagraphFormat& f) {
  if (side == FrameSide::None || f.frame != FrameSide::None || f.dropCap) return;
  f.frame = side;
  f.frameWidth = width;
  f.frameHeight = height;
  f.frameAside = aside;
  f.frameOpens = std::exchange(opens, false);
  f.frameBottom = bottom;
}

BoxPlace boxPlace(PictureSide side, int64_t width, int64_t height, int64_t aside) {
  if ((side != PictureSide::Start && side != PictureSide::End) || width <= 0) return {};
  return {side == PictureSide::Start ? FrameSide::Left : FrameSide::Right,
          static_cast<uint16_t>(std::min<int64_t>(width, 31680)), frameHeightOf(height),
          frameRoom(aside), true};
}

void FrameRun::place(ParagraphFormat& f, const FrameHeight& height) {
  if (f.frame == FrameSide::None || f.dropCap) {
    open_ = false;
    return;
  }
  const bool alike = open_ && f.frame == last_.frame && f.frameWidth == last_.frameWidth &&
                     f.frameAside == last_.frameAside && f.frameAcross == last_.frameAcross &&
                     height.onPage == lastHeight_.onPage && height.y == lastHeight_.y;
  if (!open_) {
    placed_ = 0;
    top_ = height.onPage ? height.y : std::nullopt;
  }
  int64_t drop = 0;
  if (alike) {
    drop = int64_t{last_.frameDrop} * 20;
  } else if (height.y && (!height.onPage || top_)) {
    // Its place below the run's text; a page floats it no higher than the
    // frame before it, whose drop it starts from.
    drop = (height.onPage ? int64_t{*height.y} - *top_ : *height.y) - placed_;
  }
  f.frameDrop = frameRoom(drop);
  f.frameOpens = !alike;
  if (!alike) placed_ += int64_t{f.frameDrop} * 20;
  open_ = true;
  last_ = f;
  lastHeight_ = height;
}

void applyListIndents(ParagraphFormat& f, const ListIndents& level, const ListIndents& own) {
  if (level.left && !own.left) f.indentLeft = *level.left;
  if (level.right && !own.right) f.indentRight = *level.right;
  if (level.first && !own.first) f.indentFirst = *level.first;
}

LabelFollow labelFollowNamed(std::string_view name) {
  return name == "space"     ? LabelFollow::Space
         : name == "nothing" ? LabelFollow::Nothing
                             : LabelFollow::Tab;
}

void applyLabelLook(ParagraphFormat& f, const LabelLook& look) {
  f.labelLook = 0;
  if (look.bold) f.labelLook |= *look.bold ? kLabelBoldSet | kLabelBold : kLabelBoldSet;
  if (look.italic) f.labelLook |= *look.italic ? kLabelItalicSet | kLabelItalic : kLabelItalicSet;
  f.labelHalfPoints = std::min<uint16_t>(look.halfPoints.value_or(0), 4095);
  f.labelColor = look.color.value_or(kAutoColor);
}

void mergeTabStops(std::vector<TabStop>& below, const std::vector<TabStop>& top) {
  // Real paragraphs set a handful; a bound keeps a damaged list cheap.
  constexpr size_t kMaxStops = 64;
  for (const TabStop& t : top) {
    std::erase_if(below, [&](const TabStop& b) { return b.pos == t.pos; });
    if (!t.clear && below.size() < kMaxStops) below.push_back(t);
  }
}

void applyTabStops(ParagraphFormat& f, const std::vector<TabStop>& stops) {
  const TabStop *first = nullptr, *last = nullptr;
  for (const TabStop& t : stops) {
    if (t.clear || t.pos <= 0) continue;
    if (!last || t.pos > last->pos) last = &t;
    if (!first || t.pos < first->pos) first = &t;
  }
  auto twips = [](int32_t pos) {
    return static_cast<int16_t>(std::min<int32_t>(pos, std::numeric_limits<int16_t>::max()));
  };
  // The last stop sets a row where it aligns the text by other than its
  // start, so that a leader fills up to that text however far the stop.
  const bool ends = last && last->align != TabAlign::Start;
  f.tabEnd = ends ? twips(last->pos) : 0;
  f.tabLeader = ends ? last->leader : TabLeader::None;
  f.tabEndAlign = ends ? last->align : TabAlign::End;
  const bool start = first && first->align == TabAlign::Start;
  f.tabStart = start ? twips(first->pos) : 0;
  f.tabStartLeader = start ? first->leader : TabLeader::None;
  std::vector<const TabStop*> at;
  for (const TabStop& t : stops)
    if (!t.clear && t.pos > 0 && !(ends && &t == last)) at.push_back(&t);
  std::stable_sort(at.begin(), at.end(),
                   [](const TabStop* a, const TabStop* b) { return a->pos < b->pos; });
  f.tabStops = {};
  f.tabAligns = 0;
  for (size_t i = 0; i < at.size() && i < f.tabStops.size(); ++i) {
    f.tabStops[i] = twips(at[i]->pos);
    f.tabAligns |= static_cast<uint8_t>(static_cast<uint8_t>(at[i]->align) << (2 * i));
  }
}

namespace {
constexpr int64_t kHalfWidth = 4680;  // half of 6.5 inches
}

PictureSide placedSide(bool ownLine, std::string_view align, int64_t middle) {
  constexpr int64_t kBand = 720;  // half an inch
  const bool start = align == "left" || align == "inside";
  const bool end = align == "right" || align == "outside";
  const bool centre = align == "center";
  if (!start && !end && !centre) {
    if (ownLine && std::abs(middle - kHalfWidth) <= kBand) return PictureSide::OwnLineCentre;
    return middle > kHalfWidth ? (ownLine ? PictureSide::OwnLineEnd : PictureSide::End)
                               : (ownLine ? PictureSide::OwnLine : PictureSide::Start);
  }
  if (!ownLine) return end ? PictureSide::End : PictureSide::Start;
  return end ? PictureSide::OwnLineEnd : centre ? PictureSide::OwnLineCentre : PictureSide::OwnLine;
}

std::u16string fontName(std::u16string name) {
  if (name.size() > kMaxFontName) name.resize(kMaxFontName);
  return name;
}

PictureSide overTextSide(std::string_view align, int64_t middle, int64_t width) {
  return placedSide(width > kHalfWidth, align, middle);
}

}  // namespace word::read
