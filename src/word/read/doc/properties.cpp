#include "word/read/doc/properties.h"

#include "word/read/doc/word6.h"

#include <algorithm>

namespace word::read::doc {

namespace {

// Operand size of a sprm from its type bits; variable sizes are computed by
// the caller.
int fixedSize(uint16_t sprm) {
  switch (sprm >> 13) {
    case 0:
    case 1: return 1;
    case 2:
    case 4:
    case 5: return 2;
    case 3: return 4;
    case 7: return 3;
    default: return -1;
  }
}

constexpr uint32_t kIco[17] = {0xFFFFFFFFu, 0x000000, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFF00FF, 0xFF0000, 0xFFFF00, 0xFFFFFF,
                               0x000080,    0x008080, 0x008000, 0x800080, 0x800000, 0x808000, 0x808080, 0xC0C0C0};

bool toggle(uint8_t v, bool style) {
  switch (v) {
    case 0: return false;
    case 1: return true;
    case 0x80: return style;
    case 0x81: return !style;
    default: return v & 1;
  }
}

// A character style over its bases, the furthest first, each once: a
// cycle of bases applied each style's properties again down to the cap.
void applyCharStyle(Chp& chp, int32_t istd, const StyleSheet* styles) {
  std::vector<const Style*> chain;
  for (int32_t at = istd; styles && chain.size() <= 16;) {
    const Style* s = styles->get(at);
    if (!s || s->kind != 2 || std::find(chain.begin(), chain.end(), s) != chain.end()) break;
    chain.push_back(s);
    at = s->base;
  }
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    Chp base = chp;
    forEachSprm((*it)->chpx, [&](uint16_t sprm, Bytes op) {
      if (sprm != 0x4A30) applyChpSprm(chp, sprm, op, base, nullptr);
    });
  }
}

// Each sprm of `grpprl` but those `once` picks before the last it picks:
// a list that repeats a character style or the properties kept in the Data
// stream thousands of times applied them each time (Word writes one).
template <typename Once, typename F>
void forEachSprmOnce(Bytes grpprl, const Once& once, const F& f) {
  size_t left = 0;
  forEachSprm(grpprl, [&](uint16_t sprm, Bytes) { left += once(sprm); });
  forEachSprm(grpprl, [&](uint16_t sprm, Bytes op) {
    if (!once(sprm) || --left == 0) f(sprm, op);
  });
}

}  // namespace

uint32_t icoColor(uint8_t v) {
  return v < 17 ? kIco[v] : 0xFFFFFFFFu;
}

