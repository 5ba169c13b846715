// The list labels both readers share: roman numerals, and letters that
// repeat up to one cap in either reader.
#include "word/read/list_labels.h"

#include <gtest/gtest.h>

#include "word/read/doc/lists.h"
#include "word/read/docx/numbering.h"

namespace word::read {
namespace {

std::u16string times(size_t n, char16_t c) {
  return std::u16string(n, c);
}

TEST(ListLabels, Letters) {
  const struct {
    int64_t number;
    bool upper;
    std::u16string text;
  } cases[] = {{1, false, u"a"},
               {26, true, u"Z"},
               {27, false, u"aa"},
               {53, true, u"AAA"},
               {1664, false, times(64, u'z')},
               {1665, false, times(64, u'a')},
               {1'000'000, true, times(64, u'N')},
               {0, false, u"0"},
               {-3, true, u"-3"}};
  for (const auto& c : cases) EXPECT_EQ(letters(c.number, c.upper), c.text) << c.number;
}

TEST(ListLabels, Roman) {
  const struct {
    int64_t number;
    bool upper;
    std::u16string text;
  } cases[] = {{1, false, u"i"},
               {3999, true, u"MMMCMXCIX"},
               {4000, false, u"4000"},
               {0, true, u"0"},
               {-5, false, u"-5"}};
  for (const auto& c : cases) EXPECT_EQ(roman(c.number, c.upper), c.text) << c.number;
}

TEST(ListLabels, BothReadersStopLettersAtTheSameCap) {
  EXPECT_EQ(doc::formatNumber(1665, 4), times(kMaxLetterRepeat, u'a'));
  EXPECT_EQ(docx::formatNumber(1665, "lowerLetter"), times(kMaxLetterRepeat, u'a'));
  EXPECT_EQ(doc::formatNumber(1664, 3), times(kMaxLetterRepeat, u'Z'));
  EXPECT_EQ(docx::formatNumber(1664, "upperLetter"), times(kMaxLetterRepeat, u'Z'));
}

}  // namespace
}  // namespace word::read
