#include "support/strings.h"

#include "support/codepage.h"

namespace support {

std::u16string number(int64_t n) {
  std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

std::u16string widen(std::string_view utf8) {
  return fromUtf8(utf8);
}

namespace {

template <class Char>
std::basic_string<Char> trim(std::basic_string_view<Char> s, bool (*drop)(char32_t)) {
  size_t b = 0, e = s.size();
  while (b < e && drop(static_cast<char32_t>(s[b]))) ++b;
  while (e > b && drop(static_cast<char32_t>(s[e - 1]))) --e;
  return std::basic_string<Char>(s.substr(b, e - b));
}

bool isBlank(char32_t c) {
  return c == U' ';
}
bool isWhiteSpace(char32_t c) {
  return c == U' ' || (c >= 9 && c <= 13);
}

template <class Char>
std::basic_string<Char> replace(std::basic_string_view<Char> s, std::basic_string_view<Char> from,
                                std::basic_string_view<Char> to) {
  std::basic_string<Char> out;
  out.reserve(s.size());
  size_t pos = 0;
  while (true) {
    size_t hit = from.empty() ? s.npos : s.find(from, pos);
    if (hit == s.npos) break;
    out.append(s.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(s.substr(pos));
  return out;
}

}  // namespace

std::u16string controlsAsBlanks(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out)
    if (c < 0x20 || c == 0x7F) c = u' ';
  return out;
}

std::u16string trimBlanks(std::u16string_view s) {
  return trim(s, isBlank);
}
std::string trimBlanks(std::string_view s) {
  return trim(s, isBlank);
}
std::u16string_view wholeCharacters(std::u16string_view s, size_t units) {
  if (units >= s.size()) return s;
  if (units > 0 && s[units - 1] >= 0xD800 && s[units - 1] < 0xDC00) --units;
  return s.substr(0, units);
}
std::u16string trimWhiteSpace(std::u16string_view s) {
  return trim(s, isWhiteSpace);
}
std::string trimWhiteSpace(std::string_view s) {
  return trim(s, isWhiteSpace);
}

namespace {

// ASCII letters from `from` to `to` case, whatever the character type.
template <class Char>
std::basic_string<Char> mapCase(std::basic_string_view<Char> s, Char from, Char to) {
  std::basic_string<Char> out(s);
  for (Char& c : out)
    if (c >= from && c <= static_cast<Char>(from + 25)) c = static_cast<Char>(c - from + to);
  return out;
}

}  // namespace

std::u16string upperAscii(std::u16string_view s) {
  return mapCase(s, u'a', u'A');
}
std::string upperAscii(std::string_view s) {
  return mapCase(s, 'a', 'A');
}
std::string lowerAscii(std::string_view s) {
  return mapCase(s, 'A', 'a');
}

std::string replaceAll(std::string_view s, std::string_view from, std::string_view to) {
  return replace(s, from, to);
}

std::u16string replaceAll(std::u16string_view s, std::u16string_view from, std::u16string_view to) {
  return replace(s, from, to);
}

namespace {

// The character of the numeric reference at s[i] ("&#"), and its length.
bool numericReference(std::u16string_view s, size_t i, uint32_t& code, size_t& length) {
  const bool hex = i + 2 < s.size() && (s[i + 2] == u'x' || s[i + 2] == u'X');
  size_t j = i + 2 + (hex ? 1 : 0);
  const size_t digits = j;
  uint64_t value = 0;
  for (; j < s.size(); ++j) {
    const char16_t c = s[j];
    int d = c >= u'0' && c <= u'9' ? c - u'0' : -1;
    if (hex && d < 0 && (c | 0x20) >= u'a' && (c | 0x20) <= u'f') d = (c | 0x20) - u'a' + 10;
    if (d < 0) break;
    value = std::min<uint64_t>(value * (hex ? 16 : 10) + static_cast<uint64_t>(d), 0x200000);
  }
  if (j == digits || j >= s.size() || s[j] != u';' || value == 0 || value > 0x10FFFF ||
      (value >= 0xD800 && value <= 0xDFFF))
    return false;
  code = static_cast<uint32_t>(value);
  length = j + 1 - i;
  return true;
}

}  // namespace

std::u16string decodeReferences(std::u16string_view s) {
  static constexpr std::pair<std::u16string_view, char16_t> kNamed[] = {
      {u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&apos;", u'\''}};
  std::u16string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != u'&') {
      out += s[i];
      continue;
    }
    uint32_t code = 0;
    size_t length = 0;
    if (i + 1 < s.size() && s[i + 1] == u'#' && numericReference(s, i, code, length)) {
      if (code >= 0x10000) {
        out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
      } else {
        out += static_cast<char16_t>(code);
      }
      i += length - 1;
      continue;
    }
    bool named = false;
    for (const auto& [name, c] : kNamed) {
      if (s.substr(i, name.size()) != name) continue;
      out += c;
      i += name.size() - 1;
      named = true;
      break;
    }
    if (!named) out += u'&';
  }
  return out;
}

std::u16string escapeXml(std::u16string_view s) {
  std::u16string out;
  for (char16_t c : s) {
    if (c == 0xFFFE || c == 0xFFFF) continue;
    if (c == u'&')
      out += u"&amp;";
    else if (c == u'<')
      out += u"&lt;";
    else if (c == u'>')
      out += u"&gt;";
    else if (c == u'"')
      out += u"&quot;";
    else if (c >= 0x20 || c == u'\t')
      out += c;
    else
      out += u' ';
  }
  return out;
}

std::string escapeXml(std::string_view s) {
  // Read as UTF-8, so that bytes that are none (a folder's name is the file
  // system's) come out as U+FFFD.
  return toUtf8(escapeXml(std::u16string_view(fromUtf8(s))));
}

}  // namespace support
