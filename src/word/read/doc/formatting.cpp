// Formatting: the formatting pages (FKPs) that give each run of text its
// character and paragraph properties by file position, the paragraphs they
// make, and the style sheet turned into the model's formats and styles.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>

#include "word/font_names.h"
#include "word/read/doc/reader_state.h"
#include "word/read/doc/word6.h"
#include "word/read/list_labels.h"
#include "word/read/look.h"

namespace word::read::doc::detail {

std::vector<FcRun> DocReader::readFkps(size_t which, bool paragraphs) {
  std::vector<FcRun> runs;
  Bytes plc = tableSpan(which);
  // Word 6.0/95 page numbers take two bytes: one page is a 10-byte table.
  size_t pnSize = word6_ ? 2 : 4;
  if (plc.size() < 8 + pnSize) return runs;
  size_t n = (plc.size() - 4) / (4 + pnSize);
  size_t bxSize = word6_ ? 7 : 13;
  // The pages to read, each once however often a damaged table names it,
  // and as many runs as their offsets and entries leave room for: 29
  // paragraph runs (46 in Word 6.0/95, whose entries are shorter), 101
  // character runs. They are counted first, so that the list of runs is
  // made once at its size.
  const size_t most = (511 - 4) / (4 + (paragraphs ? bxSize : 1));
  std::vector<Bytes> kept;
  std::set<uint32_t> seen;
  size_t counted = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint32_t pn =
        word6_ ? plc.u16(4 * (n + 1) + 2 * i) : plc.u32(4 * (n + 1) + 4 * i) & 0x3FFFFF;
    const uint64_t off = static_cast<uint64_t>(pn) * 512;
    if (!word_.has(off, 512) || !seen.insert(pn).second || word_.u8(off + 511) > most) continue;
    kept.push_back(word_.sub(off, 512));
    counted += kept.back().u8(511);
  }
  runs.reserve(counted);
  for (const Bytes& page : kept) {
    const size_t crun = page.u8(511);
    for (size_t r = 0; r < crun; ++r) {
      FcRun run;
      run.fcStart = page.u32(4 * r);
      run.fcEnd = page.u32(4 * (r + 1));
      if (run.fcEnd <= run.fcStart) continue;
      if (paragraphs) {
        size_t bx = page.u8(4 * (crun + 1) + bxSize * r) * 2;
        if (bx == 0) continue;
        size_t cb = page.u8(bx);
        if (word6_) {
          Bytes raw = page.sub(bx + 1, 2 * cb);
          std::string& t =
              translated_.emplace_back(raw.view().substr(0, std::min<size_t>(2, raw.size())));
          t += translateWord6Sprms(raw.sub(2, raw.size() >= 2 ? raw.size() - 2 : 0), &run.numbered);
          run.grpprl = Bytes(t);
        } else if (cb == 0) {
          run.grpprl = page.sub(bx + 2, 2 * page.u8(bx + 1));
        } else {
          run.grpprl = page.sub(bx + 1, 2 * cb - 1);
        }
      } else {
        size_t b = page.u8(4 * (crun + 1) + r) * 2;
        if (b == 0) {
          run.grpprl = Bytes();
        } else if (word6_) {
          run.grpprl =
              Bytes(translated_.emplace_back(translateWord6Sprms(page.sub(b + 1, page.u8(b)))));
        } else {
          run.grpprl = page.sub(b + 1, page.u8(b));
        }
      }
      runs.push_back(run);
    }
  }
  std::stable_sort(runs.begin(), runs.end(),
                   [](const FcRun& a, const FcRun& b) { return a.fcStart < b.fcStart; });
  return runs;
}

const FcRun* DocReader::runAt(const std::vector<FcRun>& runs, uint64_t fc, uint64_t* nextStart) {
  auto it = std::upper_bound(runs.begin(), runs.end(), fc,
                             [](uint64_t v, const FcRun& r) { return v < r.fcStart; });
  // The run starting last at or before fc, if it still covers fc.
  if (it != runs.begin()) {
    auto prev = std::prev(it);
    if (fc < prev->fcEnd) return &*prev;
  }
  if (nextStart) *nextStart = it == runs.end() ? UINT64_MAX : it->fcStart;
  return nullptr;
}

