// MTEF records: an equation is a list of records, each a tag (the record's
// type; its options in the high nibble before version 5, in a byte of
// their own after it) and a body. Lines, piles, matrices and templates hold
// lists of records ending in END; definitions (fonts, sizes, colours,
// preferences) are skipped by their structure. The data is not trusted:
// every read is checked, nesting and text length are capped, and anything
// that does not fit gives no text at all rather than a wrong one.
#include "word/read/mtef.h"

#include "word/read/mtef_forms.h"

namespace word::read {
namespace {

using std::u16string;
using namespace mtef;

// Thrown inside the reader for data that cannot be read on; the equation
// then has no text.
struct Damaged {};

// Real equations nest a few levels; the cap keeps hostile nesting from
// exhausting the stack.
constexpr int kMaxDepth = 48;

enum RecordType : uint8_t {
  kEnd = 0,
  kLine = 1,
  kChar = 2,
  kTmpl = 3,
  kPile = 4,
  kMatrix = 5,
  kEmbell = 6,
  kRuler = 7,
  kFont = 8,  // FONT (versions 2, 3), FONT_STYLE_DEF (version 5)
  kSize = 9,
  kSubSym = 14,  // 10..14: type sizes without a body
  kColor = 15,
  kColorDef = 16,
  kFontDef = 17,
  kEqnPrefs = 18,
  kEncodingDef = 19,
  kFuture = 100,  // and above: records with their length
};

// Option bits.
constexpr uint8_t kNudge = 0x08;
constexpr uint8_t kLineNull = 0x01, kLpRuler = 0x02, kLineSpace = 0x04;

// What a record gives the list that holds it.
struct Obj {
  enum Kind { kSlot, kCharacter, kPart, kMark } kind = kPart;
  u16string text;
  bool function = false;  // a letter of a function's name (sin, log)
};

class Reader {
 public:
  Reader(std::string_view bytes, bool v5) : b_(bytes), v5_(v5) {}

  u16string equation() {
    u16string out;
    for (const Obj& o : list(0, true))
      if (o.kind != Obj::kMark) out += o.text;
    return out;
  }

 private:
  uint8_t u8() {
    if (at_ >= b_.size()) throw Damaged{};
    return static_cast<uint8_t>(b_[at_++]);
  }
  uint16_t u16() {
    uint16_t lo = u8();
    return static_cast<uint16_t>(lo | u8() << 8);
  }
  void skip(size_t n) {
    if (n > b_.size() - at_) throw Damaged{};
    at_ += n;
  }
  void skipString() {
    while (u8() != 0) {
    }
  }
  // Offsets the author nudged the record by: two bytes, or two bytes of 128
  // and two 16-bit values.
  void nudge(uint8_t options) {
    if (!(options & kNudge)) return;
    uint8_t dx = u8(), dy = u8();
    if (dx == 128 && dy == 128) skip(4);
  }

  std::vector<Obj> list(int depth, bool top = false);
  bool record(uint8_t type, uint8_t options, int depth, Obj& out);
  void skipDefinition(uint8_t type);
  void ruler();
  void dimensions();
  Obj line(uint8_t options, int depth);
  Obj character(uint8_t options, int depth);
  Obj templ(uint8_t options, int depth);
  Obj pile(uint8_t options, int depth);
  Obj matrix(uint8_t options, int depth);

