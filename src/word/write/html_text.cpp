#include "word/write/html_text.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>

#include "support/strings.h"
#include "word/model.h"

namespace word::write {

void escapeInto(std::u16string& out, char16_t c) {
  if (const char16_t* entity = entityFor(c))
    out += entity;
  else
    out.push_back(c);
}

bool holdsText(std::u16string_view s) {
  for (char16_t c : s)
    if (c > 32 && c != 0xA0 && c != 0x3000) return true;
  return false;
}

bool heldSpaceAt(const std::u16string& text, size_t k) {
  // Spaces before it in its row, up to a bound past which a lost one of a
  // long row does not show.
  constexpr size_t kFar = 64;
  size_t before = 0;
  while (before < k && before < kFar && text[k - before - 1] == u' ') ++before;
  const size_t from = k - before;
  // Where a line starts the page drops its first space.
  const char16_t c = from ? text[from - 1] : kParagraphMark;
  const bool lineStart = c == kParagraphMark || c == kCellMark || c == kLineBreak ||
                         c == kPageBreak || c == kColumnBreak;
  return (before % 2 == 0) == lineStart;
}

std::u16string escape(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (char16_t c : s) escapeInto(out, c < 32 ? u' ' : c);
  return out;
}

std::u16string attribute(std::u16string_view s) {
  return support::replaceAll(escape(s), u"%", u"&#37;");
}

uint32_t droppedEnd(std::u16string_view text, uint32_t start, uint32_t end, uint8_t letters) {
  const bool word = letters == kDropWord;
  uint32_t stop = start;
  for (int n = 0; stop < end && (word || n < letters); ++n) {
    const char16_t c = text[stop];
    if (c < 32 || (word && c == u' ')) break;
    // A letter beyond the first plane is two units.
    stop += c >= 0xD800 && c < 0xDC00 && stop + 1 < end ? 2 : 1;
  }
  return stop;
}

std::unordered_set<std::u16string> bookmarkNames(const Model& model) {
  std::unordered_set<std::u16string> names;
  for (const Bookmark& b : model.main.bookmarks) names.insert(b.name);
  for (const Note& n : model.notes)
    for (const Bookmark& b : n.body.bookmarks) names.insert(b.name);
  return names;
}

std::u16string languageAttribute(std::string_view tag) {
  // Tags are canonical, ASCII alone.
  return tag.empty() ? u""
                     : u" lang=\"" + attribute(std::u16string(tag.begin(), tag.end())) + u"\"";
}

std::string_view LanguageMarks::of(const CharFormat& f) const {
  const std::string_view language = model_.languageOf(f);
  return language == model_.language ? std::string_view() : language;
}

namespace {

// Formats that differ in their language alone.
bool sameButLanguage(const CharFormat& a, const CharFormat& b) {
  if (a.language == b.language) return false;
  CharFormat c = b;
  c.language = a.language;
  return a == c;
}

}  // namespace

uint32_t LanguageMarks::pieceEnd(const Story& s, size_t r, uint32_t p, uint32_t limit,
                                 std::string_view& language) {
  language = {};
  // Settled by the piece's first letter; until then the piece keeps to
  // runs of one language.
  bool settled = false, digits = false;
  std::string_view tag;
  for (size_t k = r; k < s.runs.size() && s.runs[k].start < limit; ++k) {
    const uint32_t from = k == r ? p : s.runs[k].start;
    const uint32_t to = k + 1 < s.runs.size() ? std::min(limit, s.runs[k + 1].start) : limit;
    const std::string_view own = of(s.runs[k].format);
    if (k > r) {
      const CharFormat &f = s.runs[r].format, &g = s.runs[k].format;
      // Another language ends the piece but where nothing read so far
      // depends on it: no letter nor digit yet, or none marked (its
      // letters then tell).
      const bool goesOn = own == tag || (settled ? language.empty() : !digits);
      if ((g != f && !sameButLanguage(f, g)) || !goesOn) {
        if (!settled && digits) language = tag;
        return std::max(p, from);
      }
    }
    tag = own;
    if (settled && own.empty() && language.empty()) continue;  // none of it is marked
    for (uint32_t i = from; i < to;) {
      const uint32_t at = i;
      UChar32 c;
      U16_NEXT(s.text.data(), i, to, c);
      if (!u_isalpha(c)) {
        digits = digits || u_isdigit(c);
        continue;
      }
      const std::string_view mark = !own.empty() && fits(own, c) ? own : std::string_view();
      if (!settled) {
        settled = true;
        language = mark;
        if (own.empty()) break;  // nor is the rest of the run
      } else if (mark != language) {
        return at;
      }
    }
  }
  if (!settled && digits) language = tag;
  return limit;
}

bool LanguageMarks::fits(std::string_view tag, int32_t c) {
  auto it = scripts_.find(tag);
  if (it == scripts_.end()) {
    std::array<UScriptCode, 8> codes{};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n =
        uscript_getCode(std::string(tag).c_str(), codes.data(), codes.size(), &status);
    std::vector<int> scripts;
    for (int32_t i = 0; U_SUCCESS(status) && i < n; ++i) scripts.push_back(codes[i]);
    it = scripts_.emplace(std::string(tag), std::move(scripts)).first;
  }
  if (it->second.empty()) return true;
  for (int script : it->second)
    if (uscript_hasScript(c, static_cast<UScriptCode>(script))) return true;
  return false;
}

}  // namespace word::write
