// Word 97-2003 binary documents. The text lives in the WordDocument stream
// as pieces (the piece table says where each run of characters is and
// whether it is 8-bit or UTF-16); formatting is found by file position in
// the formatting pages, and everything else through tables in the table
// stream that the file information block (FIB) points to.
#include <algorithm>
#include <deque>
#include <map>
#include <optional>
#include <set>

#include "support/codepage.h"
#include "word/builder.h"
#include "word/error.h"
#include "word/read/doc/bytes.h"
#include "word/read/doc/container.h"
#include "word/read/doc/lists.h"
#include "word/read/doc/officeart.h"
#include "word/read/doc/properties.h"
#include "word/read/doc/word6.h"
#include "word/read/reader.h"

namespace word::read {
namespace {

using namespace doc;

// Bytes 0x80..0x9F of the Western code page of 8-bit pieces.
constexpr char16_t kWestern80[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                     0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

// Indexes of the FIB's offset/length pairs that we use.
enum FcLcb : size_t {
  kStshf = 1,
  kPlcffndRef = 2,
  kPlcffndTxt = 3,
  kPlcfBteChpx = 12,
  kPlcfBtePapx = 13,
  kSttbfFfn = 15,
  kSttbfBkmk = 21,
  kPlcfBkf = 22,
  kPlcfBkl = 23,
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
};

struct NoteRef {
  bool endnote = false;
  bool automatic = true;
  uint32_t start = 0, end = 0;  // the note's text
};

struct Shape {
  int32_t lid = 0;
  int32_t width = 0, height = 0;  // twips
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
  std::u16string link;
};

std::u16string ascii(std::string_view s) { return std::u16string(s.begin(), s.end()); }

// "HYPERLINK "url" \l "mark"" -> the target, "#mark" for a place in the file.
std::u16string hyperlinkTarget(const std::u16string& code) {
  std::vector<std::u16string> tokens;
  size_t i = 0;
  while (i < code.size() && tokens.size() < 32) {
    while (i < code.size() && (code[i] == u' ' || code[i] < 0x20 || code[i] == 0xA0)) ++i;
    if (i >= code.size()) break;
    std::u16string t;
    if (code[i] == u'"') {
      ++i;
      while (i < code.size() && code[i] != u'"') t.push_back(code[i++]);
      ++i;
    } else {
      while (i < code.size() && code[i] != u' ' && code[i] >= 0x20) t.push_back(code[i++]);
    }
    tokens.push_back(std::move(t));
  }
  if (tokens.empty()) return {};
  std::u16string type = tokens[0];
  for (char16_t& c : type)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  if (type != u"HYPERLINK") return {};
  std::u16string url, location;
  for (size_t k = 1; k < tokens.size(); ++k) {
    const std::u16string& t = tokens[k];
    if (t.size() == 2 && t[0] == u'\\') {
      char16_t sw = t[1] | 0x20;
      if ((sw == u'l' || sw == u'o' || sw == u't') && k + 1 < tokens.size()) {
        if (sw == u'l') location = tokens[k + 1];
        ++k;
      }
      continue;
    }
    if (url.empty()) url = t;
  }
  // Backslashes in quoted paths are doubled in field codes.
  std::u16string clean;
  for (size_t k = 0; k < url.size(); ++k) {
    if (url[k] == u'\\' && k + 1 < url.size() && url[k + 1] == u'\\') ++k;
    clean.push_back(url[k]);
  }
  if (!location.empty()) clean += u"#" + location;
  return clean;
}


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

  void readFib();
  void readPieces();
  void readText();
  std::vector<FcRun> readFkps(size_t which, bool paragraphs);
  void readNotes(size_t refIndex, size_t txtIndex, uint32_t base, bool endnote);
  void readShapes();
  void readBookmarks();
  void addStyles(Builder& b);

  const Piece* pieceAt(uint32_t cp) const;
  static const FcRun* runAt(const std::vector<FcRun>& runs, uint64_t fc, uint64_t* nextStart);
  Bytes prmSprms(uint16_t prm) const;
  Pap papOf(uint32_t markCp) const;
  template <class F>
  void forEachCharRun(uint32_t a, uint32_t b, F f) const;
  std::vector<Para> paragraphs(uint32_t a, uint32_t b) const;

  CharFormat charFormat(const Chp& c) const;
  std::u16string bullet(char16_t c, int32_t font, uint8_t level) const;
  ParagraphFormat paragraphFormat(const Pap& p, std::optional<ListLabel> label) const;

  void word6CodePage();

  std::string_view file_;
  Streams streams_;
  bool word6_ = false;               // Word 6.0/95: one stream, 8-bit text, one-byte sprms
  char16_t byteMap_[256] = {};       // 8-bit text of Word 6.0/95 files
  std::deque<std::string> translated_;  // Word 6.0/95 properties in later form
  mutable std::map<uint16_t, std::string> prm0_;  // single-modifier piece properties
  Bytes word_, table_, data_;
  size_t fcLcbAt_ = 0, fcLcbCount_ = 0;
  uint32_t ccp_[8] = {};  // text, footnotes, headers, macros, comments, endnotes, text boxes, header text boxes
  std::vector<Piece> pieces_;
  std::vector<Bytes> prcs_;
  std::u16string text_;
  std::vector<FcRun> chpx_, papx_;
  StyleSheet styles_;
  std::vector<Font> fonts_;
  mutable Lists lists_;
  std::vector<int32_t> styleIndex_;  // istd -> model style
  std::map<uint32_t, NoteRef> noteRefs_;
  std::map<uint32_t, Shape> shapes_;               // cp of the anchor -> shape
  std::map<int32_t, std::pair<uint32_t, uint32_t>> textBoxes_;  // shape id -> text
  Drawing drawing_;
  std::map<uint32_t, InlinePicture> inlinePictures_;  // by offset in the Data stream
  size_t inflateBudget_ = 256u << 20;                  // bytes all inflated pictures may take
  size_t noteBudget_ = 0;                              // characters all note bodies may take
  std::multimap<uint32_t, std::u16string> bookmarkStarts_, bookmarkEnds_;
};

void DocReader::readFib() {
  if (word_.size() < 0x22 + 2) fail(kCannotOpen, "the document is damaged (its header is missing)");
  uint16_t ident = word_.u16(0);
  uint16_t nFib = word_.u16(2);
  uint16_t flags = word_.u16(0x0A);
  if (ident != 0xA5EC && ident != 0xA5DC) fail(kCannotOpen, "the document is damaged (not a Word document header)");
  if (flags & 0x0100) fail(kPasswordProtected, "the document is password-protected");
  if (ident == 0xA5DC || nFib < 0xC0) {
    if (nFib < 101) {
      fail(kCannotOpen,
           "the document was saved by a Word version older than 6.0; open it in the word processor and save it "
           "as Word 97-2003 (.doc) or .docx");
    }
    // Word 6.0/95: the tables share the document stream, the counts and
    // offsets sit at fixed places, and the offsets after the piece table's
    // are laid out differently (we use none of them).
    word6_ = true;
    table_ = word_;
    data_ = word_;
    for (size_t i = 0; i < 8; ++i) ccp_[i] = word_.u32(0x34 + 4 * i);
    fcLcbAt_ = 0x58;
    fcLcbCount_ = kClx + 1;
    return;
  }
  const std::string& t = (flags & 0x0200) ? streams_.table1 : streams_.table0;
  table_ = Bytes(t);
  data_ = Bytes(streams_.data);

  size_t at = 0x20;
  size_t csw = word_.u16(at);
  at += 2 + 2 * csw;
  size_t cslw = word_.u16(at);
  size_t lw = at + 2;
  at = lw + 4 * cslw;
  for (size_t i = 0; i < 8; ++i) ccp_[i] = (3 + i < cslw) ? word_.u32(lw + 4 * (3 + i)) : 0;
  fcLcbCount_ = word_.u16(at);
  fcLcbAt_ = at + 2;
  if (!word_.has(fcLcbAt_, 8 * fcLcbCount_)) fcLcbCount_ = (word_.size() - std::min(word_.size(), fcLcbAt_)) / 8;
}

void DocReader::readPieces() {
  auto [fc, lcb] = fcLcb(kClx);
  Bytes clx = table_.has(fc, 1) ? table_.sub(fc, lcb) : Bytes();
  size_t at = 0;
  Bytes plc;
  for (int guard = 0; at < clx.size() && guard < 100000; ++guard) {
    uint8_t type = clx.u8(at);
    if (type == 1) {
      size_t cb = clx.u16(at + 1);
      prcs_.push_back(clx.sub(at + 3, cb));
      at += 3 + cb;
    } else if (type == 2) {
      plc = clx.sub(at + 5, clx.u32(at + 1));
      break;
    } else {
      break;
    }
  }
  if (plc.size() < 4 + 12) {
    // No piece table: the text is one run from fcMin, as in files that
    // were never saved incrementally.
    uint32_t fcMin = word_.u32(0x18), fcMac = word_.u32(0x1C);
    Piece p;
    p.fc = fcMin;
    p.compressed = word6_ || !(word_.u16(0x0A) & 0x1000);
    uint64_t len = fcMac > fcMin ? (fcMac - fcMin) / (p.compressed ? 1 : 2) : 0;
    uint64_t ccp = 0;
    for (uint32_t c : ccp_) ccp += c;
    if (ccp) len = std::min<uint64_t>(len, ccp);
    if (p.fc < word_.size()) len = std::min<uint64_t>(len, (word_.size() - p.fc) / (p.compressed ? 1 : 2));
    else len = 0;
    if (len == 0) fail(kCannotOpen, "the document is damaged (its text cannot be located)");
    p.cpEnd = static_cast<uint32_t>(len);
    pieces_.push_back(p);
    return;
  }
  size_t n = (plc.size() - 4) / 12;
  // Text beyond what the stream can hold is damage; capping it keeps memory
  // bounded by the file's size.
  uint64_t budget = word_.size() + 16;
  uint64_t total = 0;
  for (size_t i = 0; i < n; ++i) {
    uint32_t a = plc.u32(4 * i), b = plc.u32(4 * (i + 1));
    if (b <= a) continue;
    size_t pcd = 4 * (n + 1) + 8 * i;
    uint32_t raw = plc.u32(pcd + 2);
    Piece p;
    p.compressed = word6_ || (raw & 0x40000000u);
    p.fc = word6_ ? raw : p.compressed ? (raw & 0x3FFFFFFFu) / 2 : (raw & 0x3FFFFFFFu);
    p.prm = plc.u16(pcd + 6);
    uint64_t len = b - a;
    uint64_t w = p.compressed ? 1 : 2;
    if (p.fc >= word_.size()) continue;
    len = std::min<uint64_t>(len, (word_.size() - p.fc) / w);
    len = std::min<uint64_t>(len, budget - total);
    if (len == 0) continue;
    total += len;
    p.cpStart = static_cast<uint32_t>(pieces_.empty() ? 0 : pieces_.back().cpEnd);
    // Pieces are consecutive in CP space; damaged gaps are closed up.
    if (!pieces_.empty() || a == 0) p.cpStart = pieces_.empty() ? 0 : pieces_.back().cpEnd;
    p.cpEnd = p.cpStart + static_cast<uint32_t>(len);
    pieces_.push_back(p);
  }
  if (pieces_.empty()) fail(kCannotOpen, "the document is damaged (its text cannot be located)");
}

void DocReader::readText() {
  // Each piece is copied in one pass without a check per character: the
  // check is made once per piece (they were clipped to the stream already).
  text_.resize(pieces_.back().cpEnd);
  const std::string_view bytes = word_.view();
  for (const Piece& p : pieces_) {
    const size_t width = p.compressed ? 1 : 2;
    const size_t room = p.fc < bytes.size() ? (bytes.size() - p.fc) / width : 0;
    const size_t n = std::min<size_t>(p.cpEnd - p.cpStart, room);
    const unsigned char* src = reinterpret_cast<const unsigned char*>(bytes.data()) + p.fc;
    char16_t* dst = text_.data() + p.cpStart;
    if (p.compressed) {
      for (size_t i = 0; i < n; ++i) {
        const uint8_t c = src[i];
        dst[i] = word6_ ? byteMap_[c]
                        : (c >= 0x80 && c < 0xA0 ? kWestern80[c - 0x80] : static_cast<char16_t>(c));
      }
    } else {
      for (size_t i = 0; i < n; ++i)
        dst[i] = static_cast<char16_t>(src[2 * i] | (src[2 * i + 1] << 8));
    }
  }
}

const Piece* DocReader::pieceAt(uint32_t cp) const {
  auto it = std::upper_bound(pieces_.begin(), pieces_.end(), cp, [](uint32_t v, const Piece& p) { return v < p.cpEnd; });
  return it == pieces_.end() ? nullptr : &*it;
}

std::vector<FcRun> DocReader::readFkps(size_t which, bool paragraphs) {
  std::vector<FcRun> runs;
  Bytes plc = tableSpan(which);
  if (plc.size() < 12) return runs;
  size_t pnSize = word6_ ? 2 : 4;
  size_t n = (plc.size() - 4) / (4 + pnSize);
  size_t bxSize = word6_ ? 7 : 13;
  std::set<uint32_t> pages;
  for (size_t i = 0; i < n; ++i) {
    uint32_t pn = word6_ ? plc.u16(4 * (n + 1) + 2 * i) : plc.u32(4 * (n + 1) + 4 * i) & 0x3FFFFF;
    uint64_t off = static_cast<uint64_t>(pn) * 512;
    // Each page is read once, however often a damaged table names it.
    if (!word_.has(off, 512) || !pages.insert(pn).second) continue;
    Bytes page = word_.sub(off, 512);
    size_t crun = page.u8(511);
    if (paragraphs ? crun > 29 : crun > 101) continue;
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
          std::string& t = translated_.emplace_back(raw.view().substr(0, std::min<size_t>(2, raw.size())));
          t += translateWord6Sprms(raw.sub(2, raw.size() >= 2 ? raw.size() - 2 : 0));
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
          run.grpprl = Bytes(translated_.emplace_back(translateWord6Sprms(page.sub(b + 1, page.u8(b)))));
        } else {
          run.grpprl = page.sub(b + 1, page.u8(b));
        }
      }
      runs.push_back(run);
    }
  }
  std::stable_sort(runs.begin(), runs.end(), [](const FcRun& a, const FcRun& b) { return a.fcStart < b.fcStart; });
  return runs;
}