uint32_t colorRef(uint32_t v) {
  return (v >> 24) == 0xFF ? 0xFFFFFFFFu : ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

size_t operandSize(Bytes g, size_t at, uint16_t sprm) {
  if (sprm == 0xD608 || sprm == 0xD606) return static_cast<size_t>(g.u16(at)) + 1;
  if (sprm == 0xC615) {
    const uint8_t cb = g.u8(at);
    if (cb != 255) return 1 + static_cast<size_t>(cb);
    const size_t del = g.u8(at + 1);
    const size_t add = g.u8(at + 2 + del * 4);
    return 1 + 1 + del * 4 + 1 + add * 3;
  }
  const int fixed = fixedSize(sprm);
  return fixed >= 0 ? static_cast<size_t>(fixed) : 1 + static_cast<size_t>(g.u8(at));
}

void applyChpSprm(Chp& c, uint16_t sprm, Bytes op, const Chp& s, const StyleSheet* styles) {
  uint8_t b = op.u8(0);
  switch (sprm) {
    case 0x0835: c.bold = toggle(b, s.bold); break;
    case 0x0836: c.italic = toggle(b, s.italic); break;
    case 0x0837: c.strike = toggle(b, s.strike); break;
    case 0x0838: c.outline = toggle(b, s.outline); break;
    case 0x0839: c.shadow = toggle(b, s.shadow); break;
    case 0x0858: c.emboss = toggle(b, s.emboss); break;
    case 0x0854: c.imprint = toggle(b, s.imprint); break;
    case 0x083A: c.smallCaps = toggle(b, s.smallCaps); break;
    case 0x083B: c.caps = toggle(b, s.caps); break;
    case 0x083C: c.vanish = toggle(b, s.vanish); break;
    case 0x2A53: c.dstrike = toggle(b, s.dstrike); break;
    case 0x085A:  // right to left, and complex script
    case 0x0882: c.complex = b != 0; break;
    case 0x085C: c.boldBi = toggle(b, s.boldBi); break;
    case 0x085D: c.italicBi = toggle(b, s.italicBi); break;
    case 0x4A61: c.halfPointsBi = op.u16(0); break;
    case 0x4A5E: c.fontBi = op.u16(0); break;
    case 0x0855: c.special = b != 0; break;
    case 0x0806: c.data = b != 0; break;
    case 0x080A: c.ole2 = b != 0; break;
    case 0x0856: c.obj = b != 0; break;
    case 0x0800: c.deleted = b != 0; break;
    case 0x2A3E: c.underline = b; break;
    case 0x2A42:
      c.color = icoColor(b);
      break;
    case 0x6870:
      c.color = colorRef(op.u32(0));
      break;
    case 0x6877:
      c.underlineColor = colorRef(op.u32(0));
      break;
    case 0x2A0C:
      c.highlight = icoColor(b);
      break;
    case 0x4866:
      c.shading = shd80(op.u16(0));
      break;
    case 0xCA71:
      c.shading = shd(op, 1);
      break;
    case 0x6865:  // a line around the letters, and its later form
    case 0xCA72: {
      const MaybeBorder line = sprm == 0x6865 ? brc80(op.u32(0), false) : brc(op, 1, false);
      c.boxed = line && line->style != LineStyle::None;
      break;
    }
    case 0x4A43: c.halfPoints = op.u16(0); break;
    case 0x8840: c.dxaSpace = op.i16(0); break;
    case 0x4845:
      c.hpsPos = std::clamp<int16_t>(op.i16(0), -3168, 3168);
      break;
    case 0x486D:
    case 0x4873: c.lid = op.u16(0); break;
    case 0x486E:
    case 0x4874:
      c.lidFE = op.u16(0);
      break;
    case 0x485F:
      c.lidBi = op.u16(0);
      break;
    case 0x2A48: c.iss = b; break;
    case 0x4A4F:
    case 0x4A3D: c.font = op.u16(0); break;
    case 0x4A50:
      c.fontFE = op.u16(0);
      break;
    case 0x6A03:
      c.picLocation = op.u32(0);
      c.hasPicLocation = true;
      break;
    case 0x6A09:
      c.hasSymbol = true;
      c.symbolFont = op.u16(0);
      c.symbolChar = static_cast<char16_t>(op.u16(2));
      break;
    case 0x4A30: {
      int32_t istd = op.u16(0);
      c.charStyle = istd;
      applyCharStyle(c, istd, styles);
      break;
    }
    case 0x2A33: {  // back to the paragraph style's formatting
      bool special = c.special;
      c = s;
      c.special = special;
      break;
    }
    default: break;
  }
}

void applyChp(Chp& chp, Bytes grpprl, const Chp& styleChp, const StyleSheet* styles) {
  forEachSprmOnce(
      grpprl, [](uint16_t sprm) { return sprm == 0x4A30; },
      [&](uint16_t sprm, Bytes op) { applyChpSprm(chp, sprm, op, styleChp, styles); });
}

namespace {

void tableDefinition(Pap& p, Bytes op) {
  size_t n = op.u8(2);
  if (n > 64) n = 64;
  p.cells.assign(n, {});
  size_t centers = 3;
  p.tableLeft = op.i16(centers);
  size_t tcs = centers + 2 * (n + 1);
  for (size_t i = 0; i < n; ++i) {
    p.cells[i].width = op.i16(centers + 2 * (i + 1)) - op.i16(centers + 2 * i);
    if (op.has(tcs + 20 * i, 2)) {
      uint16_t grf = op.u16(tcs + 20 * i);
      p.cells[i].firstMerged = grf & 0x0001;
      p.cells[i].merged = grf & 0x0002;
      p.cells[i].vertMerge = grf & 0x0020;
      p.cells[i].vertRestart = grf & 0x0040;
      p.cells[i].vertAlign = (grf >> 7) & 3;
      // Turned: down the cell, or up it where it runs backward.
      if (grf & 0x0004) p.cells[i].flow = grf & 0x0008 ? TextFlow::Up : TextFlow::Down;
    }
    // The cell's own borders; a cut-short descriptor gives none.
    for (size_t side = 0; side < 4; ++side)
      if (op.has(tcs + 20 * i + 4 + 4 * side, 4))
        p.cells[i].borders[side] = brc80(op.u32(tcs + 20 * i + 4 + 4 * side), true);
  }
}

// sprmPChgTabsPapx and sprmPChgTabs: stops removed (the latter's within a
// distance of each position), then stops added, each with its kind and
// leader.
void changeTabs(std::vector<TabStop>& tabs, Bytes op, bool withDistances) {
  size_t at = 1;  // past the operand's size
  const size_t removed = op.u8(at++);
  for (size_t i = 0; i < removed; ++i) {
    const int32_t pos = op.i16(at + 2 * i);
    const int32_t near = withDistances ? std::abs(op.i16(at + 2 * (removed + i))) : 0;
    std::erase_if(tabs, [&](const TabStop& t) { return std::abs(t.pos - pos) <= near; });
  }
  at += removed * (withDistances ? 4 : 2);
  const size_t added = op.u8(at++);
  for (size_t i = 0; i < added && op.has(at + 2 * added + i, 1); ++i) {
    const uint8_t kind = op.u8(at + 2 * added + i);
    const int kJc = kind & 7, kLeader = (kind >> 3) & 7;
    constexpr int kCentre = 1, kRight = 2, kDecimal = 3, kBar = 4;
    if (kJc == kBar) continue;
    TabStop t{op.i16(at + 2 * i), kJc == kRight     ? TabAlign::End
                                  : kJc == kCentre  ? TabAlign::Centre
                                  : kJc == kDecimal ? TabAlign::Decimal
                                                    : TabAlign::Start};
    t.leader = kLeader == 1 || kLeader == 5   ? TabLeader::Dots
               : kLeader == 2                 ? TabLeader::Dashes
               : kLeader == 3 || kLeader == 4 ? TabLeader::Line
                                              : TabLeader::None;
    mergeTabStops(tabs, {t});
  }
}

}  // namespace

void applyPapSprm(Pap& p, uint16_t sprm, Bytes op, Bytes data) {
  switch (sprm) {
    case 0x4600: p.istd = op.u16(0); break;
    case 0x2403:
    case 0x2461:
      p.jc = op.u8(0);
      p.jcOfPage = sprm == 0x2403;
      break;
    case 0x840F:
    case 0x845E:
      p.left = op.i16(0);
      p.indentsOfPage = sprm == 0x840F;
      break;
    case 0x840E:
    case 0x845D:
      p.right = op.i16(0);
      p.indentsOfPage = sprm == 0x840E;
      break;
    case 0x2441:
      p.bidi = op.u8(0) != 0;
      break;
    case 0x442C:
      p.dropCap = (op.u16(0) & 7) != 0;
      p.dropInMargin = (op.u16(0) & 7) == 2;
      break;
    case 0x8418:
      p.frameX = op.i16(0);
      break;
    case 0x841A:
      p.frameWidth = op.u16(0);
      break;
    case 0x442B:
      // The top bit tells a least height from an exact one.
      p.frameTall = op.u16(0) & 0x7FFF;
      break;
    case 0x8419:
      p.frameY = op.i16(0);
      break;
    case 0x261B:
      // 3 leaves it as it was.
      if ((op.u8(0) >> 4 & 3) != 3) p.frameFrom = op.u8(0) >> 4 & 3;
      break;
    case 0x842F:
      p.frameAside = op.i16(0);
      break;
    case 0x842E:
      p.frameAcross = op.i16(0);
      break;
    case 0xC60D:
    case 0xC615:
      changeTabs(p.tabs, op, sprm == 0xC615);
      break;
    case 0x560B:
    case 0x5664:
      p.tableBidi = op.u16(0) != 0;
      break;
    case 0x8411:
    case 0x8460: p.first = op.i16(0); break;
    case 0x260A: p.ilvl = std::min<uint8_t>(op.u8(0), 8); break;
    case 0x460B: p.ilfo = op.i16(0); break;
    case 0x2640:
      p.outline = std::min<uint8_t>(op.u8(0), 9);
      break;
    case 0x2416: p.inTable = op.u8(0) != 0; break;
    case 0x2417: p.ttp = op.u8(0) != 0; break;
    case 0x244B: p.innerCell = op.u8(0) != 0; break;
    case 0x244C: p.innerTtp = op.u8(0) != 0; break;
    case 0x6649: p.itap = std::clamp<int32_t>(op.i32(0), 0, 64); break;
    case 0x664A: p.itap = static_cast<int32_t>(std::clamp<int64_t>(int64_t{p.itap} + op.i32(0), 0, 64)); break;
    case 0xD608: tableDefinition(p, op); break;
    case 0x9601:
      p.tableLeft = op.i16(0);
      break;
    case 0x9602:  // half the gap between cells: the room at their sides
      p.cellPadding[1] = p.cellPadding[3] = std::clamp<int16_t>(op.i16(0), 0, 1440);
      break;
    case 0xD632:          // the room inside cells itcFirst..itcLim, on the sides named
    case 0xD634:          // the row's cells' usual room, likewise
      if (op.u8(4) == 3)  // in twips
        for (size_t side = 0; side < 4; ++side) {
          if (!(op.u8(3) >> side & 1)) continue;
          const int16_t room = std::clamp<int16_t>(op.i16(5), 0, 1440);
          if (sprm == 0xD634) p.cellPadding[side] = room;
          for (size_t itc = op.u8(1); sprm == 0xD632 && itc < op.u8(2) && itc < p.cells.size();
               ++itc)
            p.cells[itc].padding[side] = room;
        }
      break;
    case 0xD633:  // the room between the row's cells, in twips
      if (op.u8(4) == 3) p.cellSpacing = std::clamp<int16_t>(op.i16(5), 0, 1440);
      break;
    case 0x9407:
      p.rowHeight = op.i16(0);
      break;
    case 0x3404:
      p.rowHeader = op.u8(0) != 0;
      break;
    case 0x5400:
    case 0x548A:
      p.tableJc = op.u8(0);
      break;
    case 0x3615:
      p.autofit = op.u8(0) ? 1 : 0;
      break;
    case 0x940E:  // a floating table's place across: in the middle (-4), at the right (-8)
                  // or outside (-16): the right of a right-hand page
      if (op.i16(0) == -4) p.tableJc = 1;
      if (op.i16(0) == -8 || op.i16(0) == -16) p.tableJc = 2;
      break;
    case 0x7629:  // text flow of the cells itcFirst..itcLim
      for (size_t itc = op.u8(0); itc < op.u8(1) && itc < p.cells.size(); ++itc)
        p.cells[itc].flow = op.u16(2) == 1   ? TextFlow::Down
                            : op.u16(2) == 3 ? TextFlow::Up
                                             : TextFlow::Across;
      break;
    case 0xD62C:  // vertical alignment of the cells itcFirst..itcLim
      for (size_t itc = op.u8(1); itc < op.u8(2) && itc < p.cells.size(); ++itc)
        p.cells[itc].vertAlign = op.u8(3);
      break;
    case 0xD62B: {
      size_t itc = op.u8(1);
      uint8_t flags = op.u8(2);
      if (itc < p.cells.size()) {
        p.cells[itc].vertMerge = flags != 0;
        p.cells[itc].vertRestart = flags == 3;
      }
      break;
    }
    case 0x6646:
    case 0x6645: {
      // The paragraph's properties were too large for its page and live in
      // the Data stream; those never refer further.
      uint32_t at = op.u32(0);
      if (data.has(at, 2)) {
        Bytes g = data.sub(at + 2, data.u16(at));
        forEachSprm(g, [&](uint16_t s, Bytes o) {
          if (s != 0x6646 && s != 0x6645) applyPapSprm(p, s, o, Bytes());
        });
      }
      break;
    }
    default:
      if (!applyBorderSprm(p, sprm, op) && !applyTableShadingSprm(p, sprm, op))
        applySpacingShadingSprm(p, sprm, op);
      break;
  }
}

void applyPap(Pap& pap, Bytes grpprl, Bytes data) {
  forEachSprmOnce(
      grpprl, [](uint16_t sprm) { return sprm == 0x6646 || sprm == 0x6645; },
      [&](uint16_t sprm, Bytes op) { applyPapSprm(pap, sprm, op, data); });
}

void StyleSheet::read(Bytes t, uint32_t fc, uint32_t lcb, bool word6) {
  styles_.clear();
  translated_.clear();
  if (lcb < 4 || !t.has(fc, 2)) return;
  Bytes s = t.sub(fc, lcb);
  size_t cbStshi = s.u16(0);
  size_t cstd = std::min<size_t>(s.u16(2), 4095);
  size_t cbBase = s.u16(4);
  if (cbBase < (word6 ? 8u : 10u)) cbBase = word6 ? 8 : 10;
  if (cbStshi >= 14) defaultFont_ = s.u16(2 + 12);
  defaultChp_.font = defaultFont_;
  if (cbStshi >= 16) defaultChp_.fontFE = s.u16(2 + 14);
  styles_.resize(cstd);
  size_t at = 2 + cbStshi;
  for (size_t i = 0; i < cstd && at + 2 <= s.size(); ++i) {
    size_t cb = s.u16(at);
    Bytes std = s.sub(at + 2, cb);
    at += 2 + cb;
    if (cb < cbBase) continue;
    Style& st = styles_[i];
    st.exists = true;
    st.sti = std.u16(0) & 0x0FFF;
    st.kind = std.u16(2) & 0xF;
    uint16_t base = std.u16(2) >> 4;
    st.base = base == 0x0FFF ? -1 : base;
    size_t cupx = std.u16(4) & 0xF;
    size_t p;
    if (word6) {
      size_t cch = std.u8(cbBase);
      p = cbBase + 1;
      for (size_t k = 0; k < cch && p < std.size(); ++k, ++p) st.name.push_back(std.u8(p));
      p += 1;  // terminating zero
    } else {
      size_t cch = std.u16(cbBase);
      p = cbBase + 2;
      for (size_t k = 0; k < cch && std.has(p, 2); ++k, p += 2) st.name.push_back(static_cast<char16_t>(std.u16(p)));
      p += 2;  // terminating zero
    }
    if (p & 1) ++p;
    std::vector<Bytes> upx;
    for (size_t k = 0; k < cupx && std.has(p, 2); ++k) {
      size_t n = std.u16(p);
      Bytes u = std.sub(p + 2, n);
      if (word6) {
        // Paragraph properties start with the style index, kept as it is.
        bool papx = st.kind == 1 && k == 0;
        std::string& owned = translated_.emplace_back(papx ? std::string(u.view().substr(0, 2)) : std::string());
        owned += translateWord6Sprms(papx ? u.sub(2, u.size() >= 2 ? u.size() - 2 : 0) : u);
        u = Bytes(owned);
      }
      upx.push_back(u);
      p += 2 + n + (n & 1);
    }
    auto at_ = [&](size_t k) { return k < upx.size() ? upx[k] : Bytes(); };
    switch (st.kind) {
      case 1:
        st.papx = at_(0).sub(2, at_(0).size() >= 2 ? at_(0).size() - 2 : 0);
        st.chpx = at_(1);
        break;
      case 2: st.chpx = at_(0); break;
      case 3:
        st.papx = at_(1).sub(2, at_(1).size() >= 2 ? at_(1).size() - 2 : 0);
        st.chpx = at_(2);
        break;
      default: break;
    }
  }
  state_.assign(styles_.size(), 0);
  for (size_t i = 0; i < styles_.size(); ++i) resolve(static_cast<int32_t>(i), 0);
}

void StyleSheet::resolve(int32_t istd, int depth) {
  Style& s = styles_[istd];
  if (state_[istd] != 0) return;
  state_[istd] = 1;
  Pap pap = defaultPap_;
  Chp chp = defaultChp_;
  // A cycle or an over-deep chain of bases ends at the defaults.
  if (s.base >= 0 && static_cast<size_t>(s.base) < styles_.size() && depth < 32 && state_[s.base] != 1) {
    resolve(s.base, depth + 1);
    if (styles_[s.base].exists) {
      pap = styles_[s.base].pap;
      chp = styles_[s.base].chp;
    }
  }
  if (s.sti >= 1 && s.sti <= 9 && s.kind == 1) pap.outline = static_cast<uint8_t>(s.sti - 1);
  pap.istd = istd;
  applyPap(pap, s.papx, Bytes());
  pap.istd = istd;
  if (s.kind == 1) {
    Chp base = chp;
    forEachSprm(s.chpx, [&](uint16_t sprm, Bytes op) {
      if (sprm != 0x4A30) applyChpSprm(chp, sprm, op, base, nullptr);
    });
  }
  pap.inTable = pap.ttp = pap.innerCell = pap.innerTtp = false;
  pap.itap = 0;
  pap.cells.clear();
  pap.tableBorders = {};
  pap.cellShading80.clear();
  pap.cellShading.clear();
  pap.tableLeft = 0;
  pap.tableJc = 0;
  pap.autofit = -1;
  s.pap = pap;
  s.chp = chp;
  state_[istd] = 2;
}

const Chp& StyleSheet::chp(int32_t istd) const {
  const Style* s = get(istd);
  return s && s->kind == 1 ? s->chp : (get(0) ? styles_[0].chp : defaultChp_);
}

const Pap& StyleSheet::pap(int32_t istd) const {
  const Style* s = get(istd);
  return s && s->kind == 1 ? s->pap : (get(0) ? styles_[0].pap : defaultPap_);
}

std::vector<Font> readFonts(Bytes t, uint32_t fc, uint32_t lcb, bool word6) {
  std::vector<Font> fonts;
  if (lcb < 4 || !t.has(fc, 4)) return fonts;
  Bytes s = t.sub(fc, lcb);
  // Word 6.0/95 tables start with their byte size instead of a count.
  size_t n = word6 ? 4096 : std::min<size_t>(s.u16(0), 4096);
  size_t at = word6 ? 2 : 4;
  for (size_t i = 0; i < n && at < s.size(); ++i) {
    size_t cb = s.u8(at);
    Bytes ffn = s.sub(at, cb + 1);
    std::u16string name;
    for (size_t p = 6; word6 && p < ffn.size() && ffn.u8(p); ++p) name.push_back(ffn.u8(p));
    for (size_t p = 40; !word6 && p + 2 <= ffn.size(); p += 2) {
      char16_t c = static_cast<char16_t>(ffn.u16(p));
      if (!c) break;
      name.push_back(c);
    }
    // The family (ff) in bits 4-6 of the second byte: roman, swiss, modern,
    // script, decorative from 1.
    static constexpr FontClass kClasses[8] = {
        FontClass::Unknown, FontClass::Roman,      FontClass::Swiss,   FontClass::Modern,
        FontClass::Script,  FontClass::Decorative, FontClass::Unknown, FontClass::Unknown};
    fonts.push_back(Font{std::move(name), ffn.u8(4) == 2, kClasses[(ffn.u8(1) >> 4) & 7]});
    at += cb + 1;
  }
  return fonts;
}

std::vector<std::u16string> readSttb(Bytes t, uint32_t fc, uint32_t lcb, bool word6) {
  std::vector<std::u16string> out;
  if (lcb < 4 || !t.has(fc, 4)) return out;
  Bytes s = t.sub(fc, lcb);
  if (word6) {
    Bytes all = s.sub(0, s.u16(0));
    for (size_t at = 2; at < all.size();) {
      size_t cch = all.u8(at++);
      std::u16string str;
      for (size_t k = 0; k < cch && at < all.size(); ++k, ++at) str.push_back(all.u8(at));
      out.push_back(std::move(str));
    }
    return out;
  }
  bool extended = s.u16(0) == 0xFFFF;
  size_t at = extended ? 2 : 0;
  size_t n = s.u16(at);
  size_t extra = s.u16(at + 2);
  at += 4;
  for (size_t i = 0; i < n && at < s.size(); ++i) {
    std::u16string str;
    if (extended) {
      size_t cch = s.u16(at);
      at += 2;
      for (size_t k = 0; k < cch && s.has(at, 2); ++k, at += 2) str.push_back(static_cast<char16_t>(s.u16(at)));
    } else {
      size_t cch = s.u8(at);
      at += 1;
      for (size_t k = 0; k < cch && at < s.size(); ++k, ++at) str.push_back(static_cast<char16_t>(s.u8(at)));
    }
    at += extra;
    out.push_back(std::move(str));
  }
  return out;
}

}  // namespace word::read::doc