DocReader::PapSource DocReader::papSource(uint32_t markCp) const {
  const Piece* p = pieceAt(markCp);
  if (!p) return {};
  uint64_t fc = p->fc + static_cast<uint64_t>(markCp - p->cpStart) * (p->compressed ? 1 : 2);
  return {p, runAt(papx_, fc, nullptr)};
}

bool DocReader::PapSource::operator==(const PapSource& o) const {
  if (!piece || !o.piece) return !piece && !o.piece;
  if (piece->prm != o.piece->prm || !run != !o.run) return false;
  return !run || (run->grpprl.view() == o.run->grpprl.view() && run->numbered == o.run->numbered);
}

Pap DocReader::papOf(PapSource source) const {
  const Piece* p = source.piece;
  if (!p) return styles_.pap(0);
  const FcRun* run = source.run;
  // The style's properties are copied into the result, not into a copy of
  // their own first: a paragraph's properties hold its tabs and cells.
  int32_t istd = 0;
  Bytes direct;
  if (run) {
    istd = run->grpprl.u16(0);
    direct = run->grpprl.sub(2, run->grpprl.size() >= 2 ? run->grpprl.size() - 2 : 0);
  }
  const Pap& style = styles_.pap(istd);
  auto fromStyle = [&](Pap& pap) {
    pap = style;
    if (!run) return;
    pap.istd = styles_.get(istd) ? istd : 0;
    pap.word6Numbered = run->numbered;
  };
  Pap pap;
  fromStyle(pap);
  applyPap(pap, direct, data_);
  applyPap(pap, prmSprms(p->prm), data_);
  // A list level's properties (its indents above all) count over the
  // style's and under the paragraph's own.
  const ListLevel* level = lists_.levelOf(pap.ilfo, pap.ilvl);
  if (!level || level->papx.empty()) return pap;
  // The paragraph's style and list stay its own, whatever the level says.
  const int32_t ownIstd = pap.istd, ilfo = pap.ilfo;
  const uint8_t ilvl = pap.ilvl;
  fromStyle(pap);
  applyPap(pap, Bytes(level->papx), data_);
  applyPap(pap, direct, data_);
  applyPap(pap, prmSprms(p->prm), data_);
  pap.istd = ownIstd;
  pap.ilfo = ilfo;
  pap.ilvl = ilvl;
  return pap;
}

void DocReader::readSections(uint32_t mainEnd) {
  Bytes plc = tableSpan(kPlcfSed);
  if (plc.size() < 16) return;
  const size_t n = (plc.size() - 4) / 16;  // n + 1 positions, n 12-byte descriptors
  for (size_t i = 1; i < n; ++i) {
    uint32_t cp = plc.u32(4 * i);
    if (cp == 0 || cp > mainEnd || text_[cp - 1] != 12) continue;
    if (sectionBreaks_.empty() || sectionBreaks_.back() < cp - 1) sectionBreaks_.push_back(cp - 1);
  }
  for (size_t i = 0; i < n; ++i) {
    SectionColumns c;
    c.end = plc.u32(4 * (i + 1));
    if (!sections_.empty() && c.end <= sections_.back().end) continue;
    forEachSprm(sectionSprms(plc, n, i), [&](uint16_t sprm, Bytes op) {
      if (sprm == 0x500B)
        c.count = static_cast<uint8_t>(std::min<uint32_t>(op.u16(0), kMaxColumns - 1) + 1);
      if (sprm == 0x900C) c.gap = static_cast<int16_t>(std::clamp<int32_t>(op.i16(0), 0, 14400));
      if (sprm == 0x3019) c.line = op.u8(0) != 0;
    });
    sections_.push_back(c);
  }
}

// The section's properties (SEPX): their size, then their sprms; none
// where the place is -1 (Word 6.0/95 sections are not read).
Bytes DocReader::sectionSprms(Bytes plc, size_t n, size_t i) const {
  const uint32_t fc = plc.u32(4 * (n + 1) + 12 * i + 2);
  if (word6_ || fc == 0xFFFFFFFFu || !word_.has(fc, 2)) return {};
  return word_.sub(fc + 2, word_.u16(fc));
}

void DocReader::columnsAt(ParagraphFormat& f, uint32_t cp) const {
  auto it = std::upper_bound(sections_.begin(), sections_.end(), cp,
                             [](uint32_t at, const SectionColumns& s) { return at < s.end; });
  if (it == sections_.end() || it->count < 2) return;
  f.columns = it->count;
  f.columnGap = static_cast<uint8_t>(std::clamp((it->gap + 10) / 20, 0, 255));  // points
  f.columnLine = it->line;
}