const FcRun* DocReader::runAt(const std::vector<FcRun>& runs, uint64_t fc, uint64_t* nextStart) {
  auto it = std::upper_bound(runs.begin(), runs.end(), fc, [](uint64_t v, const FcRun& r) { return v < r.fcStart; });
  // The run starting last at or before fc, if it still covers fc.
  if (it != runs.begin()) {
    auto prev = std::prev(it);
    if (fc < prev->fcEnd) return &*prev;
  }
  if (nextStart) *nextStart = it == runs.end() ? UINT64_MAX : it->fcStart;
  return nullptr;
}

Bytes DocReader::prmSprms(uint16_t prm) const {
  if (prm & 1) {
    size_t i = prm >> 1;
    return i < prcs_.size() ? prcs_[i] : Bytes();
  }
  // A single modifier with a one-byte operand; its index is the one-byte
  // code of Word 6.0/95.
  uint8_t isprm = (prm >> 1) & 0x7F;
  if (isprm == 0) return Bytes();
  auto it = prm0_.find(prm);
  if (it == prm0_.end()) {
    std::string g{static_cast<char>(isprm), static_cast<char>(prm >> 8)};
    it = prm0_.emplace(prm, translateWord6Sprms(Bytes(g))).first;
  }
  return Bytes(it->second);
}

