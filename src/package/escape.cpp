#include "package/escape.h"

#include <array>
#include <cstdint>

namespace package {

std::u16string escapeText(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c == u'\'') out += u'`';
    else if (c == u'<') out += u"&lt;";
    else if (c == u'>') out += u"&gt;";
    else out += c;
  }
  return out;
}

namespace {

bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool legalCodePoint(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// A line, page or column break of the word processor: XML has no place for
// it, but the words on either side stay apart.
bool breakCharacter(char16_t c) {
  return c == 0xB || c == 0xC || c == 0xE;
}

// The XML characters of `text`: breaks as blanks, other forbidden ones
// dropped, pairs kept.
std::u16string legalCharacters(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (isHigh(c)) {
      if (i + 1 < text.size() && isLow(text[i + 1])) {
        out += c;
        out += text[++i];
      }
    } else if (!isLow(c) && legalCodePoint(c)) {
      out += c;
    } else if (breakCharacter(c)) {
      out += u' ';
    }
  }
  return out;
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
int hexValue(char16_t c) {
  if (isDigit(c)) return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Length of the well-formed reference starting at text[i] == '&', or 0.
size_t referenceLength(std::u16string_view text, size_t i) {
  std::u16string_view rest = text.substr(i + 1);
  if (!rest.empty() && rest[0] == u'#') {
    bool hex = rest.size() > 1 && rest[1] == u'x';
    size_t j = hex ? 2 : 1;
    uint64_t value = 0;
    size_t digits = 0;
    for (; j < rest.size(); ++j, ++digits) {
      int d = hex ? hexValue(rest[j]) : (isDigit(rest[j]) ? rest[j] - u'0' : -1);
      if (d < 0) break;
      value = value * (hex ? 16 : 10) + static_cast<uint64_t>(d);
      if (value > 0x10FFFF) return 0;
    }
    if (digits == 0 || j >= rest.size() || rest[j] != u';') return 0;
    return legalCodePoint(static_cast<uint32_t>(value)) ? j + 2 : 0;
  }
  // Only the predefined entities: the manifest has no document type, so any
  // other name would be an undeclared entity.
  static const std::array<std::u16string_view, 5> names = {u"amp;", u"lt;", u"gt;", u"quot;",
                                                           u"apos;"};
  for (auto name : names)
    if (rest.substr(0, name.size()) == name) return name.size() + 1;
  return 0;
}

}  // namespace

std::u16string markupEscaped(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'&') {
      size_t n = referenceLength(text, i);
      if (n == 0) {
        out += u"&amp;";
      } else {
        out.append(text.substr(i, n));
        i += n - 1;
      }
    } else if (c == u'<') {
      out += u"&lt;";
    } else if (c == u'>') {
      out += u"&gt;";
    } else {
      out += c;
    }
  }
  return out;
}

std::u16string xmlContent(std::u16string_view raw) {
  return markupEscaped(legalCharacters(raw));
}

}  // namespace package
