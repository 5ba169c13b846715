#include "convert/lint_text.h"

#include <algorithm>
#include <cstdint>

#include "support/strings.h"

namespace convert {

bool blank(char16_t c) {
  return c <= 0x20 || c == 0xA0;
}

bool hasText(std::u16string_view s) {
  return std::any_of(s.begin(), s.end(), [](char16_t c) { return !blank(c); });
}

// The walk stops at the last word wanted.
std::u16string words(std::u16string_view text, int count, bool last) {
  const size_t n = text.size();
  auto at = [&](size_t i) { return text[last ? n - 1 - i : i]; };
  std::vector<std::u16string_view> found;
  for (size_t i = 0; i < n && found.size() < static_cast<size_t>(count);) {
    while (i < n && blank(at(i))) ++i;
    size_t j = i;
    while (j < n && !blank(at(j))) ++j;
    if (j > i) found.push_back(text.substr(last ? n - j : i, j - i));
    i = j;
  }
  if (last) std::reverse(found.begin(), found.end());
  std::u16string out;
  for (std::u16string_view w : found) {
    if (!out.empty()) out += u' ';
    out += w;
  }
  return out;
}

std::u16string cutForQuote(std::u16string s, bool cut) {
  if (s.size() <= kLongestQuote && !cut) return s;
  s.resize(support::wholeCharacters(s, kLongestQuote).size());
  while (!s.empty() && s.back() == u' ') s.pop_back();
  return s + u"\u2026";
}

std::u16string quoted(std::u16string_view s) {
  const size_t read = 4 * kLongestQuote;
  return u"\"" + cutForQuote(words(s.substr(0, read), INT32_MAX, false), s.size() > read) + u"\"";
}

namespace {

// "heading 1", as the word processor names its own style, is "Heading 1"
// in its menus.
std::u16string styleShown(std::u16string_view style) {
  std::u16string s(style);
  if (s.starts_with(u"heading ")) s[0] = u'H';
  return s;
}

}  // namespace

void StyledHeadings::marker(int32_t outlineLevel) {
  markerLevel_ = outlineLevel;
  textSeen_ = false;
}

void StyledHeadings::text(int32_t at, std::u16string_view text, int32_t outlineLevel,
                          std::u16string_view style, bool inEntry) {
  if (!hasText(text)) return;
  if (outlineLevel != word::wdOutlineLevelBodyText)
    headings_.push_back({at, words(text.substr(0, 4 * kLongestQuote), INT32_MAX, false),
                         outlineLevel, styleShown(style), inEntry && !textSeen_,
                         outlineLevel > markerLevel_});
  textSeen_ = true;
}

std::optional<StyledHeadings::Warning> StyledHeadings::check(size_t pagesAndTests) const {
  if (pagesAndTests > 1) return std::nullopt;
  std::vector<const Heading*> pages;
  const auto opening = std::find_if(headings_.begin(), headings_.end(),
                                    [](const Heading& h) { return h.opens && !h.under; });
  for (const Heading& h : headings_)
    if (pagesAndTests == 0 || (opening != headings_.end() && !h.under && h.level <= opening->level))
      pages.push_back(&h);
  // One heading is a page's subheading as often as not.
  if (pages.size() < 2) return std::nullopt;
  std::vector<std::u16string> shown;  // each once, in order
  for (const Heading* h : pages)
    if (!h->style.empty() && std::find(shown.begin(), shown.end(), h->style) == shown.end())
      shown.push_back(h->style);
  std::u16string styles;
  for (size_t i = 0; i < shown.size() && i < 3; ++i)
    styles += (i ? u", " : u" (") + quoted(shown[i]);
  if (!styles.empty()) styles += u")";
  std::u16string which = quoted(pages[0]->text) + u", " + quoted(pages[1]->text);
  if (pages.size() > 2)
    which += u" and " + support::number(static_cast<int64_t>(pages.size() - 2)) + u" more";
  return Warning{pages[0]->at,
                 u"the headings " + which + u" are set in a heading style" + styles +
                     u", which starts no page: the course has " +
                     (pagesAndTests == 0 ? u"no page" : u"one page") +
                     u" for the whole document; begin each page's heading with \"%H2=\" "
                     u"(a chapter's with \"%H1=\", a test's with \"%TEST=\"), the style may "
                     u"stay"};
}

}  // namespace convert