std::vector<Para> DocReader::paragraphs(uint32_t a, uint32_t b) const {
  // Room for every paragraph at once: a record holds its row's cells, and
  // growing the list step by step would move them all each time.
  // The marks ending paragraphs, found in one pass: each is a control
  // character, so any unit above 13 is passed over at once.
  std::vector<uint32_t> marks;
  for (uint32_t cp = a; cp < b; ++cp) {
    const char16_t c = text_[cp];
    if (c > 13) continue;
    if (c == 13 || c == 7 ||
        (c == 12 && std::binary_search(sectionBreaks_.begin(), sectionBreaks_.end(), cp)))
      marks.push_back(cp);
  }
  std::vector<Para> out;
  out.reserve(marks.size() + 1);
  // Paragraphs alike (the same properties in the formatting pages and the
  // same piece's) have their properties read once while they are among the
  // last few kinds read: a document goes back and forth between a handful
  // (headings, body text, list items).
  struct Read {
    PapSource source;
    Pap pap;
  };
  std::array<Read, 8> kept;
  size_t keptCount = 0, newest = 0;
  auto papAt = [&](uint32_t cp) -> const Pap& {
    const PapSource source = papSource(cp);
    for (size_t i = 0, at = newest; i < keptCount; ++i, at = (at + kept.size() - 1) % kept.size())
      if (kept[at].source == source) return kept[at].pap;
    newest = keptCount == 0 ? 0 : (newest + 1) % kept.size();
    keptCount = std::min(keptCount + 1, kept.size());
    Read& read = kept[newest];
    read.source = source;
    read.pap = papOf(source);
    // Only a row's end uses its cell definitions: one run of properties
    // can give them to a hundred thousand paragraphs.
    if (!read.pap.ttp && !read.pap.innerTtp) read.pap.cells = std::vector<TableCellDef>();
    return read.pap;
  };
  uint32_t start = a;
  for (const uint32_t cp : marks) {
    Para p;
    p.start = start;
    p.end = cp + 1;
    p.mark = text_[cp];
    p.pap = papAt(cp);
    out.push_back(std::move(p));
    start = cp + 1;
  }
  if (start < b) {
    Para p;
    p.start = start;
    p.end = b;
    p.mark = 0;
    p.pap = papAt(b - 1);
    out.push_back(std::move(p));
  }
  markTableStructure(out);
  return out;
}

Chp DocReader::runChp(int32_t istd, Bytes grpprl, Bytes prm) const {
  const Chp& styleChp = styles_.chp(istd);
  Chp chp = styleChp;
  applyChp(chp, grpprl, styleChp, &styles_);
  applyChp(chp, prm, styleChp, &styles_);
  return chp;
}

Chp DocReader::runChp(int32_t istd, uint32_t cp) const {
  Chp chp = styles_.chp(istd);
  forEachCharRun(cp, cp + 1, [&](uint32_t, uint32_t, Bytes grpprl, Bytes prm) {
    chp = runChp(istd, grpprl, prm);
  });
  return chp;
}

void DocReader::markLook(LabelLook& look, int32_t istd, uint32_t markCp) const {
  const Chp mark = runChp(istd, markCp);
  const Chp& style = styles_.chp(istd);
  if (!look.bold && mark.bold != style.bold) look.bold = mark.bold;
  if (!look.italic && mark.italic != style.italic) look.italic = mark.italic;
  if (!look.color && mark.color != style.color && mark.color != kAutoColor) look.color = mark.color;
}

namespace {

// The kind of an underline (kul): double, dotted, the dashes (dots between
// them included), the waves, thick; the rest single.
UnderlineStyle underlineStyle(uint8_t kul) {
  switch (kul) {
    case 3:
      return UnderlineStyle::Double;
    case 4:
    case 20:
      return UnderlineStyle::Dotted;
    case 7:
    case 9:
    case 10:
    case 23:
    case 25:
    case 26:
    case 39:
    case 55:
      return UnderlineStyle::Dashed;
    case 11:
    case 27:
    case 43:
      return UnderlineStyle::Wavy;
    case 6:
      return UnderlineStyle::Thick;
    default:
      return UnderlineStyle::Single;
  }
}

}  // namespace

