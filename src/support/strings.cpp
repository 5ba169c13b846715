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
std::basic_string<Char> trim(std::basic_string_view<Char> s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == Char(' ')) ++b;
  while (e > b && s[e - 1] == Char(' ')) --e;
  return std::basic_string<Char>(s.substr(b, e - b));
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

std::u16string trimBlanks(std::u16string_view s) {
  return trim(s);
}
std::string trimBlanks(std::string_view s) {
  return trim(s);
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

}  // namespace support
