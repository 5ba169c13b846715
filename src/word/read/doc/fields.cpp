// Fields and bookmarks. A field is its code (between characters 19 and 20)
// and its result (between 20 and 21); the code is hidden, and a HYPERLINK
// code makes its result a link. Bookmarks come from their own tables.
#include <algorithm>

#include "support/codepage.h"
#include "support/strings.h"
#include "word/read/doc/reader_state.h"
#include "word/read/field_kinds.h"
#include "word/read/mtef.h"

namespace word::read::doc::detail {
namespace {

// Moves `p` past an Xstz: a count, the UTF-16 letters and a closing zero.
void skipXstz(Bytes b, size_t& p) {
  p += 4 + 2 * size_t{b.u16(p)};
}

// A form field's settings (FFData, after the 68 bytes that head it in the
// data stream): what a check box or a drop-down shows. A text field shows
// its result.
std::u16string formFieldShown(Bytes data, uint32_t at) {
  const uint32_t size = data.u32(at);
  if (data.u16(at + 4) != 0x44 || size < 0x44 + 10) return {};
  const Bytes ff = data.sub(size_t{at} + 0x44, size - 0x44);
  if (ff.u32(0) != 0xFFFFFFFF) return {};
  const unsigned type = ff.u16(4) & 3, state = (ff.u16(4) >> 2) & 0x1F;
  constexpr unsigned kCheckBox = 1, kDropDown = 2, kDefault = 25;
  if (type != kCheckBox && type != kDropDown) return {};
  size_t p = 10;  // past the version, the bits, a length and a size
  skipXstz(ff, p);  // the name
  const unsigned chosen = state == kDefault ? ff.u16(p) : state;
  if (type == kCheckBox) return checkBoxShown(chosen != 0);
  p += 2;
  for (int i = 0; i < 5; ++i) skipXstz(ff, p);  // format, help, status, macros
  // The entries: an extended string table of UTF-16 strings.
  if (ff.u16(p) != 0xFFFF || chosen >= ff.u16(p + 2)) return {};
  p += 6;
  for (unsigned i = 0; i < chosen && ff.has(p, 2); ++i) p += 2 + 2 * size_t{ff.u16(p)};
  std::u16string entry;
  for (size_t i = 0, n = ff.u16(p); i < n && ff.has(p + 2 + 2 * i, 2); ++i)
    entry.push_back(ff.u16(p + 2 + 2 * i));
  return entry;
}

}  // namespace

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

void DocReader::Emitter::findUnclosedFields(uint32_t a, uint32_t end) {
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
}

bool DocReader::Emitter::inFieldCode() const {
  for (const Field& fd : fields)
    if (fd.inCode) return true;
  return false;
}

// Field characters: 19 begins a field's code, 20 ends the code and starts
// the result, 21 ends the field. False for an ignored begin, which changes
// nothing.
bool DocReader::Emitter::fieldMark(char16_t c, uint32_t cp) {
  if (c == 19) {
    if (std::binary_search(unclosed.begin(), unclosed.end(), cp)) return false;
    if (fields.size() < 64) fields.push_back({});
  } else if (c == 20) {
    if (!fields.empty() && fields.back().inCode) {
      fields.back().inCode = false;
      fields.back().resultAt = built();
      fields.back().link = hyperlinkField(fields.back().code);
    }
  } else if (c == 21) {
    if (!fields.empty()) fields.pop_back();
  }
  return true;
}

// A form field whose result is empty shows what the word processor draws
// from its settings (a box even without them); false for any other field.
bool DocReader::Emitter::drawFormField(const CharFormat& format) {
  const Field& f = fields.back();
  if (!f.inCode && built() != f.resultAt) return false;
  std::u16string drawn = f.drawn;
  if (drawn.empty() && fieldType(support::toUtf8(f.code)) == "FORMCHECKBOX")
    drawn = checkBoxShown(false);
  // A field inside another's code shows nothing.
  if (drawn.empty() || std::any_of(fields.begin(), fields.end() - 1,
                                   [](const Field& outer) { return outer.inCode; }))
    return false;
  put(drawn, format);
  return true;
}

// A field that ends with nothing of it on the page: an embedded object
// whose picture is missing, or a field saved without a result, which the
// word processor draws from its code.
void DocReader::Emitter::fieldEnds(bool deleted, const CharFormat& format) {
  if (fields.empty() || deleted || drawFormField(format)) return;
  const Field& f = fields.back();
  if (f.inCode) {
    if (auto loss = resultlessFieldLoss(support::toUtf8(f.code))) lose(*loss, LossKind::Field);
    return;
  }
  if (built() != f.resultAt) return;
  const std::string code = support::upperAscii(support::toUtf8(f.code));
  const size_t at = code.find_first_not_of(" ");
  if (at == std::string::npos) return;
  // A drawing canvas of the word processor is a SHAPE field whose result
  // holds the drawing.
  if (code.compare(at, 6, "SHAPE ") == 0)
    lose("a shape drawn only by its geometry", LossKind::Drawing);
  if (code.compare(at, 6, "EMBED ") != 0) return;
  lose(code.find("CHART", at) != std::string::npos ? "a chart"
                                                   : "an embedded object without a picture",
       LossKind::Drawing);
}

// A character of a field's code is not shown; the innermost field still in
// its code keeps it (up to a bound) to learn what the field is.
bool DocReader::Emitter::hiddenInFieldCode(char16_t c) {
  for (auto it = fields.rbegin(); it != fields.rend(); ++it)
    if (it->inCode) {
      if (it->code.size() < 4096) it->code.push_back(c);
      return true;
    }
  return false;
}

// The character marked as an OLE object (the separator of an EMBED field,
// or a picture character in its code) gives the object's number.
void DocReader::Emitter::objectMark(const Chp& chp) {
  // A form field's picture character locates its settings instead.
  if (chp.data && chp.hasPicLocation && !fields.empty() && fields.back().inCode)
    fields.back().drawn = formFieldShown(r.data_, chp.picLocation);
  if (!chp.ole2 || !chp.hasPicLocation) return;
  for (auto it = fields.rbegin(); it != fields.rend(); ++it)
    if (it->inCode) {
      it->object = chp.picLocation;
      return;
    }
}

// An equation object's linear text, for the picture its field shows (or a
// picture character that is the object itself).
std::u16string DocReader::Emitter::equationText(const Chp& chp) const {
  std::optional<uint32_t> object;
  if (chp.ole2 && chp.hasPicLocation) object = chp.picLocation;
  for (auto it = fields.rbegin(); it != fields.rend() && !object; ++it) object = it->object;
  if (!object) return {};
  auto stream = r.streams_.equations.find(*object);
  return stream == r.streams_.equations.end() ? std::u16string() : stream->second;
}

void DocReader::Emitter::linkOn(CharFormat& f) const {
  static const Link kNone;
  auto it = std::find_if(fields.rbegin(), fields.rend(),
                         [](const Field& d) { return !d.link.target.empty(); });
  const Link& link = it == fields.rend() ? kNone : it->link;
  f.hyperlink = link.target;
  f.linkTitle = link.title;
}

// The first position at or after `cp` where a bookmark starts or ends
// (none: UINT32_MAX), so that the text between needs no look-up.
uint32_t DocReader::Emitter::nextBookmarkFrom(uint32_t cp) const {
  if (!main) return UINT32_MAX;
  uint32_t next = UINT32_MAX;
  auto s = r.bookmarkStarts_.lower_bound(cp);
  if (s != r.bookmarkStarts_.end()) next = s->first;
  auto e = r.bookmarkEnds_.lower_bound(cp);
  if (e != r.bookmarkEnds_.end()) next = std::min(next, e->first);
  return next;
}

void DocReader::Emitter::bookmarksAt(uint32_t cp) {
  if (!main) return;
  auto [s0, s1] = r.bookmarkStarts_.equal_range(cp);
  auto [e0, e1] = r.bookmarkEnds_.equal_range(cp);
  if (s0 == s1 && e0 == e1) return;
  flush();
  for (auto it = s0; it != s1; ++it) b.startBookmark(it->second);
  for (auto it = e0; it != e1; ++it) b.endBookmark(it->second);
}

}  // namespace word::read::doc::detail