RunLanguages DocReader::runLanguages(const Chp& c) {
  RunLanguages l;
  l.other = languageTable_.numberOfLcid(c.lid);
  l.eastAsian = c.lidFE ? languageTable_.numberOfLcid(c.lidFE) : l.other;
  l.complex = c.lidBi ? languageTable_.numberOfLcid(c.lidBi) : l.other;
  l.allComplex = c.complex;
  return l;
}

CharFormat DocReader::charFormat(const Chp& c) const {
  CharFormat f;
  f.bold = c.complex ? c.boldBi : c.bold;
  f.italic = c.complex ? c.italicBi : c.italic;
  f.underline = c.underline != 0;
  f.underlineStyle = underlineStyle(c.underline);
  f.underlineColor = c.underlineColor;
  f.strike = c.strike || c.dstrike;
  f.doubleStrike = c.dstrike;
  f.superscript = c.iss == 1;
  f.subscript = c.iss == 2;
  f.color = c.color;
  // Shading shows behind the characters where no highlight does.
  f.highlight = c.highlight != kAutoColor ? c.highlight : c.shading;
  f.shaded = c.highlight == kAutoColor && c.shading != kAutoColor;
  f.halfPoints = c.complex ? c.halfPointsBi : c.halfPoints;
  f.smallCaps = c.smallCaps;
  f.allCaps = c.caps;
  f.letterSpacing = c.dxaSpace;
  f.raise = c.hpsPos;
  f.effects = static_cast<uint8_t>((c.outline ? kEffectOutline : 0) |
                                   (c.shadow ? kEffectShadow : 0) | (c.emboss ? kEffectEmboss : 0) |
                                   (c.imprint ? kEffectEngrave : 0) | (c.boxed ? kEffectBox : 0));
  const int32_t font = c.complex && c.fontBi >= 0 ? c.fontBi : c.font;
  if (font >= 0 && static_cast<size_t>(font) < fonts_.size()) {
    f.font = fonts_[font].name;
    f.fontClass = fonts_[font].fontClass;
  }
  if (c.fontFE >= 0 && static_cast<size_t>(c.fontFE) < fonts_.size()) {
    asianFonts_.resize(fonts_.size(), kNotLookedUp);
    uint16_t& id = asianFonts_[static_cast<size_t>(c.fontFE)];
    if (id == kNotLookedUp) id = asianFontId(fonts_[c.fontFE].name);
    f.asianFont = id;
  }
  return f;
}

ParagraphFormat DocReader::paragraphFormat(const Pap& p, std::optional<ListLabel> label,
                                           std::vector<SideLines>* lines) const {
  ParagraphFormat f;
  f.style =
      p.istd >= 0 && static_cast<size_t>(p.istd) < styleIndex_.size() && styleIndex_[p.istd] >= 0
          ? styleIndex_[p.istd]
          : 0;
  f.outlineLevel = p.outline;
  // Right to left, the model's left is the start: the page's right. 4 and
  // 9 are distributed, the latter Thai.
  const bool mirrorJc = p.bidi && p.jcOfPage, mirrorIndents = p.bidi && p.indentsOfPage;
  const bool distributed = p.jc == 4 || p.jc == 9;
  f.align = p.jc == 0     ? (mirrorJc ? Align::Right : Align::Left)
            : p.jc == 1   ? Align::Center
            : p.jc == 2   ? (mirrorJc ? Align::Left : Align::Right)
            : distributed ? Align::Distribute
                          : Align::Justify;
  f.indentLeft = mirrorIndents ? p.right : p.left;
  f.indentRight = mirrorIndents ? p.left : p.right;
  f.rightToLeft = p.bidi;
  f.dropCap = p.dropCap;
  f.dropInMargin = p.dropInMargin;
  // A frame of a width set against a side of the column; any other stays
  // in the flow.
  if (!p.dropCap && p.frameX && p.frameWidth > 0 && p.frameWidth <= 31680) {
    const int16_t x = *p.frameX;
    f.frame = x == 0 || x == -12    ? FrameSide::Left
              : x == -8 || x == -16 ? FrameSide::Right
                                    : FrameSide::None;
    if (f.frame != FrameSide::None) {
      f.frameWidth = p.frameWidth;
      f.frameAside = frameRoom(p.frameAside.value_or(kFrameAside));
      f.frameAcross = frameRoom(p.frameAcross);
      f.frameHeight = frameHeightOf(p.frameTall);
    }
  }
  applyTabStops(f, p.tabs);
  f.indentFirst = p.first;
  constexpr int32_t kMaxSpace = 31680;  // 22 inches, the most the word processor takes
  f.spaceBefore = p.beforeAuto ? kAutoSpacing : std::clamp(p.spaceBefore, 0, kMaxSpace);
  f.spaceAfter = p.afterAuto ? kAutoSpacing : std::clamp(p.spaceAfter, 0, kMaxSpace);
  f.contextualSpacing = p.contextual;
  // A line in 240ths of a single one, or a height lines reach at least
  // (positive) or keep exactly (negative).
  f.lineRule = p.multLine      ? LineRule::Multiple
               : p.dyaLine < 0 ? LineRule::Exactly
                               : LineRule::AtLeast;
  f.lineSpacing = p.multLine && p.dyaLine <= 0 ? kSingleLine : std::abs(int32_t{p.dyaLine});
  f.shading = p.shading;
  setParagraphBorder(f, p.borders, lines);
  if (label) {
    f.listId = label->listId;
    f.listLevel = p.ilvl;
    f.listOrdered = label->ordered;
    f.labelFollow = label->follow;
    applyLabelLook(f, label->look);
    f.listLabel = std::move(label->text);
  }
  return f;
}

