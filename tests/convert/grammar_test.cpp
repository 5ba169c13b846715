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

Marker markerOf(const std::u16string& paragraph) { return classify(prepareLine(paragraph)).marker; }
std::u16string valueOf(const std::u16string& paragraph) {
  return classify(prepareLine(paragraph)).value;
}

int errorOf(const std::u16string& text) {
  try {
    parsePid(text);
  } catch (const support::Error& e) {
    return e.number();
  }
  return 0;
}

}  // namespace

TEST(PrepareLine, BlanksAreTrimmedButTheMarkStays) {
  EXPECT_EQ(prepareLine(u"  %H2=Intro \r"), u"%H2=Intro \r");
  EXPECT_EQ(prepareLine(u"  text  "), u"text");
  EXPECT_EQ(prepareLine(u"\t%H2=x\r"), u"%H2=x\r");  // one stray character
}

TEST(PrepareLine, OneStrayCharacterBeforeAHeadingKeywordIsDropped) {
  EXPECT_EQ(prepareLine(u"\u2022%H2=Intro\r"), u"%H2=Intro\r");
  EXPECT_EQ(prepareLine(u"*%H1=Ch\r"), u"%H1=Ch\r");
  EXPECT_EQ(prepareLine(u"-%TEST=Q\r"), u"%TEST=Q\r");
  EXPECT_EQ(prepareLine(u"-%H1#\r"), u"%H1#\r");
  // Two characters, a lower-case keyword, or another keyword: kept.
  EXPECT_EQ(prepareLine(u"**%H2=Intro\r"), u"**%H2=Intro\r");
  EXPECT_EQ(prepareLine(u"*%h1=Ch\r"), u"*%h1=Ch\r");
  EXPECT_EQ(prepareLine(u"*%PID=3\r"), u"*%PID=3\r");
  EXPECT_EQ(prepareLine(u"*%TITLE=x\r"), u"*%TITLE=x\r");
}

TEST(Markers, HeadingsCarryTheirTitleWithoutTheMark) {
  EXPECT_EQ(markerOf(u"%H1=Basics\r"), Marker::ChapterStart);
  EXPECT_EQ(valueOf(u"%H1=Basics\r"), u"Basics");
  EXPECT_EQ(markerOf(u"%H2=Rules \r"), Marker::Page);
  EXPECT_EQ(valueOf(u"%H2=Rules \r"), u"Rules ");
  EXPECT_EQ(markerOf(u"%TEST=Check\r"), Marker::Test);
  EXPECT_EQ(valueOf(u"%TEST=Check\r"), u"Check");
  EXPECT_EQ(markerOf(u"%H1#\r"), Marker::ChapterEnd);
  EXPECT_EQ(valueOf(u"%H1#end\r"), u"end");
}

TEST(Markers, EmptyTitlesAreAllowed) {
  EXPECT_EQ(markerOf(u"%H2=\r"), Marker::Page);
  EXPECT_EQ(valueOf(u"%H2=\r"), u"");
  EXPECT_EQ(markerOf(u"%TEST=\r"), Marker::Test);
  // "%H1#" without a mark (a last paragraph handed over without one).
  EXPECT_EQ(classify(u"%H1#").marker, Marker::ChapterEnd);
  EXPECT_EQ(classify(u"%H1#").value, u"");
}

TEST(Markers, CourseLinesKeepTheMark) {
  EXPECT_EQ(markerOf(u"%TITLE=Course\r"), Marker::Title);
  EXPECT_EQ(valueOf(u"%TITLE=Course\r"), u"Course\r");
  EXPECT_EQ(markerOf(u"%AUTHOR=Team\r"), Marker::Author);
  EXPECT_EQ(valueOf(u"%AUTHOR=\r"), u"\r");
  EXPECT_EQ(markerOf(u"%PID= 12 \r"), Marker::Pid);
  EXPECT_EQ(valueOf(u"%PID= 12 \r"), u" 12 \r");
}