Pap DocReader::papOf(uint32_t markCp) const {
  const Piece* p = pieceAt(markCp);
  if (!p) return styles_.pap(0);
  uint64_t fc = p->fc + static_cast<uint64_t>(markCp - p->cpStart) * (p->compressed ? 1 : 2);
  const FcRun* run = runAt(papx_, fc, nullptr);
  Pap pap;
  if (run) {
    int32_t istd = run->grpprl.u16(0);
    pap = styles_.pap(istd);
    pap.istd = styles_.get(istd) ? istd : 0;
    applyPap(pap, run->grpprl.sub(2, run->grpprl.size() >= 2 ? run->grpprl.size() - 2 : 0), data_);
  } else {
    pap = styles_.pap(0);
  }
  applyPap(pap, prmSprms(p->prm), data_);
  return pap;
}

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
      uint32_t segEnd = static_cast<uint32_t>(std::min<uint64_t>(end, cp + std::max<uint64_t>(chars, 1)));
      f(cp, segEnd, run ? run->grpprl : Bytes(), prm);
      cp = segEnd;
    }
  }
}

std::vector<Para> DocReader::paragraphs(uint32_t a, uint32_t b) const {
  std::vector<Para> out;
  uint32_t start = a;
  for (uint32_t cp = a; cp < b; ++cp) {
    char16_t c = text_[cp];
    if (c != 13 && c != 7) continue;
    Para p;
    p.start = start;
    p.end = cp + 1;
    p.mark = c;
    p.pap = papOf(cp);
    out.push_back(std::move(p));
    start = cp + 1;
  }
  if (start < b) {
    Para p;
    p.start = start;
    p.end = b;
    p.mark = 0;
    p.pap = papOf(b - 1);
    out.push_back(std::move(p));
  }
  // Table structure: depth, cell and row ends, and for each paragraph the
  // row end (which carries the row's cell definitions) of its row.
  for (Para& p : out) {
    p.depth = p.pap.itap > 0 ? p.pap.itap : (p.pap.inTable ? 1 : 0);
    if (p.depth == 1) {
      p.rowEnd = p.pap.ttp && p.mark == 7;
      p.cellEnd = !p.rowEnd && p.mark == 7;
    } else if (p.depth > 1) {
      p.rowEnd = p.pap.innerTtp || (p.pap.ttp && p.mark == 7);
      p.cellEnd = !p.rowEnd && (p.pap.innerCell || p.mark == 7);
    }
  }
  constexpr int kMaxDepth = 65;
  std::vector<int32_t> next(kMaxDepth + 1, -1);
  for (size_t i = out.size(); i-- > 0;) {
    int d = std::min(out[i].depth, kMaxDepth);
    for (int k = d + 1; k <= kMaxDepth; ++k) next[k] = -1;
    if (d > 0 && out[i].rowEnd) next[d] = static_cast<int32_t>(i);
    out[i].rowDef = d > 0 ? next[d] : -1;
  }
  return out;
}

