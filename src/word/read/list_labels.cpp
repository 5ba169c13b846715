#include "word/read/list_labels.h"

#include <algorithm>

namespace word::read {
namespace {

std::u16string ascii(const std::string& s) {
  return std::u16string(s.begin(), s.end());
}

}  // namespace

std::u16string roman(int64_t n, bool upper) {
  if (n <= 0 || n >= 4000) return ascii(std::to_string(n));
  static const struct {
    int v;
    const char* s;
  } table[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
               {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
  std::string out;
  for (const auto& t : table)
    while (n >= t.v) {
      out += t.s;
      n -= t.v;
    }
  if (upper)
    for (char& c : out) c = static_cast<char>(c - 'a' + 'A');
  return ascii(out);
}

std::u16string letters(int64_t n, bool upper) {
  if (n <= 0) return ascii(std::to_string(n));
  const int64_t count = std::min<int64_t>((n - 1) / 26 + 1, kMaxLetterRepeat);
  char16_t c = static_cast<char16_t>((upper ? u'A' : u'a') + (n - 1) % 26);
  return std::u16string(static_cast<size_t>(count), c);
}

}  // namespace word::read
