#include "word/write/html_text.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <map>

#include "support/strings.h"
#include "word/model.h"
#include "word/write/css.h"

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

std::string_view LanguageMarks::markable(const CharFormat& f) const {
  const std::string_view language = model_.languageOf(f);
  // "ru-RU" in a page in "ru" is the page's own language.
  const std::string_view page = model_.language;
  const bool pages = language.starts_with(page) &&
                     (language.size() == page.size() || language[page.size()] == '-');
  return !page.empty() && pages ? std::string_view() : language;
}

std::string_view LanguageMarks::of(std::string_view language, std::u16string_view text,
                                   bool inMarkerWord) {
  if (language.empty() || inMarkerWord || !fit(language, text)) return {};
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

// What ends a word: blanks, and the marks of pictures, notes and breaks.
bool endsWord(char16_t c) {
  return c <= u' ' || c == u'\u00A0' || c == u'\u3000';
}

// Whether `c` is a letter or a digit, as against punctuation (half of a
// letter beyond the first plane is neither).
bool letterOrDigit(char16_t c) {
  if (c >= 0x80) return u_isalnum(c);
  const char16_t lower = static_cast<char16_t>(c | 0x20);
  return (lower >= u'a' && lower <= u'z') || (c >= u'0' && c <= u'9');
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

// Whether the letters of `text` are all in one of `scripts` (any, where
// there are none): none where it has no letter. Text holding a "%" reads in
// none: a course's markers are such words, and a mark would hide them from
// the course's rewriting of its page (found here, not in a pass of its own).
enum class Reads { Nothing, Yes, No };
Reads reads(const std::vector<int>& scripts, std::u16string_view text) {
  const bool latin =
      scripts.empty() || std::find(scripts.begin(), scripts.end(), USCRIPT_LATIN) != scripts.end();
  bool letters = false;
  for (size_t i = 0; i < text.size();) {
    // ASCII, most of any text, told apart without asking ICU.
    if (const char16_t a = text[i]; a < 0x80) {
      ++i;
      if (a == u'%') return Reads::No;
      if ((a | 0x20) >= 'a' && (a | 0x20) <= 'z') {
        if (!latin) return Reads::No;
        letters = true;
      }
      continue;
    }
    UChar32 c;
    U16_NEXT(text.data(), i, text.size(), c);
    if (!u_isalpha(c)) continue;
    letters = true;
    if (scripts.empty()) continue;
    bool inScript = false;
    for (int script : scripts)
      inScript = inScript || uscript_hasScript(c, static_cast<UScriptCode>(script));
    if (!inScript) return Reads::No;
  }
  return letters ? Reads::Yes : Reads::Nothing;
}

}  // namespace

uint32_t LanguageMarks::wordsEnd(const std::u16string& text, uint32_t p, uint32_t end,
                                 std::string_view tag, std::string_view& language) {
  // The run after a piece is looked at for the piece, then for its own.
  if (found_.text == text.data() && found_.p == p && found_.end == end && found_.tag == tag) {
    language = found_.language;
    return found_.to;
  }
  // Words are told apart no further than this outside the run: a longer
  // one is not marked.
  constexpr uint32_t kFar = 64;
  const std::vector<int>& scripts = scriptsOf(tag);
  // Up to the first word that reads in `tag`, most of a long text, only
  // letters that might be of the language are looked for, without asking
  // ICU: Latin letters, ASCII and accented (U+00C0 to U+024F, "à", "été"),
  // for a language written in Latin letters alone, letters past ASCII for
  // one written in none.
  const bool latin = std::find(scripts.begin(), scripts.end(), USCRIPT_LATIN) != scripts.end();
  const bool latinOnly = latin && scripts.size() == 1, pastAscii = !latin && !scripts.empty();
  auto mightBe = [&](char16_t c) {
    const bool ascii = static_cast<char16_t>((c | 0x20) - u'a') < 26;
    if (latinOnly) return c < 0x250 && (ascii || (c >= 0xC0 && c != 0xD7 && c != 0xF7));
    return (ascii && !pastAscii) || (c >= 0x80 && !endsWord(c));
  };
  uint32_t from = end, to = end;  // the stretch of words that read in `tag`
  for (uint32_t a = p; a < end;) {
    if (from == end) {
      uint32_t letter = a;
      while (letter < end && !mightBe(text[letter])) ++letter;
      if (letter == end) break;
      for (a = letter; a > p && !endsWord(text[a - 1]);) --a;
    }
    while (a < end && endsWord(text[a])) ++a;
    if (a == end) break;
    uint32_t start = a, stop = a;
    while (start > 0 && a - start < kFar && !endsWord(text[start - 1])) --start;
    while (stop < text.size() && stop < end + kFar && !endsWord(text[stop])) ++stop;
    const std::u16string_view word(text.data() + start, stop - start);
    const bool whole =
        (start == 0 || endsWord(text[start - 1])) && (stop == text.size() || endsWord(text[stop]));
    // Digits and punctuation alone neither start a stretch nor end one.
    const Reads read = whole ? reads(scripts, word) : Reads::No;
    // A word's part in the run is marked where it holds a letter or a
    // digit (not a full stop after a word of the run before).
    const uint32_t last = std::min(stop, end);
    if (read == Reads::Yes && std::any_of(text.begin() + a, text.begin() + last, letterOrDigit)) {
      if (from == end) from = a;
      to = last;
    } else if (read == Reads::No && from != end) {
      break;
    }
    a = stop;
  }
  language = from == p ? tag : std::string_view();
  found_ = {text.data(), p, end, from == p ? to : from, tag, language};
  return found_.to;
}

uint32_t LanguageMarks::pieceEnd(const Story& s, size_t r, uint32_t p, uint32_t limit,
                                 std::string_view& language) {
  language = {};
  if (r >= s.runs.size()) return limit;
  auto runEnd = [&](size_t k) {
    return k + 1 < s.runs.size() ? std::min(limit, s.runs[k + 1].start) : limit;
  };
  // The piece of run `k` from `from`: the rest of it where its language
  // marks all of it or none, else its words that read in it or those
  // before them.
  auto piece = [&](size_t k, uint32_t from, std::string_view& marked) {
    const uint32_t to = runEnd(k);
    const std::string_view tag = markable(s.runs[k].format);
    marked = of(tag, std::u16string_view(s.text).substr(from, to - from),
                afterPercentInWord(s.text, from));
    return marked.empty() && !tag.empty() ? wordsEnd(s.text, from, to, tag, marked) : to;
  };
  if (const uint32_t to = piece(r, p, language); to < runEnd(r)) return to;
  for (size_t k = r + 1; k < s.runs.size() && s.runs[k].start < limit; ++k) {
    const CharFormat &f = s.runs[r].format, &g = s.runs[k].format;
    std::string_view next;
    if ((g != f && !sameButLanguage(f, g)) || piece(k, s.runs[k].start, next) < runEnd(k) ||
        next != language)
      return std::max(p, s.runs[k].start);
  }
  return limit;
}

const std::vector<int>& LanguageMarks::scriptsOf(std::string_view tag) {
  // Tags are the model's, asked for run after run: the last one's are at
  // hand.
  if (tag.data() == lastTag_.data() && tag.size() == lastTag_.size()) return *lastScripts_;
  // ICU reads the tag as a locale, thousands of instructions a tag: what it
  // says is kept for every page this thread writes, not asked page by page.
  thread_local std::map<std::string, std::vector<int>, std::less<>> known;
  auto it = known.find(tag);
  if (it == known.end()) {
    std::array<UScriptCode, 8> codes{};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n =
        uscript_getCode(std::string(tag).c_str(), codes.data(), codes.size(), &status);
    std::vector<int> scripts;
    for (int32_t i = 0; U_SUCCESS(status) && i < n; ++i) scripts.push_back(codes[i]);
    it = known.emplace(std::string(tag), std::move(scripts)).first;
  }
  lastTag_ = tag;
  lastScripts_ = &it->second;
  return it->second;
}

bool LanguageMarks::fit(std::string_view tag, std::u16string_view text) {
  return reads(scriptsOf(tag), text) == Reads::Yes;
}

std::u16string formatTags(const CharFormat& f, const CharFormat& base, std::u16string& close) {
  std::u16string out;
  auto tag = [&](bool on, const char16_t* name, const std::u16string& style = {}) {
    if (!on) return;
    out +=
        std::u16string(u"<") + name + (style.empty() ? u"" : u" style=\"" + style + u"\"") + u">";
    close = std::u16string(u"</") + name + u">" + close;
  };
  tag(f.bold && !base.bold, u"b");
  tag(f.italic && !base.italic, u"i");
  // Lines under and through are the runs' own, their style's too (see
  // charCss).
  tag(f.underline, u"u", f.underline ? underlineCss(f) : u"");
  tag(f.strike, u"s", f.doubleStrike ? u"text-decoration-style:double" : u"");
  tag(f.superscript && !base.superscript, u"sup");
  tag(f.subscript && !base.subscript, u"sub");
  return out;
}

}  // namespace word::write
