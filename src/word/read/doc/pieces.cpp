// The piece table: where each run of characters is in the WordDocument
// stream, whether it is 8-bit or UTF-16, and which property modifiers the
// piece adds to its text.
#include <algorithm>
#include <string>

#include "word/error.h"
#include "word/read/doc/reader_state.h"
#include "word/read/doc/word6.h"

namespace word::read::doc::detail {
namespace {

// Bytes 0x80..0x9F of the Western code page of 8-bit pieces.
constexpr char16_t kWestern80[32] = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

}  // namespace

void DocReader::readPieces() {
  auto [fc, lcb] = fcLcb(kClx);
  Bytes clx = table_.has(fc, 1) ? table_.sub(fc, lcb) : Bytes();
  size_t at = 0;
  Bytes plc;
  for (int guard = 0; at < clx.size() && guard < 100000; ++guard) {
    uint8_t type = clx.u8(at);
    if (type == 1) {
      // A piece's properties apply to each of its paragraphs and runs
      // again: past 4 KB (a fast save writes a few bytes) they are not read,
      // where 64 KB of them over 20,000 paragraphs took seconds.
      size_t cb = clx.u16(at + 1);
      prcs_.push_back(clx.sub(at + 3, std::min<size_t>(cb, 4096)));
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
    if (p.fc < word_.size())
      len = std::min<uint64_t>(len, (word_.size() - p.fc) / (p.compressed ? 1 : 2));
    else
      len = 0;
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
  uint64_t beyond = 0;  // characters of the stories that the table places past the stream's end
  uint64_t stories = 0;
  for (uint32_t c : ccp_) stories += c;
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
    const uint64_t room = p.fc < word_.size() ? (word_.size() - p.fc) / w : 0;
    const uint64_t needed = stories ? std::min<uint64_t>(b, stories) : b;
    if (needed > a + std::min(len, room)) beyond += needed - a - std::min(len, room);
    if (room == 0) continue;
    len = std::min(len, room);
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
  // Text the file does not hold: a course converted without it would lose
  // pages without a word.
  if (beyond > 0)
    fail(kCannotOpen, "the document is damaged (" + std::to_string(beyond) +
                          " characters of its text lie past the end of the file)");
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
  auto it = std::upper_bound(pieces_.begin(), pieces_.end(), cp,
                             [](uint32_t v, const Piece& p) { return v < p.cpEnd; });
  return it == pieces_.end() ? nullptr : &*it;
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

}  // namespace word::read::doc::detail
