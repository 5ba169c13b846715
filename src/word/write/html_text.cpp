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

std::string_view LanguageMarks::of(const CharFormat& f, std::u16string_view text,
                                   bool inMarkerWord) {
  const std::string_view language = model_.languageOf(f);
  // "ru-RU" in a page in "ru" is the page's own language.
  const std::string_view page = model_.language;
  const bool pages = language.starts_with(page) &&
                     (language.size() == page.size() || language[page.size()] == '-');
  if (language.empty() || (!page.empty() && pages) || inMarkerWord ||
      text.find(u'%') != std::u16string_view::npos || !fit(language, text))
    return {};
  return language;
}

namespace {

// Formats that differ in their language alone.
bool sameButLanguage(const CharFormat& a, const CharFormat& b) {
  if (a.language == b.language) return false;
  CharFormat c = b;
  c.language = a.language;
  return a == c;
}

// Whether the word that `at` is inside of (back to a blank) holds a "%":
// a course's markers are such words, and a mark inside one would hide it
// from the course's rewriting of its page.
bool afterPercentInWord(std::u16string_view text, uint32_t at) {
  for (uint32_t i = at; i > 0 && at - i < 64;) {
    const char16_t c = text[--i];
    if (c == u'%') return true;
    if (c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\r' || c == u'\n') return false;
  }
  return false;
}

}  // namespace

uint32_t LanguageMarks::pieceEnd(const Story& s, size_t r, uint32_t p, uint32_t limit,
                                 std::string_view& language) {
  auto marked = [&](size_t k, uint32_t from) {
    const uint32_t to = k + 1 < s.runs.size() ? std::min(limit, s.runs[k + 1].start) : limit;
    return of(s.runs[k].format, std::u16string_view(s.text).substr(from, to - from),
              afterPercentInWord(s.text, from));
  };
  language = r < s.runs.size() ? marked(r, p) : std::string_view();
  for (size_t k = r + 1; k < s.runs.size() && s.runs[k].start < limit; ++k) {
    const CharFormat &f = s.runs[r].format, &g = s.runs[k].format;
    if ((g != f && !sameButLanguage(f, g)) || marked(k, s.runs[k].start) != language)
      return std::max(p, s.runs[k].start);
  }
  return limit;
}

bool LanguageMarks::fit(std::string_view tag, std::u16string_view text) {
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
  const std::vector<int>& scripts = it->second;
  const bool latin =
      scripts.empty() || std::find(scripts.begin(), scripts.end(), USCRIPT_LATIN) != scripts.end();
  bool letters = false, digits = false;
  for (size_t i = 0; i < text.size();) {
    // ASCII, most of any text, told apart without asking ICU.
    if (const char16_t a = text[i]; a < 0x80) {
      ++i;
      if ((a | 0x20) >= 'a' && (a | 0x20) <= 'z') {
        if (!latin) return false;
        letters = true;
      }
      digits = digits || (a >= '0' && a <= '9');
      continue;
    }
    UChar32 c;
    U16_NEXT(text.data(), i, text.size(), c);
    digits = digits || u_isdigit(c);
    if (!u_isalpha(c)) continue;
    letters = true;
    if (scripts.empty()) continue;
    bool inScript = false;
    for (int script : scripts)
      inScript = inScript || uscript_hasScript(c, static_cast<UScriptCode>(script));
    if (!inScript) return false;
  }
  return letters || digits;
}

}  // namespace word::write
