#include "word/links.h"

#include <array>
#include <string>

namespace word {

bool safeLinkTarget(std::u16string_view target) {
  // No address is this long; one that is, copied to each run and line of
  // its text, would make pages of gigabytes.
  if (target.size() > kMaxLinkLength) return false;
  std::u16string s;
  for (char16_t c : target)
    if (c != u'\t' && c != u'\n' && c != u'\r') s.push_back(c);
  size_t b = 0, e = s.size();
  while (b < e && s[b] <= 0x20) ++b;
  while (e > b && s[e - 1] <= 0x20) --e;
  s = s.substr(b, e - b);
  // A scheme is letters, digits, "+", "-", "." before the first ":", and
  // starts with a letter; anything else before a ":" makes a relative path.
  const size_t colon = s.find(u':');
  if (colon == std::u16string::npos) return true;
  auto letter = [](char16_t c) { return (c | 0x20) >= u'a' && (c | 0x20) <= u'z'; };
  if (colon == 0 || !letter(s[0])) return true;
  std::u16string scheme;
  for (size_t i = 0; i < colon; ++i) {
    const char16_t c = s[i];
    if (!letter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.') return true;
    scheme.push_back(letter(c) ? static_cast<char16_t>(c | 0x20) : c);
  }
  static constexpr std::array<std::u16string_view, 4> kSafe = {u"http", u"https", u"mailto",
                                                               u"ftp"};
  for (std::u16string_view safe : kSafe)
    if (scheme == safe) return true;
  return false;
}

}  // namespace word