  std::string_view b_;
  size_t at_ = 0;
  bool v5_;
};

void capped(const u16string& s) {
  if (s.size() > kMaxEquationText) throw Damaged{};
}

// The records of one list, up to its END; the equation's own list may end
// with the data instead.
std::vector<Obj> Reader::list(int depth, bool top) {
  if (depth > kMaxDepth) throw Damaged{};
  std::vector<Obj> out;
  for (;;) {
    if (top && at_ == b_.size()) return out;
    const uint8_t tag = u8();
    const uint8_t type = v5_ ? tag : static_cast<uint8_t>(tag & 0x0F);
    if (type == kEnd) return out;
    uint8_t options = v5_ ? 0 : static_cast<uint8_t>(tag >> 4);
    if (v5_ && type >= kLine && type <= kEmbell) options = u8();
    Obj o;
    if (record(type, options, depth, o)) {
      capped(o.text);
      out.push_back(std::move(o));
    }
  }
}

// False for a record that adds nothing to the text.
bool Reader::record(uint8_t type, uint8_t options, int depth, Obj& out) {
  switch (type) {
    case kLine:
      out = line(options, depth);
      return true;
    case kChar:
      out = character(options, depth);
      return true;
    case kTmpl:
      out = templ(options, depth);
      return true;
    case kPile:
      out = pile(options, depth);
      return true;
    case kMatrix:
      out = matrix(options, depth);
      return true;
    case kEmbell:
      nudge(options);
      out = {Obj::kMark, embellishment(u8())};
      return true;
    default:
      skipDefinition(type);
      return false;
  }
}

// Records that define how the equation looks, not what it says.
void Reader::skipDefinition(uint8_t type) {
  if (type == kRuler) return ruler();
  if (type == kFont) {
    skip(2);
    if (!v5_) skipString();  // the font's name
    return;
  }
  if (type == kSize) {
    const uint8_t size = u8();
    skip(size == 101 ? 2 : size == 100 ? 3 : 1);
    return;
  }
  if (type > kSize && type <= kSubSym) return;
  if (!v5_) throw Damaged{};
  if (type == kColor) return skip(1);
  if (type == kColorDef) {
    const uint8_t options = u8();
    skip(options & 0x01 ? 8 : 6);  // CMYK or RGB
    if (options & 0x04) skipString();
    return;
  }
  if (type == kFontDef) {
    skip(1);
    return skipString();
  }
  if (type == kEqnPrefs) {
    skip(1);
    dimensions();  // sizes
    dimensions();  // spaces
    for (uint8_t styles = u8(), i = 0; i < styles; ++i)
      if (u8() != 0) skip(1);
    return;
  }
  if (type == kEncodingDef) return skipString();
  // A record type newer than this reader knows carries its length.
  if (type >= kFuture) return skip(u16());
  throw Damaged{};
}

// A ruler's tab stops, where a line or pile has one (its tag may come
// first).
void Reader::ruler() {
  uint8_t stops = u8();
  if (stops == kRuler) stops = u8();
  skip(3 * size_t{stops});
}

// An array of dimensions in nibbles, high nibble first: each value is a
// unit and digits, ended by 0xF; the array ends on a byte boundary.
void Reader::dimensions() {
  const uint8_t count = u8();
  uint8_t byte = 0;
  bool high = true;
  auto nibble = [&] {
    high = !high;
    if (!high) byte = u8();
    return !high ? byte >> 4 : byte & 0x0F;
  };
  for (uint8_t i = 0; i < count; ++i) {
    nibble();
    while (nibble() != 0x0F) {
    }
  }
}

Obj Reader::line(uint8_t options, int depth) {
  nudge(options);
  if (options & kLineSpace) skip(2);
  if (options & kLpRuler) ruler();
  Obj out{Obj::kSlot, {}};
  if (options & kLineNull) return out;  // an empty slot
  const std::vector<Obj> objs = list(depth + 1);
  for (size_t i = 0; i < objs.size(); ++i) {
    out.text += objs[i].text;
    // A function's name and its argument, joined as the Office Math reader
    // joins them ("sin⁡x"); a script on the name stays on it.
    const bool nameEnds = objs[i].function && i + 1 < objs.size() && !objs[i + 1].function &&
                          !objs[i + 1].text.empty() && objs[i + 1].text[0] != u'_' &&
                          objs[i + 1].text[0] != u'^';
    if (nameEnds) out.text += u'\u2061';
    capped(out.text);
  }
  return out;
}

Obj Reader::character(uint8_t options, int depth) {
  nudge(options);
  const int typeface = u8() - 128;
  uint16_t code = 0;
  bool fontPosition = false;
  if (v5_) {
    // MTCode (Unicode and the editor's own characters), or else only the
    // character's position in its font.
    const bool mtcode = !(options & 0x20);
    if (mtcode) code = u16();
    uint16_t position = 0;
    if (options & 0x04) position = u8();
    if (options & 0x10) position = u16();
    if (!mtcode) {
      code = position;
      fontPosition = true;
    }
  } else {
    // Older versions write the font's code for symbol fonts.
    code = u16();
    fontPosition = code < 0x100;
  }
  Obj out{Obj::kCharacter, charText(typeface, code, fontPosition)};
  out.function = typeface == kFnFunction;
  if (options & (v5_ ? 0x01 : 0x02)) {
    for (const Obj& mark : list(depth + 1))
      if (mark.kind == Obj::kMark && !out.text.empty()) out.text += mark.text;
  }
  return out;
}

Obj Reader::templ(uint8_t options, int depth) {
  nudge(options);
  const uint8_t selector = u8();
  uint16_t variation = u8();
  if (v5_ && (variation & 0x80)) variation = static_cast<uint16_t>((variation & 0x7F) | u8() << 8);
  skip(1);  // the template's own options: how fences align, whether integrals grow
  Parts parts;
  for (Obj& o : list(depth + 1)) {
    if (o.kind == Obj::kCharacter)
      parts.chars.push_back(std::move(o.text));
    else if (o.kind != Obj::kMark)
      parts.slots.push_back(std::move(o.text));
  }
  return {Obj::kPart, v5_ ? templateText5(selector, variation, parts)
                          : templateText3(selector, variation, parts)};
}

// Lines stacked: one line stands as itself, more as an equation array.
Obj Reader::pile(uint8_t options, int depth) {
  nudge(options);
  skip(2);  // alignments
  if (options & kLpRuler) ruler();
  std::vector<u16string> lines;
  for (Obj& o : list(depth + 1))
    if (o.kind == Obj::kSlot || o.kind == Obj::kPart) lines.push_back(std::move(o.text));
  if (lines.size() == 1) return {Obj::kPart, lines[0]};
  u16string out = u"█(";
  for (size_t i = 0; i < lines.size(); ++i) out += (i ? u"@" : u"") + lines[i];
  return {Obj::kPart, out + u")"};
}

Obj Reader::matrix(uint8_t options, int depth) {
  nudge(options);
  skip(3);  // alignments
  const size_t rows = u8(), cols = u8();
  // Partition lines: two bits for each, one more than rows or columns.
  skip(((rows + 1) * 2 + 7) / 8);
  skip(((cols + 1) * 2 + 7) / 8);
  u16string out = u"■(";
  size_t k = 0;
  for (const Obj& cell : list(depth + 1)) {
    if (cell.kind == Obj::kMark) continue;
    if (k > 0) out += cols && k % cols == 0 ? u"@" : u"&";
    out += cell.text;
    ++k;
    capped(out);
  }
  return {Obj::kPart, out + u")"};
}

u16string trimmed(const u16string& s) {
  size_t a = 0, b = s.size();
  while (a < b && s[a] == u' ') ++a;
  while (b > a && s[b - 1] == u' ') --b;
  return s.substr(a, b - a);
}

}  // namespace

u16string mtefText(std::string_view mtef) {
  if (mtef.empty()) return {};
  const uint8_t version = static_cast<uint8_t>(mtef[0]);
  if (version != 2 && version != 3 && version != 5) return {};
  // Version, platform, product, its version and subversion; version 5
  // then names the application and gives the equation's options.
  size_t at = 5;
  if (version == 5) {
    while (at < mtef.size() && mtef[at] != '\0') ++at;
    at += 2;
  }
  if (at > mtef.size()) return {};
  try {
    u16string text = trimmed(Reader(mtef.substr(at), version == 5).equation());
    return text.size() <= kMaxEquationText ? text : u16string();
  } catch (const Damaged&) {
    return {};
  }
}

u16string equationNativeText(std::string_view stream) {
  // The header: its own size, a version, a clipboard format, the size of
  // the MTEF that follows, and reserved words.
  if (stream.size() < 28) return {};
  auto u32 = [&](size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= uint32_t{static_cast<uint8_t>(stream[at + i])} << (8 * i);
    return v;
  };
  const size_t header = static_cast<uint16_t>(u32(0) & 0xFFFF);
  if (header < 28 || header > stream.size()) return {};
  std::string_view body = stream.substr(header);
  if (u32(8) < body.size()) body = body.substr(0, u32(8));
  return mtefText(body);
}

}  // namespace word::read
