// The marker grammar: line preparation, markers and their values, and the
// conversion of "%PID=" numbers.
#include <gtest/gtest.h>

#include "convert/scanner.h"
#include "support/error.h"

using convert::classify;
using convert::Marker;
using convert::parsePid;
using convert::prepareLine;

namespace {

int errorOf(const std::u16string& text) {
  try {
    parsePid(text);
  } catch (const support::Error& e) {
    return e.number();
  }
  return 0;
}

}  // namespace

template <class Want, class Got>
void expectAll(Got got, const std::vector<std::pair<std::u16string, Want>>& cases) {
  for (const auto& [in, want] : cases) {
    SCOPED_TRACE(testing::PrintToString(in));
    EXPECT_EQ(got(in), want);
  }
}

// Blanks are trimmed but the paragraph mark stays; one stray character
// before a heading keyword is dropped, but not two, nor one before a
// lower-case keyword or another keyword.
TEST(PrepareLine, TrimsBlanksAndOneStrayCharacterBeforeAHeadingKeyword) {
  expectAll<std::u16string>(prepareLine, {
      {u"  %H2=Intro \r", u"%H2=Intro \r"}, {u"  text  ", u"text"}, {u"\t%H2=x\r", u"%H2=x\r"},
      {u"\u2022%H2=Intro\r", u"%H2=Intro\r"}, {u"*%H1=Ch\r", u"%H1=Ch\r"},
      {u"-%TEST=Q\r", u"%TEST=Q\r"}, {u"-%H1#\r", u"%H1#\r"}, {u"**%H2=Intro\r", u"**%H2=Intro\r"},
      {u"*%h1=Ch\r", u"*%h1=Ch\r"}, {u"*%PID=3\r", u"*%PID=3\r"},
      {u"*%TITLE=x\r", u"*%TITLE=x\r"}});
}

// Each line with the marker it is and the value it carries: headings carry
// their title without the paragraph mark, course lines keep the mark, any
// case matches, and rules apply in order (a title line wins over all).
TEST(Markers, KindAndValueOfEachMarkerLine) {
  struct Case {
    std::u16string line;
    Marker marker;
    std::u16string value;
  };
  const Case cases[] = {
      {u"%H1=Basics\r", Marker::ChapterStart, u"Basics"},
      {u"%H2=Rules \r", Marker::Page, u"Rules "},
      {u"%TEST=Check\r", Marker::Test, u"Check"},
      {u"%H1#\r", Marker::ChapterEnd, u""},
      {u"%H1#end\r", Marker::ChapterEnd, u"end"},
      {u"%H2=\r", Marker::Page, u""},
      {u"%TEST=\r", Marker::Test, u""},
      {u"%TITLE=Course\r", Marker::Title, u"Course\r"},
      {u"%AUTHOR=Team\r", Marker::Author, u"Team\r"},
      {u"%AUTHOR=\r", Marker::Author, u"\r"},
      {u"%PID= 12 \r", Marker::Pid, u" 12 \r"},
      {u"%h1=Chapter\r", Marker::ChapterStart, u"Chapter"},
      {u"%Test=q\r", Marker::Test, u"q"},
      {u"%title=x\r", Marker::Title, u"x\r"},
      {u"%pid=1\r", Marker::Pid, u"1\r"},
      {u"%h1#\r", Marker::ChapterEnd, u""},
      {u"%TITLE=%H2=x\r", Marker::Title, u"%H2=x\r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.line));
    EXPECT_EQ(classify(prepareLine(c.line)).marker, c.marker);
    EXPECT_EQ(classify(prepareLine(c.line)).value, c.value);
  }
  // "%H1#" without a mark (a last paragraph handed over without one).
  EXPECT_EQ(classify(u"%H1#").marker, Marker::ChapterEnd);
  EXPECT_EQ(classify(u"%H1#").value, u"");
}

TEST(Markers, TooShortOrIncompleteLinesAreContent) {
  // "%H1=" has no room for a mark; "%TITLE=" needs one character more.
  for (const char16_t* line : {u"%H2\r", u"%H2 Intro\r", u"%TESTx\r", u"%H1=", u"%TITLE=", u"%PID=",
                               u"%H3=x\r", u"   \r", u"\r", u"", u"text %H2=x\r"}) {
    SCOPED_TRACE(testing::PrintToString(std::u16string(line)));
    EXPECT_EQ(classify(prepareLine(line)).marker, Marker::Content);
  }
}

TEST(PidConversion, DecimalNumbersWithWhiteSpaceAndFractionsRoundHalfToEven) {
  expectAll<int32_t>(parsePid, {
      {u"12\r", 12}, {u"  -3 \r", -3}, {u"+7", 7}, {u"\t0042\r\n", 42}, {u"2147483647", 2147483647},
      {u"-2147483648", INT32_MIN}, {u"2.5", 2}, {u"3.5", 4}, {u"2.51", 3}, {u"2.49", 2},
      {u"2.500000000001", 3}, {u"-2.5", -2}, {u"-3.5", -4}, {u"0.5", 0}, {u".7", 1}, {u"5.", 5},
      {u"-2147483648.5", INT32_MIN}, {u"\u00A012\u00A0\r", 12}});
}

// Not a number is error 13; outside the 32-bit range (after rounding) is 6.
TEST(PidConversion, BadNumbersAreError13AndOutOfRangeError6) {
  expectAll<int>(errorOf, {
      {u"abc", 13}, {u"", 13}, {u" \r", 13}, {u"12a", 13}, {u"1 2", 13}, {u"1\u00A02", 13},
      {u"-", 13}, {u".", 13}, {u"1.2.3", 13}, {u"0x10", 13}, {u"2147483648", 6},
      {u"-2147483649", 6}, {u"2147483647.5", 6},
      {u"99999999999999999999999", 6}, {u"000000000000000000001", 0}});
}