TEST(Markers, AnyCaseMatches) {
  EXPECT_EQ(markerOf(u"%h1=Chapter\r"), Marker::ChapterStart);
  EXPECT_EQ(markerOf(u"%Test=q\r"), Marker::Test);
  EXPECT_EQ(markerOf(u"%title=x\r"), Marker::Title);
  EXPECT_EQ(markerOf(u"%pid=1\r"), Marker::Pid);
  EXPECT_EQ(markerOf(u"%h1#\r"), Marker::ChapterEnd);
}

TEST(Markers, TooShortOrIncompleteLinesAreContent) {
  EXPECT_EQ(markerOf(u"%H2\r"), Marker::Content);
  EXPECT_EQ(markerOf(u"%H2 Intro\r"), Marker::Content);
  EXPECT_EQ(markerOf(u"%TESTx\r"), Marker::Content);
  EXPECT_EQ(markerOf(u"%H1="), Marker::Content);      // no room for a mark
  EXPECT_EQ(markerOf(u"%TITLE="), Marker::Content);   // needs one character more
  EXPECT_EQ(markerOf(u"%PID="), Marker::Content);
  EXPECT_EQ(markerOf(u"%H3=x\r"), Marker::Content);
  EXPECT_EQ(markerOf(u"   \r"), Marker::Content);
  EXPECT_EQ(markerOf(u"\r"), Marker::Content);
  EXPECT_EQ(markerOf(u""), Marker::Content);
  EXPECT_EQ(markerOf(u"text %H2=x\r"), Marker::Content);
}

TEST(Markers, RulesApplyInOrder) {
  // "%H1#" is tried before "%H2=" and so on; a title line wins over all.
  EXPECT_EQ(markerOf(u"%TITLE=%H2=x\r"), Marker::Title);
  EXPECT_EQ(valueOf(u"%TITLE=%H2=x\r"), u"%H2=x\r");
}

TEST(PidConversion, DecimalNumbersWithWhiteSpace) {
  EXPECT_EQ(parsePid(u"12\r"), 12);
  EXPECT_EQ(parsePid(u"  -3 \r"), -3);
  EXPECT_EQ(parsePid(u"+7"), 7);
  EXPECT_EQ(parsePid(u"\t0042\r\n"), 42);
  EXPECT_EQ(parsePid(u"2147483647"), 2147483647);
  EXPECT_EQ(parsePid(u"-2147483648"), INT32_MIN);
}

TEST(PidConversion, FractionsRoundHalfToEven) {
  EXPECT_EQ(parsePid(u"2.5"), 2);
  EXPECT_EQ(parsePid(u"3.5"), 4);
  EXPECT_EQ(parsePid(u"2.51"), 3);
  EXPECT_EQ(parsePid(u"2.49"), 2);
  EXPECT_EQ(parsePid(u"2.500000000001"), 3);
  EXPECT_EQ(parsePid(u"-2.5"), -2);
  EXPECT_EQ(parsePid(u"-3.5"), -4);
  EXPECT_EQ(parsePid(u"0.5"), 0);
  EXPECT_EQ(parsePid(u".7"), 1);
  EXPECT_EQ(parsePid(u"5."), 5);
  EXPECT_EQ(parsePid(u"-2147483648.5"), INT32_MIN);
}

TEST(PidConversion, NotANumberIsError13) {
  EXPECT_EQ(errorOf(u"abc"), 13);
  EXPECT_EQ(errorOf(u""), 13);
  EXPECT_EQ(errorOf(u" \r"), 13);
  EXPECT_EQ(errorOf(u"12a"), 13);
  EXPECT_EQ(errorOf(u"1 2"), 13);
  EXPECT_EQ(errorOf(u"-"), 13);
  EXPECT_EQ(errorOf(u"."), 13);
  EXPECT_EQ(errorOf(u"1.2.3"), 13);
  EXPECT_EQ(errorOf(u"0x10"), 13);
}

TEST(PidConversion, OutsideThe32BitRangeIsError6) {
  EXPECT_EQ(errorOf(u"2147483648"), 6);
  EXPECT_EQ(errorOf(u"-2147483649"), 6);
  EXPECT_EQ(errorOf(u"2147483647.5"), 6);  // rounds up past the range
  EXPECT_EQ(errorOf(u"99999999999999999999999"), 6);
  EXPECT_EQ(errorOf(u"000000000000000000001"), 0);
}