CharFormat DocReader::charFormat(const Chp& c) const {
  CharFormat f;
  f.bold = c.bold;
  f.italic = c.italic;
  f.underline = c.underline != 0;
  f.strike = c.strike || c.dstrike;
  f.superscript = c.iss == 1;
  f.subscript = c.iss == 2;
  f.color = c.color;
  f.highlight = c.highlight;
  f.halfPoints = c.halfPoints;
  if (c.font >= 0 && static_cast<size_t>(c.font) < fonts_.size()) f.font = fonts_[c.font].name;
  return f;
}

ParagraphFormat DocReader::paragraphFormat(const Pap& p, std::optional<ListLabel> label) const {
  ParagraphFormat f;
  f.style = p.istd >= 0 && static_cast<size_t>(p.istd) < styleIndex_.size() && styleIndex_[p.istd] >= 0
                ? styleIndex_[p.istd]
                : 0;
  f.outlineLevel = p.outline;
  f.align = p.jc == 0 ? Align::Left : p.jc == 1 ? Align::Center : p.jc == 2 ? Align::Right : Align::Justify;
  f.indentLeft = p.left;
  f.indentRight = p.right;
  f.indentFirst = p.first;
  if (label) {
    f.listId = label->listId;
    f.listLevel = p.ilvl;
    f.listOrdered = label->ordered;
    f.listLabel = std::move(label->text);
  }
  return f;
}

// A bullet drawn from a pictograph font has no character of its own; it
// shows as the usual bullet of its level.
std::u16string DocReader::bullet(char16_t c, int32_t font, uint8_t level) const {
  const Font* f = font >= 0 && static_cast<size_t>(font) < fonts_.size() ? &fonts_[font] : nullptr;
  if ((c >= 0xF000 && c <= 0xF0FF) || (f && f->symbol)) {
    static constexpr char16_t kByLevel[3] = {0x2022, 0x25E6, 0x25AA};
    return std::u16string(1, kByLevel[level % 3]);
  }
  if (c == u'o' && f && f->name == u"Courier New") return u"\u25E6";
  return std::u16string(1, c);
}

void DocReader::readNotes(size_t refIndex, size_t txtIndex, uint32_t base, bool endnote) {
  Bytes ref = tableSpan(refIndex);
  Bytes txt = tableSpan(txtIndex);
  if (ref.size() < 4 + 6 || txt.size() < 8) return;
  size_t n = (ref.size() - 4) / 6;
  size_t m = txt.size() / 4;  // CPs of the note texts
  for (size_t i = 0; i < n && i + 1 < m; ++i) {
    NoteRef r;
    r.endnote = endnote;
    r.automatic = ref.i16(4 * (n + 1) + 2 * i) != 0;
    uint64_t s = static_cast<uint64_t>(base) + txt.u32(4 * i);
    uint64_t e = static_cast<uint64_t>(base) + txt.u32(4 * (i + 1));
    r.start = static_cast<uint32_t>(std::min<uint64_t>(s, text_.size()));
    r.end = static_cast<uint32_t>(std::min<uint64_t>(e, text_.size()));
    uint32_t cp = ref.u32(4 * i);
    if (cp < ccp_[0]) noteRefs_.emplace(cp, r);
  }
}

