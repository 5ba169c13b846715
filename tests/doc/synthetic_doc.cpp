#include "synthetic_doc.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "../common/compound_file.h"

namespace doctest {
namespace {

void put16(std::string& s, size_t at, uint16_t v) {
  if (s.size() < at + 2) s.resize(at + 2, '\0');
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}
void put32(std::string& s, size_t at, uint32_t v) {
  put16(s, at, static_cast<uint16_t>(v & 0xFFFF));
  put16(s, at + 2, static_cast<uint16_t>(v >> 16));
}
void add16(std::string& s, uint16_t v) {
  put16(s, s.size(), v);
}
void add32(std::string& s, uint32_t v) {
  put32(s, s.size(), v);
}

constexpr uint32_t kTextFc = 0x800;
constexpr size_t kFcLcb = 0x9A;  // after 32 + 2 + 28 + 2 + 88 + 2 bytes

void setFcLcb(std::string& w, size_t index, uint32_t fc, uint32_t lcb) {
  put32(w, kFcLcb + 8 * index, fc);
  put32(w, kFcLcb + 8 * index + 4, lcb);
}

// One page of character formatting whose runs cover the text; ranges not
// given have no properties.
std::string charPage(const std::vector<SyntheticDoc::CharRun>& runs, uint32_t textSize) {
  std::vector<uint32_t> cuts = {0, textSize};
  for (const auto& r : runs) cuts.insert(cuts.end(), {r.start, r.end});
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  const size_t n = cuts.size() - 1;
  std::string page(512, '\0');
  size_t top = 511;
  for (size_t k = 0; k <= n; ++k) put32(page, 4 * k, kTextFc + 2 * cuts[k]);
  for (size_t k = 0; k < n; ++k)
    for (const auto& r : runs) {
      if (r.start > cuts[k] || r.end <= cuts[k]) continue;
      top = (top - 1 - r.sprms.size()) & ~static_cast<size_t>(1);
      page[top] = static_cast<char>(r.sprms.size());
      page.replace(top + 1, r.sprms.size(), r.sprms);
      page[4 * (n + 1) + k] = static_cast<char>(top / 2);
      break;
    }
  if (top < 5 * (n + 1)) throw std::runtime_error("character properties too large for a test page");
  page[511] = static_cast<char>(n);
  return page;
}

}  // namespace

std::string sprm8(uint16_t sprm, uint8_t v) {
  std::string s;
  add16(s, sprm);
  s.push_back(static_cast<char>(v));
  return s;
}
std::string sprm16(uint16_t sprm, uint16_t v) {
  std::string s;
  add16(s, sprm);
  add16(s, v);
  return s;
}
std::string sprm32(uint16_t sprm, uint32_t v) {
  std::string s;
  add16(s, sprm);
  add32(s, v);
  return s;
}

std::string sprmVar(uint16_t sprm, const std::string& operand) {
  std::string s;
  add16(s, sprm);
  s.push_back(static_cast<char>(operand.size()));
  return s + operand;
}

std::string tableDefinition(const std::vector<int16_t>& boundaries,
                            const std::vector<uint16_t>& cellFlags,
                            const std::vector<std::array<uint32_t, 4>>& borders) {
  std::string body;
  body.push_back(static_cast<char>(cellFlags.size()));
  for (int16_t b : boundaries) add16(body, static_cast<uint16_t>(b));
  for (size_t i = 0; i < cellFlags.size(); ++i) {
    std::string tc(20, '\0');
    put16(tc, 0, cellFlags[i]);
    for (size_t side = 0; side < 4 && i < borders.size(); ++side)
      put32(tc, 4 + 4 * side, borders[i][side]);
    body += tc;
  }
  std::string s;
  add16(s, 0xD608);
  add16(s, static_cast<uint16_t>(body.size() + 1));
  return s + body;
}

// Paragraph formatting pages, as many paragraphs as fit and up to 20 each, appended to the
// document stream `w`, and their table in `t`.
void SyntheticDoc::paragraphPages(const std::u16string& all, std::string& w, std::string& t) const {
  struct Range {
    uint32_t fcStart, fcEnd;
    std::string papx;
  };
  std::vector<Range> ranges;
  uint32_t start = 0;
  size_t pi = 0;
  for (uint32_t cp = 0; cp < all.size(); ++cp) {
    const bool sectionEnd = all[cp] == 12 && std::find(sectionStarts.begin(), sectionStarts.end(),
                                                       cp + 1) != sectionStarts.end();
    if (all[cp] != 13 && all[cp] != 7 && !sectionEnd) continue;
    std::string papx;
    add16(papx, pi < paragraphs.size() ? paragraphs[pi].style : 0);
    if (pi < paragraphs.size()) papx += paragraphs[pi].sprms;
    ranges.push_back({kTextFc + 2 * start, kTextFc + 2 * (cp + 1), papx});
    start = cp + 1;
    ++pi;
  }
  // A page of ranges [first, first + n): its bytes, or nothing when they do
  // not fit.
  auto page = [&](size_t first, size_t n) -> std::optional<std::string> {
    std::string out(512, '\0');
    size_t top = 511;
    for (size_t k = 0; k < n; ++k) {
      const Range& r = ranges[first + k];
      put32(out, 4 * k, r.fcStart);
      put32(out, 4 * (k + 1), r.fcEnd);
      std::string data;
      if (r.papx.size() % 2 == 1) {
        data.push_back(static_cast<char>((r.papx.size() + 1) / 2));
      } else {
        data.push_back('\0');
        data.push_back(static_cast<char>(r.papx.size() / 2));
      }
      data += r.papx;
      if (top < data.size()) return std::nullopt;
      size_t at = (top - data.size()) & ~static_cast<size_t>(1);
      if (at < 4 * (n + 1) + 13 * n) return std::nullopt;
      out.replace(at, data.size(), data);
      top = at;
      out[4 * (n + 1) + 13 * k] = static_cast<char>(at / 2);
    }
    out[511] = static_cast<char>(n);
    return out;
  };
  std::vector<std::pair<uint32_t, uint32_t>> btes;  // first fc, page number
  for (size_t first = 0; first < ranges.size();) {
    size_t n = std::min<size_t>(20, ranges.size() - first);
    while (n > 0 && !page(first, n)) --n;
    if (n == 0) throw std::runtime_error("paragraph properties too large for a test page");
    btes.push_back({ranges[first].fcStart, static_cast<uint32_t>(w.size() / 512)});
    w += *page(first, n);
    first += n;
  }
  if (!btes.empty()) {
    uint32_t fc = static_cast<uint32_t>(t.size());
    for (auto& b : btes) add32(t, b.first);
    add32(t, ranges.back().fcEnd);
    for (auto& b : btes) add32(t, b.second);
    setFcLcb(w, 13, fc, static_cast<uint32_t>(t.size()) - fc);
  }
}

// The font table (SttbfFfn): each font's FFN with its family in the
// second byte and its name from byte 40.
void SyntheticDoc::fontTable(std::string& w, std::string& t) const {
  if (fonts.empty()) return;
  const uint32_t fc = static_cast<uint32_t>(t.size());
  add16(t, static_cast<uint16_t>(fonts.size()));
  add16(t, 0);
  for (const Font& f : fonts) {
    std::string ffn(40, '\0');  // size, flags, weight, character set, panose, signature
    ffn[1] = static_cast<char>(0x04 | (f.family << 4));  // TrueType
    put16(ffn, 2, 400);
    ffn[4] = f.name == u"Symbol" ? 2 : 0;
    for (char16_t c : f.name + u'\0') add16(ffn, c);
    ffn[0] = static_cast<char>(ffn.size() - 1);
    t += ffn;
  }
  setFcLcb(w, 15, fc, static_cast<uint32_t>(t.size()) - fc);
}

// The style sheet (STSH): a short header, then each style's base (name
// after 10 bytes) and its paragraph and character properties.
void SyntheticDoc::styleSheet(std::string& w, std::string& t) const {
  if (styles.empty()) return;
  const uint32_t fc = static_cast<uint32_t>(t.size());
  add16(t, 18);
  for (uint16_t v :
       {static_cast<uint16_t>(styles.size()), uint16_t{10}, uint16_t{0}, uint16_t{0x0FFE},
        uint16_t{15}, uint16_t{0}, uint16_t{0}, uint16_t{0}, uint16_t{0}})
    add16(t, v);
  for (size_t i = 0; i < styles.size(); ++i) {
    std::string std;
    add16(std, i == 0 ? 0 : 0x0FFE);  // sti: Normal, or the author's
    add16(std, static_cast<uint16_t>(1 | ((i == 0 ? 0x0FFF : 0) << 4)));  // paragraph, base
    add16(std, static_cast<uint16_t>(2 | (i << 4)));                      // two UPXs, next style
    add16(std, 0);
    add16(std, 0);
    add16(std, static_cast<uint16_t>(styles[i].name.size()));
    for (char16_t c : styles[i].name + u'\0') add16(std, c);
    std::string papx;
    add16(papx, static_cast<uint16_t>(i));
    papx += styles[i].papx;
    for (const std::string* upx : {static_cast<const std::string*>(&papx), &styles[i].chpx}) {
      add16(std, static_cast<uint16_t>(upx->size()));
      std += *upx;
      if (upx->size() % 2) std.push_back('\0');
    }
    add16(t, static_cast<uint16_t>(std.size()));
    t += std;
  }
  setFcLcb(w, 1, fc, static_cast<uint32_t>(t.size()) - fc);
}

namespace {

// An OfficeArt record: version and instance, type, then its body.
std::string record(uint16_t type, const std::string& body, uint16_t ver = 0xF) {
  std::string r;
  add16(r, ver);
  add16(r, type);
  add32(r, static_cast<uint32_t>(body.size()));
  return r + body;
}

std::string shape(uint32_t id) {
  std::string fsp;
  add32(fsp, id);
  add32(fsp, 0);
  return record(0xF004, record(0xF00A, fsp, 2));
}

}  // namespace

// The sections' starting positions and, per section, a descriptor that
// names its properties (in the WordDocument stream) where it has any.
void SyntheticDoc::sectionTable(std::string& w, std::string& t) const {
  if (sectionStarts.empty() && sectionSprms.empty()) return;
  uint32_t fc = static_cast<uint32_t>(t.size());
  add32(t, 0);
  for (uint32_t cp : sectionStarts) add32(t, cp);
  add32(t, static_cast<uint32_t>(text.size()));
  for (size_t i = 0; i <= sectionStarts.size(); ++i) {
    std::string sed(12, '\0');
    put32(sed, 2, 0xFFFFFFFF);  // no section properties
    if (i < sectionSprms.size()) {
      // Its properties in the WordDocument stream: their size, then them.
      put32(sed, 2, static_cast<uint32_t>(w.size()));
      add16(w, static_cast<uint16_t>(sectionSprms[i].size()));
      w += sectionSprms[i];
    }
    t += sed;
  }
  while (w.size() % 512) w.push_back('\0');
  setFcLcb(w, 6, fc, static_cast<uint32_t>(t.size()) - fc);
}

// The boxes' story positions, their shapes (a group 0x401 holding the
// boxes 0x402...) and the group's anchor.
void SyntheticDoc::textBoxTables(std::string& w, std::string& t) const {
  if (textBoxCuts.size() < 2) return;
  const size_t n = textBoxCuts.size() - 1;
  uint32_t fc = static_cast<uint32_t>(t.size());
  for (uint32_t cp : textBoxCuts) add32(t, cp);
  for (size_t i = 0; i < n; ++i) {
    std::string ftxbxs(22, '\0');
    put32(ftxbxs, 14, static_cast<uint32_t>(0x402 + i));
    t += ftxbxs;
  }
  setFcLcb(w, 56, fc, static_cast<uint32_t>(t.size()) - fc);
  fc = static_cast<uint32_t>(t.size());
  add32(t, boxAnchor);
  add32(t, static_cast<uint32_t>(text.size()));
  std::string fspa(26, '\0');
  put32(fspa, 0, boxAlone ? 0x402 : 0x401);
  put32(fspa, 12, 2880);
  put32(fspa, 16, 1440);
  if (boxAlone) put16(fspa, 20, 2 << 5 | 2 << 9);  // square wrapping, text at its right only
  t += fspa;
  setFcLcb(w, 40, fc, static_cast<uint32_t>(t.size()) - fc);
  std::string group = shape(0x401);
  for (size_t i = 0; i < n; ++i) group += shape(static_cast<uint32_t>(0x402 + i));
  const std::string drawing = record(
      0xF002, record(0xF003, shape(0x400) + (boxAlone ? shape(0x402) : record(0xF003, group))));
  fc = static_cast<uint32_t>(t.size());
  t += record(0xF000, "") + '\0' + drawing;
  setFcLcb(w, 50, fc, static_cast<uint32_t>(t.size()) - fc);
}

// One simple list (its one level decimal, "%1.") and the one use of it.
void SyntheticDoc::listTables(std::string& w, std::string& t) const {
  if (!numberedList) return;
  uint32_t fc = static_cast<uint32_t>(t.size());
  add16(t, 1);
  std::string lstf(28, '\0');
  put32(lstf, 0, 7);  // lsid
  lstf[26] = 1;       // simple
  std::string lvl(28, '\0');
  put32(lvl, 0, 1);  // start at 1
  lvl[6] = 1;        // where the number stands in the text
  t += lstf + lvl;
  add16(t, 2);
  add16(t, 0);  // the level's number
  add16(t, '.');
  setFcLcb(w, 73, fc, static_cast<uint32_t>(t.size()) - fc);
  fc = static_cast<uint32_t>(t.size());
  add32(t, 1);
  std::string lfo(16, '\0');
  put32(lfo, 0, 7);
  t += lfo;
  add32(t, 0);  // its data: no levels overridden
  setFcLcb(w, 74, fc, static_cast<uint32_t>(t.size()) - fc);
}

std::string SyntheticDoc::build() const {
  std::u16string all = text + footnotes + headers + textBoxStory;
  // WordDocument: the FIB, the text at kTextFc, then formatting pages.
  std::string w(kTextFc, '\0');
  put16(w, 0, 0xA5EC);
  put16(w, 2, 0x00C1);
  put16(w, 0x0A, 0x0200 | 0x1000);  // 1Table, extended characters
  put32(w, 0x18, kTextFc);
  put32(w, 0x1C, kTextFc + 2 * static_cast<uint32_t>(all.size()));
  put16(w, 0x20, 14);       // csw
  put16(w, 0x22 + 28, 22);  // cslw
  size_t lw = 0x22 + 28 + 2;
  put32(w, lw + 4 * 3, static_cast<uint32_t>(text.size()));
  put32(w, lw + 4 * 4, static_cast<uint32_t>(footnotes.size()));
  put32(w, lw + 4 * 5, static_cast<uint32_t>(headers.size()));
  put32(w, lw + 4 * 9, static_cast<uint32_t>(textBoxStory.size()));
  put16(w, lw + 88, 93);  // cbRgFcLcb
  for (char16_t c : all) add16(w, c);
  while (w.size() % 512) w.push_back('\0');

  std::string t;  // 1Table
  paragraphPages(all, w, t);
  fontTable(w, t);
  styleSheet(w, t);
  textBoxTables(w, t);
  sectionTable(w, t);
  listTables(w, t);

  if (!charRuns.empty()) {
    uint32_t fc = static_cast<uint32_t>(t.size());
    add32(t, kTextFc);
    add32(t, kTextFc + 2 * static_cast<uint32_t>(all.size()));
    add32(t, static_cast<uint32_t>(w.size() / 512));
    setFcLcb(w, 12, fc, static_cast<uint32_t>(t.size()) - fc);
    w += charPage(charRuns, static_cast<uint32_t>(all.size()));
  }

  // The piece table: UTF-16 pieces, one of all the text unless given.
  {
    const std::vector<Piece> ps =
        pieces.empty() ? std::vector<Piece>{{static_cast<uint32_t>(all.size()), 0}} : pieces;
    uint32_t fc = static_cast<uint32_t>(t.size());
    t.push_back('\x02');
    add32(t, static_cast<uint32_t>(4 * (ps.size() + 1) + 8 * ps.size()));
    add32(t, 0);
    for (const Piece& p : ps) add32(t, p.cpEnd);
    for (const Piece& p : ps) {
      add16(t, 0);
      add32(t, kTextFc + 2 * p.at);
      add16(t, 0);
    }
    setFcLcb(w, 33, fc, static_cast<uint32_t>(t.size()) - fc);
  }

  if (!dop.empty()) {
    setFcLcb(w, 31, static_cast<uint32_t>(t.size()), static_cast<uint32_t>(dop.size()));
    t += dop;
  }

  if (!notes.empty()) {
    uint32_t fc = static_cast<uint32_t>(t.size());
    for (const NoteRef& n : notes) add32(t, n.cp);
    add32(t, static_cast<uint32_t>(text.size()));
    for (const NoteRef& n : notes) add16(t, n.automatic ? 1 : 0);
    setFcLcb(w, 2, fc, static_cast<uint32_t>(t.size()) - fc);
    fc = static_cast<uint32_t>(t.size());
    for (const NoteRef& n : notes) add32(t, n.textStart);
    add32(t, notes.back().textEnd);
    add32(t, static_cast<uint32_t>(footnotes.size()));
    setFcLcb(w, 3, fc, static_cast<uint32_t>(t.size()) - fc);
  }

  std::vector<std::pair<std::string, std::string>> streams = {{"WordDocument", w}, {"1Table", t}};
  if (!data.empty()) streams.emplace_back("Data", data);
  for (const auto& [id, objectStreams] : objects)
    for (const auto& [name, bytes] : objectStreams)
      streams.emplace_back("ObjectPool/_" + std::to_string(id) + "/" + name, bytes);
  return testing_support::compoundFile(streams);
}

}  // namespace doctest
