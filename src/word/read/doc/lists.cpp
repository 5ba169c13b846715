#include "word/read/doc/lists.h"

#include <algorithm>

#include "support/strings.h"
#include "word/read/doc/properties.h"
#include "word/read/list_labels.h"

namespace word::read::doc {

namespace {

// Numbers stay far from the integer limits, so counting never overflows.
int32_t saneStart(int32_t v) {
  return std::clamp<int32_t>(v, 0, 1 << 24);
}

ListLevel readLevel(Bytes b, size_t& at) {
  ListLevel l;
  l.start = saneStart(b.i32(at));
  l.nfc = b.u8(at + 4);
  uint8_t flags = b.u8(at + 5);
  l.legal = flags & 0x04;
  l.noRestart = flags & 0x08;
  l.follow = b.u8(at + 15);
  size_t chpx = b.u8(at + 24);
  size_t papx = b.u8(at + 25);
  l.papx = std::string(b.sub(at + 28, papx).view());
  Bytes grpprl = b.sub(at + 28 + papx, chpx);
  // The label's font, and the look the level gives it over its text's
  // (on and off; its style's value or the opposite leave it to the text).
  forEachSprm(grpprl, [&](uint16_t sprm, Bytes op) {
    const uint8_t v = op.u8(0);
    switch (sprm) {
      case 0x4A4F:
        l.font = op.u16(0);
        break;
      case 0x0835:
        if (v < 2) l.look.bold = v == 1;
        break;
      case 0x0836:
        if (v < 2) l.look.italic = v == 1;
        break;
      case 0x4A43:
        if (const uint16_t size = op.u16(0); size > 0 && size < 3277) l.look.halfPoints = size;
        break;
      case 0x2A42:
      case 0x6870:
        if (const uint32_t c = sprm == 0x2A42 ? icoColor(v) : colorRef(op.u32(0)); c != kAutoColor)
          l.look.color = c;
        break;
      default:
        break;
    }
  });
  at += 28 + papx + chpx;
  size_t cch = b.u16(at);
  at += 2;
  for (size_t k = 0; k < std::min(cch, kMaxLabelPattern) && b.has(at, 2); ++k, at += 2)
    l.text.push_back(static_cast<char16_t>(b.u16(at)));
  return l;
}

}  // namespace

std::u16string formatNumber(int32_t n, uint8_t nfc) {
  switch (nfc) {
    case 1:
      return roman(n, true);
    case 2:
      return roman(n, false);
    case 3:
      return letters(n, true);
    case 4:
      return letters(n, false);
    case 9:
      return noteSymbols(n);
    case 5: {
      int32_t t = n % 100;
      const char* suffix = (t >= 11 && t <= 13) ? "th"
                           : n % 10 == 1        ? "st"
                           : n % 10 == 2        ? "nd"
                           : n % 10 == 3        ? "rd"
                                                : "th";
      return support::widen(std::to_string(n) + suffix);
    }
    case 22:
      return zeroPadded(n);
    case 23:
    case 255:
      return u"";
    default:
      return support::number(n);
  }
}

void Lists::read(Bytes t, uint32_t fcLst, uint32_t lcbLst, uint32_t fcLfo, uint32_t lcbLfo) {
  if (lcbLst >= 2 && t.has(fcLst, 2)) {
    Bytes b = t.sub(fcLst, t.size() - fcLst);  // the levels follow the table
    size_t n = std::clamp<int>(b.i16(0), 0, 4096);
    std::vector<bool> simple;
    for (size_t i = 0; i < n && b.has(2 + 28 * i, 28); ++i) {
      ListDef d;
      d.lsid = b.i32(2 + 28 * i);
      simple.push_back(b.u8(2 + 28 * i + 26) & 0x01);
      lists_.push_back(d);
    }
    size_t at = 2 + 28 * n;
    for (size_t i = 0; i < lists_.size() && at < b.size(); ++i) {
      int levels = simple[i] ? 1 : 9;
      for (int k = 0; k < levels && at < b.size(); ++k) lists_[i].levels[k] = readLevel(b, at);
    }
  }
  if (lcbLfo >= 4 && t.has(fcLfo, 4)) {
    Bytes b = t.sub(fcLfo, t.size() - fcLfo);
    size_t n = static_cast<size_t>(std::clamp<int32_t>(b.i32(0), 0, 32767));
    std::vector<uint8_t> clfolvl;
    for (size_t i = 0; i < n && b.has(4 + 16 * i, 16); ++i) {
      ListOverride o;
      int32_t lsid = b.i32(4 + 16 * i);
      for (size_t k = 0; k < lists_.size(); ++k)
        if (lists_[k].lsid == lsid) {
          o.list = static_cast<int32_t>(k);
          break;
        }
      clfolvl.push_back(b.u8(4 + 16 * i + 12));
      overrides_.push_back(o);
    }
    size_t at = 4 + 16 * overrides_.size();
    for (size_t i = 0; i < overrides_.size() && at < b.size(); ++i) {
      at += 4;  // cp
      for (size_t k = 0; k < std::min<size_t>(clfolvl[i], 9) && b.has(at, 8); ++k) {
        int32_t start = saneStart(b.i32(at));
        uint32_t flags = b.u32(at + 4);
        at += 8;
        uint8_t ilvl = flags & 0xF;
        bool fStartAt = flags & 0x10;
        bool fFormatting = flags & 0x20;
        ListLevel level;
        if (fFormatting) level = readLevel(b, at);
        if (ilvl < 9) {
          if (fStartAt) overrides_[i].startAt[ilvl] = fFormatting ? level.start : start;
          if (fFormatting) overrides_[i].levels[ilvl] = level;
        }
      }
    }
  }
  counters_.assign(lists_.size(), {});
  overrideUsed_.assign(overrides_.size(), false);
}

const ListLevel* Lists::levelOf(int32_t ilfo, uint8_t ilvl) const {
  if (ilfo <= 0 || static_cast<size_t>(ilfo) > overrides_.size() || ilvl > 8) return nullptr;
  const ListOverride& o = overrides_[static_cast<size_t>(ilfo - 1)];
  if (o.list < 0) return nullptr;
  return o.levels[ilvl] ? &*o.levels[ilvl] : &lists_[o.list].levels[ilvl];
}

std::optional<ListLabel> Lists::next(int32_t ilfo, uint8_t ilvl) {
  if (ilfo <= 0 || static_cast<size_t>(ilfo) > overrides_.size() || ilvl > 8) return std::nullopt;
  size_t oi = static_cast<size_t>(ilfo - 1);
  const ListOverride& o = overrides_[oi];
  if (o.list < 0) return std::nullopt;
  const ListDef& def = lists_[o.list];
  auto level = [&](size_t k) -> const ListLevel& {
    return o.levels[k] ? *o.levels[k] : def.levels[k];
  };
  Counter& c = counters_[o.list];
  if (!overrideUsed_[oi]) {
    // The first paragraph of an override restarts the levels it sets.
    overrideUsed_[oi] = true;
    for (size_t k = 0; k < 9; ++k)
      if (o.startAt[k]) {
        c.value[k] = *o.startAt[k] - 1;
        c.seen[k] = true;
      }
  }
  if (c.seen[ilvl]) {
    if (c.value[ilvl] < (1 << 30)) ++c.value[ilvl];
  } else {
    c.value[ilvl] = level(ilvl).start;
    c.seen[ilvl] = true;
  }
  for (size_t k = ilvl + 1; k < 9; ++k)
    if (!level(k).noRestart) c.seen[k] = false;
  const ListLevel& lv = level(ilvl);
  ListLabel label;
  label.listId = o.list;
  label.ordered = lv.nfc != 23 && lv.nfc != 255;
  label.font = lv.font;
  label.look = lv.look;
  if (lv.follow == 1 || lv.follow == 2)
    label.follow = lv.follow == 1 ? LabelFollow::Space : LabelFollow::Nothing;
  for (const char16_t& ch : lv.text) {
    bool room = true;
    if (ch < 9) {
      int32_t v = c.seen[ch] ? c.value[ch] : level(ch).start;
      uint8_t nfc = level(ch).nfc;
      if (lv.legal && nfc != 22) nfc = 0;
      room = addToLabel(label.text, formatNumber(v, nfc));
    } else {
      room = addToLabel(label.text, {&ch, 1});
    }
    if (!room) break;
  }
  return label;
}

}  // namespace word::read::doc