void DocReader::readShapes() {
  auto [fc, lcb] = fcLcb(kDggInfo);
  drawing_ = readDrawing(table_, fc, lcb, word_, inflateBudget_);
  Bytes spa = tableSpan(kPlcSpaMom);
  if (spa.size() >= 4 + 26) {
    size_t n = (spa.size() - 4) / 30;
    for (size_t i = 0; i < n; ++i) {
      size_t d = 4 * (n + 1) + 26 * i;
      Shape s;
      s.lid = spa.i32(d);
      // Twips; a damaged rectangle must not overflow.
      s.width = static_cast<int32_t>(std::clamp<int64_t>(int64_t{spa.i32(d + 12)} - spa.i32(d + 4), 0, 1 << 24));
      s.height = static_cast<int32_t>(std::clamp<int64_t>(int64_t{spa.i32(d + 16)} - spa.i32(d + 8), 0, 1 << 24));
      shapes_.emplace(spa.u32(4 * i), s);
    }
  }
  Bytes tx = tableSpan(kPlcftxbxTxt);
  if (tx.size() >= 4 + 22) {
    size_t n = (tx.size() - 4) / 26;
    uint64_t base = 0;
    for (int k = 0; k < 6; ++k) base += ccp_[k];
    for (size_t i = 0; i + 1 < n + 1 && i < n; ++i) {
      int32_t lid = tx.i32(4 * (n + 1) + 22 * i + 14);
      uint64_t s = base + tx.u32(4 * i), e = base + tx.u32(4 * (i + 1));
      if (s < e && e <= text_.size() && lid != 0) textBoxes_.emplace(lid, std::make_pair(uint32_t(s), uint32_t(e)));
    }
  }
}

