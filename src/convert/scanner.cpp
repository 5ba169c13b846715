#include "convert/scanner.h"

#include "support/runtime_error.h"
#include "support/strings.h"

namespace convert {

std::u16string prepareLine(std::u16string_view paragraphText) {
  std::u16string line = support::trimBlanks(paragraphText);
  for (std::u16string_view key : {u"%H1", u"%H2", u"%TEST"}) {
    if (!line.empty() && std::u16string_view(line).substr(1).starts_with(key)) {
      line.erase(0, 1);
      break;
    }
  }
  return line;
}

std::u16string_view markerText(Marker marker) {
  for (const MarkerRule& rule : kMarkerRules)
    if (rule.marker == marker) return rule.text;
  return {};
}

std::u16string_view markerAt(std::u16string_view text) {
  // Only the first letters after the blanks can be a marker: upper-casing
  // the whole rest of a paragraph at each of its line breaks was quadratic.
  const size_t from = std::min(text.find_first_not_of(u' '), text.size());
  const std::u16string t = support::upperAscii(text.substr(from, 16));
  for (const MarkerRule& rule : kMarkerRules)
    if (std::u16string_view(t).substr(0, rule.text.size()) == rule.text) return rule.text;
  return {};
}

MarkerLine classify(const std::u16string& line) {
  // Every marker starts with "%": most lines are plain text.
  if (line.empty() || line[0] != u'%') return {};
  const size_t length = line.size();
  for (const MarkerRule& rule : kMarkerRules) {
    if (length < rule.minLength) continue;
    if (support::upperAscii(std::u16string_view(line).substr(0, rule.text.size())) != rule.text)
      continue;
    const size_t from = rule.text.size();
    // A heading's title stops before the paragraph mark; a line without
    // one (only "%H1#" can be that short) gives an empty title.
    const size_t count =
        rule.valueKeepsMark ? length - from : (length > from ? length - from - 1 : 0);
    return {rule.marker, line.substr(from, count)};
  }
  return {};
}

namespace {

// Passes over the table at the selection.
void skipTable(word::Selection& sel) {
  const int32_t before = sel.start();
  sel.selectTable(1);
  sel.moveDown(word::wdLine, 1, word::wdMove);
  sel.homeKey(word::wdLine, word::wdMove);
  if (sel.information(word::wdWithInTable)) {
    sel.selectTable(1);
    sel.moveDown(word::wdParagraph, 1, word::wdMove);
  }
  // Guards the walk against a selection that does not get past the table.
  if (sel.start() <= before) support::raise(support::kInvalidCall);
}

}  // namespace

void walkParagraphs(word::Application& app, const std::function<void(word::Selection&)>& paragraph,
                    const std::function<void(int32_t)>& table) {
  word::Selection sel = app.selection();
  sel.homeKey(word::wdStory, word::wdMove);
  int32_t moved = 1;
  while (moved > 0) {
    if (sel.type() == word::wdSelectionIP && sel.end() == app.activeDocument().content().end() - 1)
      break;
    if (sel.information(word::wdWithInTable)) {
      const int32_t start = sel.start();
      skipTable(sel);
      if (table) table(start);
      continue;
    }
    moved = sel.moveDown(word::wdParagraph, 1, word::wdExtend);
    paragraph(sel);
    sel.setStart(sel.end());
  }
}

namespace {

// A no-break space shows as a blank: "%PID=" and one before the number is
// read as the author sees it.
bool isSpace(char16_t c) {
  return c == u' ' || (c >= 9 && c <= 13) || c == 0xA0;
}
bool isDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

}  // namespace

int32_t parsePid(std::u16string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && isSpace(text[b])) ++b;
  while (e > b && isSpace(text[e - 1])) --e;
  std::u16string_view s = text.substr(b, e - b);

  bool negative = false;
  size_t i = 0;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  const size_t intStart = i;
  while (i < s.size() && isDigit(s[i])) ++i;
  std::u16string_view whole = s.substr(intStart, i - intStart);
  std::u16string_view fraction;
  if (i < s.size() && s[i] == u'.') {
    const size_t fracStart = ++i;
    while (i < s.size() && isDigit(s[i])) ++i;
    fraction = s.substr(fracStart, i - fracStart);
  }
  if (i != s.size() || (whole.empty() && fraction.empty())) support::raise(support::kTypeMismatch);

  // Magnitude in 64 bits; anything past 11 significant digits overflows anyway.
  while (!whole.empty() && whole.front() == u'0') whole.remove_prefix(1);
  if (whole.size() > 11) support::raise(support::kOverflow);
  int64_t value = 0;
  for (char16_t c : whole) value = value * 10 + (c - u'0');

  if (!fraction.empty()) {
    const char16_t first = fraction.front();
    bool restNonZero = false;
    for (char16_t c : fraction.substr(1)) restNonZero = restNonZero || c != u'0';
    const bool up = first > u'5' || (first == u'5' && (restNonZero || value % 2 == 1));
    if (up) ++value;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) support::raise(support::kOverflow);
  return static_cast<int32_t>(value);
}

}  // namespace convert