// A bullet drawn from the Symbol or Wingdings font shows as the character
// it draws (a check mark, an arrowhead); from another pictograph font, or
// none we know, as the usual bullet of its level.
std::u16string DocReader::bullet(char16_t c, int32_t font, uint8_t level) const {
  const Font* f = font >= 0 && static_cast<size_t>(font) < fonts_.size() ? &fonts_[font] : nullptr;
  if (f && (f->name == u"Symbol" || f->name.starts_with(u"Wingdings"))) {
    if (const char16_t shown = mapSymbolChar(c, word::u8(f->name));
        shown < 0xE000 || shown >= 0xF900)
      return std::u16string(1, shown);
  }
  if ((c >= 0xF000 && c <= 0xF0FF) || (f && f->symbol)) {
    static constexpr char16_t kByLevel[3] = {0x2022, 0x25E6, 0x25AA};
    return std::u16string(1, kByLevel[level % 3]);
  }
  if (c == u'o' && f && f->name == u"Courier New") return u"\u25E6";
  return std::u16string(1, c);
}

bool DocReader::symbolFont(int32_t font) const {
  return font >= 0 && static_cast<size_t>(font) < fonts_.size() &&
         read::symbolFont(fonts_[static_cast<size_t>(font)].name);
}

char16_t DocReader::shownSymbol(char16_t c, int32_t font) const {
  std::u16string one(1, c);
  if (font >= 0 && static_cast<size_t>(font) < fonts_.size()) showSymbols(one, fonts_[font].name);
  return one[0];
}

void DocReader::addStyles(Builder& b) {
  styleIndex_.assign(styles_.size(), -1);
  std::vector<uint8_t> state(styles_.size(), 0);
  // Bases first, so each style can name its base's model index.
  auto add = [&](auto& self, int32_t istd, int depth) -> int32_t {
    const doc::Style* s = styles_.get(istd);
    if (!s || (s->kind != 1 && s->kind != 2)) return -1;
    if (state[istd] == 2) return styleIndex_[istd];
    if (state[istd] == 1 || depth > 32) return -1;
    state[istd] = 1;
    int32_t base = s->base >= 0 ? self(self, s->base, depth + 1) : -1;
    word::Style st;
    if (s->sti == 0)
      st.name = u"Normal";
    else if (s->sti >= 1 && s->sti <= 9)
      st.name = std::u16string(u"heading ") + static_cast<char16_t>(u'0' + s->sti);
    else
      st.name = s->name;
    st.basedOn = base;
    st.character = s->kind == 2;
    if (s->kind == 1) {
      st.paragraph = paragraphFormat(s->pap, std::nullopt);
      st.paragraph.style = 0;
      st.chars = charFormat(s->chp);
    } else {
      Chp c = styles_.chp(0);
      applyChp(c, s->chpx, c, &styles_);
      st.chars = charFormat(c);
    }
    styleIndex_[istd] = b.addStyle(std::move(st));
    state[istd] = 2;
    return styleIndex_[istd];
  };
  for (size_t i = 0; i < styles_.size(); ++i) add(add, static_cast<int32_t>(i), 0);
}

}  // namespace word::read::doc::detail