void DocReader::readBookmarks() {
  auto [fcN, lcbN] = fcLcb(kSttbfBkmk);
  std::vector<std::u16string> names = readSttb(table_, fcN, lcbN, word6_);
  Bytes bkf = tableSpan(kPlcfBkf);
  Bytes bkl = tableSpan(kPlcfBkl);
  if (bkf.size() < 12 || bkl.size() < 8) return;
  size_t n = (bkf.size() - 4) / 8;
  size_t m = (bkl.size() - 4) / 4;
  // Real documents have hundreds; a cap keeps closing them cheap.
  constexpr size_t kMaxBookmarks = 8192;
  for (size_t i = 0; i < n && i < names.size() && bookmarkStarts_.size() < kMaxBookmarks; ++i) {
    uint32_t start = bkf.u32(4 * i);
    size_t ibkl = bkf.u16(4 * (n + 1) + 4 * i);
    if (ibkl >= m) continue;
    uint32_t end = bkl.u32(4 * ibkl);
    if (start > end || start >= ccp_[0]) continue;
    end = std::min(end, ccp_[0]);
    bookmarkStarts_.emplace(start, names[i]);
    bookmarkEnds_.emplace(end, names[i]);
  }
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
      st.name = ascii("heading ") + static_cast<char16_t>(u'0' + s->sti);
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

// Emits one story (or a part of one) into a builder in text order.
struct DocReader::Emitter {
  Emitter(DocReader& reader, Builder& builder) : r(reader), b(builder) {}
  DocReader& r;
  Builder& b;
  bool main = false;
  bool flat = false;                 // text boxes: tables become paragraphs
  std::u16string noteLabel;          // a note's own number, for its body
  std::vector<Field> fields;
  std::vector<uint32_t> unclosed;    // field begins without an end, sorted
  std::u16string buffer;
  CharFormat bufferFormat;
  struct Level {
    bool rowOpen = false, cellOpen = false;
    size_t cell = 0;
    // The open cell goes on with the next cell's content, which is merged
    // into it; a paragraph break is owed before that content.
    bool joinNext = false;
  };
  std::vector<Level> levels;          // open tables
  int footnotes = 0, endnotes = 0;
  std::vector<std::pair<uint32_t, uint32_t>> pendingBoxes;

  void flush() {
    if (!buffer.empty()) b.text(std::u16string_view(buffer), bufferFormat);
    buffer.clear();
  }
  void put(char16_t c, const CharFormat& f) { put(std::u16string_view(&c, 1), f); }
  void put(std::u16string_view text, const CharFormat& f) {
    if (buffer.empty()) {
      bufferFormat = f;
    } else if (!(f == bufferFormat)) {
      flush();
      bufferFormat = f;
    }
    buffer.append(text);
  }

  bool inFieldCode() const {
    for (const Field& fd : fields)
      if (fd.inCode) return true;
    return false;
  }

  uint32_t nextNoteFrom(uint32_t cp) const {
    if (!main) return UINT32_MAX;
    auto it = r.noteRefs_.lower_bound(cp);
    return it == r.noteRefs_.end() ? UINT32_MAX : it->first;
  }

  // The first position at or after `cp` where a bookmark starts or ends
  // (none: UINT32_MAX), so that the text between needs no look-up.
  uint32_t nextBookmarkFrom(uint32_t cp) const {
    if (!main) return UINT32_MAX;
    uint32_t next = UINT32_MAX;
    auto s = r.bookmarkStarts_.lower_bound(cp);
    if (s != r.bookmarkStarts_.end()) next = s->first;
    auto e = r.bookmarkEnds_.lower_bound(cp);
    if (e != r.bookmarkEnds_.end()) next = std::min(next, e->first);
    return next;
  }

  void bookmarksAt(uint32_t cp) {
    if (!main) return;
    auto [s0, s1] = r.bookmarkStarts_.equal_range(cp);
    auto [e0, e1] = r.bookmarkEnds_.equal_range(cp);
    if (s0 == s1 && e0 == e1) return;
    flush();
    for (auto it = s0; it != s1; ++it) b.startBookmark(it->second);
    for (auto it = e0; it != e1; ++it) b.endBookmark(it->second);
  }

  std::u16string currentLink() const {
    for (auto it = fields.rbegin(); it != fields.rend(); ++it)
      if (!it->link.empty()) return it->link;
    return {};
  }

  static bool continuesMerge(const TableCellDef& c) { return c.merged && !c.firstMerged; }

  // Whether the cell after `cell` of the paragraph's row is merged into it.
  static bool nextCellMerged(const std::vector<Para>& paras, const Para& p, size_t cell) {
    if (p.rowDef < 0 || static_cast<size_t>(p.rowDef) >= paras.size()) return false;
    const std::vector<TableCellDef>& cells = paras[static_cast<size_t>(p.rowDef)].pap.cells;
    return cell + 1 < cells.size() && continuesMerge(cells[cell + 1]);
  }

  void closeTablesTo(size_t depth) {
    while (levels.size() > depth) {
      if (levels.back().cellOpen) b.endCell();
      if (levels.back().rowOpen) b.endRow();
      b.endTable();
      levels.pop_back();
    }
  }

  void openStructure(const std::vector<Para>& paras, size_t i) {
    const Para& p = paras[i];
    size_t d = flat ? 0 : static_cast<size_t>(p.depth);
    closeTablesTo(d);
    for (size_t l = 1; l <= d; ++l) {
      if (levels.size() < l) {
        b.startTable();
        levels.push_back({});
      }
      Level& lv = levels[l - 1];
      bool rowEndHere = l == d && p.rowEnd;
      if (!lv.rowOpen) {
        b.startRow();
        lv.rowOpen = true;
        lv.cell = 0;
      }
      if (!lv.cellOpen && !rowEndHere) {
        int32_t width = 0;
        VMerge vm = VMerge::None;
        // The row definition of this level's row: from the paragraph itself
        // when it is at this depth, else from the table's own row end.
        int32_t def = -1;
        if (static_cast<size_t>(p.depth) == l) def = p.rowDef;
        uint16_t span = 1;
        if (def >= 0) {
          const std::vector<TableCellDef>& cells = paras[def].pap.cells;
          if (lv.cell < cells.size()) {
            width = cells[lv.cell].width;
            if (cells[lv.cell].vertRestart)
              vm = VMerge::Restart;
            else if (cells[lv.cell].vertMerge)
              vm = VMerge::Continue;
            // Cells merged across into this one widen it.
            for (size_t k = lv.cell + 1; k < cells.size() && continuesMerge(cells[k]); ++k) {
              width += cells[k].width;
              ++span;
            }
          }
        }
        b.startCell(std::max(width, 0), span, vm);
        lv.cellOpen = true;
      }
    }
  }

  void emitPicture(const Chp& chp, const CharFormat& f) {
    if (!chp.hasPicLocation) return;
    // Pictures shown more than once share their bytes.
    auto cached = r.inlinePictures_.find(chp.picLocation);
    if (cached == r.inlinePictures_.end())
      cached = r.inlinePictures_.emplace(chp.picLocation, readInlinePicture(r.data_, chp.picLocation, r.word_, r.inflateBudget_)).first;
    const InlinePicture& pic = cached->second;
    if (!pic.image) return;
    Picture p;
    p.data = pic.image->bytes;
    p.format = pic.image->format;
    p.widthPx = pic.widthTwips / 15;
    p.heightPx = pic.heightTwips / 15;
    p.alt = pic.alt;
    flush();
    b.picture(std::move(p), f);
  }

  void emitShape(uint32_t cp, const CharFormat& f) {
    auto it = r.shapes_.find(cp);
    if (it == r.shapes_.end()) return;
    const Shape& s = it->second;
    if (auto img = r.drawing_.imageOfShape(static_cast<uint32_t>(s.lid))) {
      Picture p;
      p.data = img->bytes;
      p.format = img->format;
      p.widthPx = std::max(0, s.width / 15);
      p.heightPx = std::max(0, s.height / 15);
      auto alt = r.drawing_.altOf.find(static_cast<uint32_t>(s.lid));
      if (alt != r.drawing_.altOf.end()) p.alt = alt->second;
      flush();
      b.picture(std::move(p), f);
    }
    // A text box shows once, however many anchors name it.
    auto tb = r.textBoxes_.find(s.lid);
    if (tb != r.textBoxes_.end()) {
      pendingBoxes.push_back(tb->second);
      r.textBoxes_.erase(tb);
    }
  }

  void emitNote(uint32_t cp, const NoteRef& ref, char16_t c, const CharFormat& f, int depth) {
    std::u16string label;
    if (ref.automatic) {
      label = ref.endnote ? formatNumber(++endnotes, 2) : formatNumber(++footnotes, 0);
    } else {
      label = std::u16string(1, c);
    }
    Builder nb;
    // Damaged note tables may point many notes at the same long text; the
    // budget keeps the model's size bounded by the document's.
    size_t length = ref.end - ref.start;
    if (depth < 2 && ref.start < ref.end && length <= r.noteBudget_) {
      r.noteBudget_ -= length;
      Emitter e(r, nb);
      e.noteLabel = label;
      e.emit(ref.start, ref.end, depth + 1);
    }
    flush();
    b.note(ref.endnote, label, nb.finishStory(), f);
    (void)cp;
  }

  void emitText(const Para& p, int depth) {
    uint32_t contentEnd = p.mark ? p.end - 1 : p.end;
    r.forEachCharRun(p.start, contentEnd, [&](uint32_t a, uint32_t e, Bytes grpprl, Bytes prm) {
      const Chp& styleChp = r.styles_.chp(p.pap.istd);
      Chp chp = styleChp;
      applyChp(chp, grpprl, styleChp, &r.styles_);
      applyChp(chp, prm, styleChp, &r.styles_);
      CharFormat f = r.charFormat(chp);
      CharFormat linked = f;
      linked.hyperlink = currentLink();
      uint32_t nextBookmark = nextBookmarkFrom(a);
      uint32_t nextNote = nextNoteFrom(a);
      const bool plainRun = !chp.special && !chp.hasSymbol;
      bool inCode = inFieldCode();
      for (uint32_t cp = a; cp < e; ++cp) {
        if (cp >= nextBookmark) {
          bookmarksAt(cp);
          nextBookmark = nextBookmarkFrom(cp + 1);
        }
        if (nextNote < cp) nextNote = nextNoteFrom(cp);
        // Ordinary text up to the next bookmark, note or control character
        // goes into the buffer in one piece.
        if (plainRun && !inCode) {
          const uint32_t stop = std::min({e, nextBookmark, nextNote});
          uint32_t k = cp;
          while (k < stop && r.text_[k] >= 0x20) ++k;
          if (k > cp) {
            put(std::u16string_view(r.text_).substr(cp, k - cp), linked);
            cp = k - 1;
            continue;
          }
        }
        char16_t c = r.text_[cp];
        if (c == 19) {
          if (std::binary_search(unclosed.begin(), unclosed.end(), cp)) continue;
          if (fields.size() < 64) fields.push_back({});
          linked.hyperlink = currentLink();
          inCode = inFieldCode();
          continue;
        }
        if (c == 20) {
          if (!fields.empty() && fields.back().inCode) {
            fields.back().inCode = false;
            fields.back().link = hyperlinkTarget(fields.back().code);
          }
          linked.hyperlink = currentLink();
          inCode = inFieldCode();
          continue;
        }
        if (c == 21) {
          if (!fields.empty()) fields.pop_back();
          linked.hyperlink = currentLink();
          inCode = inFieldCode();
          continue;
        }
        bool hidden = false;
        for (auto it = fields.rbegin(); it != fields.rend(); ++it)
          if (it->inCode) {
            if (it->code.size() < 4096) it->code.push_back(c);
            hidden = true;
            break;
          }
        if (hidden) continue;
        if (main) {
          auto nr = r.noteRefs_.find(cp);
          if (nr != r.noteRefs_.end()) {
            emitNote(cp, nr->second, c, linked, depth);
            continue;
          }
        }
        if (chp.special || c < 0x20) {
          switch (c) {
            case 1:
              emitPicture(chp, linked);
              continue;
            case 8:
              if (chp.special) emitShape(cp, linked);
              continue;
            case 2:
              if (!noteLabel.empty()) {
                for (char16_t l : noteLabel) put(l, linked);
              }
              continue;
            case 9:
            case 11:
            case 12:
            case 14: put(c, linked); continue;
            case 30: put(0x2011, linked); continue;
            case 31: put(0x00AD, linked); continue;
            default:
              if (c < 0x20) continue;
              break;
          }
        }
        if (chp.hasSymbol) {
          put(chp.symbolChar, linked);
          continue;
        }
        put(c, linked);
      }
    });
  }

  void emit(uint32_t a, uint32_t end, int depth) {
    // A field begin without its end (damage) would hide the rest of the
    // text as field code; such begins are ignored.
    std::vector<uint32_t> open;
    for (uint32_t cp = a; cp < end; ++cp) {
      if (r.text_[cp] == 19) {
        open.push_back(cp);
      } else if (r.text_[cp] == 21 && !open.empty()) {
        open.pop_back();
      }
    }
    unclosed = std::move(open);
    std::vector<Para> paras = r.paragraphs(a, end);
    for (size_t i = 0; i < paras.size(); ++i) {
      const Para& p = paras[i];
      openStructure(paras, i);
      // In a cell merged into the one before, empty paragraphs vanish and
      // content starts a new paragraph of the joined cell.
      Level* joined = !flat && !levels.empty() && levels.back().joinNext &&
                              static_cast<size_t>(p.depth) == levels.size()
                          ? &levels.back()
                          : nullptr;
      const bool empty = (p.mark ? p.end - 1 : p.end) <= p.start;
      if (joined && !empty) {
        b.endParagraph();
        joined->joinNext = false;
      }
      const bool skipped = joined && empty;
      std::optional<ListLabel> label;
      if (p.pap.ilfo > 0 && !(p.rowEnd && !flat)) label = r.lists_.next(p.pap.ilfo, p.pap.ilvl);
      if (label && !label->ordered && label->text.size() == 1) label->text = r.bullet(label->text[0], label->font, p.pap.ilvl);
      ParagraphFormat pf = r.paragraphFormat(p.pap, label);
      pf.textBox = flat;
      if (!skipped) b.paragraph(pf);
      if (!(p.rowEnd && !flat)) emitText(p, depth);
      else bookmarksAt(p.start);
      flush();
      if (!flat && p.rowEnd && !levels.empty()) {
        b.endRow();
        levels.back().rowOpen = false;
        levels.back().cellOpen = false;
        levels.back().joinNext = false;
      } else if (!flat && p.cellEnd && !levels.empty()) {
        Level& lv = levels.back();
        if (static_cast<size_t>(p.depth) == levels.size() && nextCellMerged(paras, p, lv.cell)) {
          lv.joinNext = true;  // the cell stays open for the merged one
        } else {
          b.endCell();
          lv.cellOpen = false;
          lv.joinNext = false;
        }
        ++lv.cell;
      } else if (!skipped) {
        b.endParagraph();
      }
      if (!pendingBoxes.empty() && depth < 2) {
        auto boxes = std::move(pendingBoxes);
        pendingBoxes.clear();
        for (auto [s, e] : boxes) {
          Emitter tb(r, b);
          tb.flat = true;
          tb.emit(s, e, depth + 1);
        }
      }
    }
    bookmarksAt(end);
    flush();
    closeTablesTo(0);
  }
};

// Word 6.0/95 text is 8-bit in the code page of the fonts it uses; the
// first font made for a national character set names it.
void DocReader::word6CodePage() {
  const char* codepage = "WINDOWS-1252";
  Bytes ffn = tableSpan(kSttbfFfn);
  for (size_t at = 2, guard = 0; at < ffn.size() && guard < 4096; ++guard) {
    uint8_t chs = ffn.u8(at + 4);
    const char* cp = nullptr;
    switch (chs) {
      case 238: cp = "WINDOWS-1250"; break;
      case 204: cp = "WINDOWS-1251"; break;
      case 161: cp = "WINDOWS-1253"; break;
      case 162: cp = "WINDOWS-1254"; break;
      case 177: cp = "WINDOWS-1255"; break;
      case 178: cp = "WINDOWS-1256"; break;
      case 186: cp = "WINDOWS-1257"; break;
      default: break;
    }
    if (cp) {
      codepage = cp;
      break;
    }
    at += 1 + static_cast<size_t>(ffn.u8(at));
  }
  for (int c = 0; c < 256; ++c) {
    std::u16string u = c < 0x80 ? std::u16string(1, static_cast<char16_t>(c))
                                : support::fromCodePage(std::string(1, static_cast<char>(c)), codepage);
    byteMap_[c] = u.size() == 1 ? u[0] : static_cast<char16_t>(0xFFFD);
  }
}

Model DocReader::read() {
  if (file_.substr(0, 2) == std::string_view("\xDB\xA5", 2)) {
    fail(kCannotOpen,
         "the document was saved by a Word version older than 6.0; open it in the word processor and save it "
         "as Word 97-2003 (.doc) or .docx");
  }
  if (file_.substr(0, 8) != std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
    fail(kCannotOpen, "the document is damaged (not a Word 97-2003 compound file)");
  streams_ = openStreams(file_);
  if (!streams_.hasWordDocument) {
    if (streams_.encryptedPackage) fail(kPasswordProtected, "the document is password-protected");
    fail(kCannotOpen, "the file is not a Word document (no document stream)");
  }
  word_ = Bytes(streams_.word);
  readFib();
  if (word6_) {
    auto [ffc, flcb] = fcLcb(kSttbfFfn);
    fonts_ = readFonts(table_, ffc, flcb, true);
    word6CodePage();
  }
  readPieces();
  readText();
  chpx_ = readFkps(kPlcfBteChpx, false);
  papx_ = readFkps(kPlcfBtePapx, true);
  {
    auto [fc, lcb] = fcLcb(kStshf);
    styles_.read(table_, fc, lcb, word6_);
    auto [ffc, flcb] = fcLcb(kSttbfFfn);
    fonts_ = readFonts(table_, ffc, flcb, word6_);
    auto [lfc, llcb] = fcLcb(kPlfLst);
    auto [ofc, olcb] = fcLcb(kPlfLfo);
    lists_.read(table_, lfc, llcb, ofc, olcb);
  }
  uint32_t mainEnd = std::min<uint32_t>(ccp_[0], static_cast<uint32_t>(text_.size()));
  ccp_[0] = mainEnd;
  readNotes(kPlcffndRef, kPlcffndTxt, mainEnd, false);
  readNotes(kPlcfendRef, kPlcfendTxt, ccp_[0] + ccp_[1] + ccp_[2] + ccp_[3] + ccp_[4], true);
  readShapes();
  readBookmarks();

  noteBudget_ = text_.size() + 1024;
  Builder b;
  addStyles(b);
  Emitter e(*this, b);
  e.main = true;
  e.emit(0, mainEnd, 0);
  return b.finish();
}

}  // namespace

Model readDoc(std::string_view bytes) {
  DocReader reader(bytes);
  return reader.read();
}

}  // namespace word::read
