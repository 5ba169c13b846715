// Rewriting the lines of a saved page: body and title lines, reference
// links, unclosed markers.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "../common/fixtures.h"
#include "../common/frontends.h"
#include "pages/replace_body.h"
#include "support/strings.h"

using namespace testing_support;
using pages::rewriteLine;

namespace {

const std::string kOpen = "<a href=\"#\" onclick=\"return parent.tester.showref(";

std::string anchor(const std::string& reference, const std::string& text) {
  return kOpen + "'" + reference + "')\">" + text + "</a>";
}

struct Rewrite {
  std::optional<std::string> line;
  std::vector<std::string> status;
};

Rewrite rewrite(const std::string& line) {
  RecordingStatus status;
  auto out = rewriteLine(line, status);
  return {out, status.lines};
}

}  // namespace

TEST(BodyAndTitleLines, BodyLineBecomesABareTag) {
  EXPECT_EQ(rewrite("  <BODY lang=EN-US style='x'>text").line, "<body>");
  EXPECT_EQ(rewrite("<body>").line, "<body>");
  EXPECT_EQ(rewrite("<Body").line, "<body>");
}

TEST(BodyAndTitleLines, BodyTagAfterOtherTextIsNotABodyLine) {
  EXPECT_EQ(rewrite("</head><body class='x'>").line, "</head><body class='x'>");
  // A tab is not a blank.
  EXPECT_EQ(rewrite("\t<body>").line, "\t<body>");
}

TEST(BodyAndTitleLines, TitleLineIsDroppedInAnyCase) {
  EXPECT_EQ(rewrite("  <TiTlE>Page</title>").line, std::nullopt);
  EXPECT_EQ(rewrite("<title>").line, std::nullopt);
  EXPECT_EQ(rewrite("<head><title>Page</title>").line, "<head><title>Page</title>");
}

TEST(ReferenceLinks, ReferenceAndTextSplitAtTheFirstBlank) {
  Rewrite r = rewrite("see %A=12 the rules%A# above");
  EXPECT_EQ(r.line, "see " + anchor("12", "the rules") + " above");
  EXPECT_EQ(r.status, (std::vector<std::string>{"link: " + *r.line}));
}

TEST(ReferenceLinks, WithoutBlankTheReferenceIsAlsoTheText) {
  EXPECT_EQ(rewrite("%A=12%A#").line, anchor("12", "12"));
}

TEST(ReferenceLinks, TwoLinksOnALineGiveOneStatusLine) {
  Rewrite r = rewrite("<p>%A=1 one%A# and %A=2 two%A#</p>");
  EXPECT_EQ(r.line, "<p>" + anchor("1", "one") + " and " + anchor("2", "two") + "</p>");
  ASSERT_EQ(r.status.size(), 1u);
  EXPECT_EQ(r.status[0], "link: " + *r.line);
}

TEST(ReferenceLinks, LowerCaseAndMixedMarkersPairUp) {
  EXPECT_EQ(rewrite("%a=7 seven%a#").line, anchor("7", "seven"));
  EXPECT_EQ(rewrite("%A=7 seven%a#").line, anchor("7", "seven"));
  EXPECT_EQ(rewrite("x %a# y").line, "x %A# y");  // a lone closing marker stays
}

TEST(ReferenceLinks, EmptyReferences) {
  EXPECT_EQ(rewrite("%A= text%A#").line, anchor("", "text"));
  EXPECT_EQ(rewrite("%A=%A#").line, anchor("", ""));
  EXPECT_EQ(rewrite("%A=1 %A#").line, anchor("1", ""));
}

TEST(ReferenceLinks, LinkTextMayHoldBlanksAndHtml) {
  EXPECT_EQ(rewrite("%A=3 <b>the</b> end%A#").line, anchor("3", "<b>the</b> end"));
}

TEST(ReferenceLinks, UnclosedMarkerReportsTheLineAndKeepsIt) {
  Rewrite r = rewrite("text %A=5 goes on");
  EXPECT_EQ(r.line, "text %A=5 goes on");
  EXPECT_EQ(r.status, (std::vector<std::string>{"Error %A= not closed: text %A=5 goes on"}));
}

TEST(ReferenceLinks, UnclosedAfterARewrittenLinkShowsNoLinkLine) {
  Rewrite r = rewrite("%A=1 a%A# then %A=2 b");
  const std::string expected = anchor("1", "a") + " then %A=2 b";
  EXPECT_EQ(r.line, expected);
  EXPECT_EQ(r.status, (std::vector<std::string>{"Error %A= not closed: " + expected}));
}

TEST(ReferenceLinks, AClosingMarkerBeforeTheOpeningOneStays) {
  EXPECT_EQ(rewrite("%A# x %A=1 y%A#").line, "%A# x " + anchor("1", "y"));
}

TEST(ReferenceLinks, NonAsciiTextIsCarriedOver) {
  Rewrite r = rewrite("См. %A=12 правила%A# выше");
  EXPECT_EQ(r.line, "См. " + anchor("12", "правила") + " выше");
  EXPECT_EQ(r.status[0], "link: " + *r.line);
}

TEST(ReferenceLinks, ApostrophesAndBackslashesCannotLeaveTheScriptString) {
  EXPECT_EQ(rewrite("%A=O'Brien the author%A#").line, anchor("O\\'Brien", "the author"));
  EXPECT_EQ(rewrite("%A=a\\b x%A#").line, anchor("a\\\\b", "x"));
  EXPECT_EQ(rewrite("%A=O&#39;Brien x%A#").line, anchor("O\\&#39;Brien", "x"));
  EXPECT_EQ(rewrite("%A=O&apos;Brien x%A#").line, anchor("O\\&#39;Brien", "x"));
  // The link text is HTML, not script: it stays as it is.
  EXPECT_EQ(rewrite("%A=1 it's%A#").line, anchor("1", "it's"));
}

TEST(ReferenceLinks, OrdinaryLinesPassUnchanged) {
  Rewrite r = rewrite("<p>100% sure, 50%A not a marker</p>");
  EXPECT_EQ(r.line, "<p>100% sure, 50%A not a marker</p>");
  EXPECT_TRUE(r.status.empty());
  EXPECT_EQ(rewrite("").line, "");
}

namespace {

// The rewrite as first written: after every link it searches again from the
// line's start, which takes time quadratic in the links on a line. The
// linear rewrite must give the same bytes and status lines.
Rewrite searchingFromTheStart(std::string line) {
  RecordingStatus status;
  line = support::replaceAll(support::replaceAll(line, "%a=", "%A="), "%a#", "%A#");
  bool rewritten = false;
  for (size_t p = line.find("%A="); p != std::string::npos; p = line.find("%A=")) {
    const size_t q = line.find("%A#", p);
    if (q == std::string::npos) {
      status.showStatus(u"Error %A= not closed: " + utf16(line));
      return {line, status.lines};
    }
    const size_t s = line.find(' ', p);
    const bool split = s != std::string::npos && s < q;
    const std::string reference = line.substr(p + 3, (split ? s : q) - p - 3);
    const std::string text = split ? line.substr(s + 1, q - s - 1) : reference;
    line = line.substr(0, p) + pages::kLinkOpening + "'" + pages::scriptString(reference) + "'" +
           pages::kLinkMiddle + text + "</a>" + line.substr(q + 3);
    rewritten = true;
  }
  if (rewritten) status.showStatus(u"link: " + utf16(line));
  return {line, status.lines};
}

}  // namespace

// Nested, empty, unclosed and stray markers, as the rewrite has always
// treated them (golden/nested_links.txt: each case's line, result and
// status lines).
TEST(ReferenceLinks, NestedAndMalformedMarkersKeepTheirRewrite) {
  std::ifstream in(std::string(RD_TEST_DIR) + "/pages/golden/nested_links.txt");
  std::string line, input;
  Rewrite expected;
  int cases = 0;
  auto check = [&] {
    if (input.empty()) return;
    SCOPED_TRACE(input);
    Rewrite got = rewrite(input);
    EXPECT_EQ(got.line, expected.line);
    EXPECT_EQ(got.status, expected.status);
    ++cases;
    input.clear();
    expected = {};
  };
  while (std::getline(in, line)) {
    if (line.starts_with("in: ")) input = line.substr(4);
    if (line.starts_with("out: ")) expected.line = line.substr(5);
    if (line.starts_with("status: ")) expected.status.push_back(line.substr(8));
    if (line.empty()) check();
  }
  check();
  EXPECT_EQ(cases, 17);
}

TEST(ReferenceLinks, RandomLinesAreRewrittenAsSearchingFromTheStartWould) {
  const std::vector<std::string> pieces = {"%A=", "%a=", "%A#",   "%a#", " ", "x", "12",
                                           "'",   "\\",  "&#39;", "<b>", "%", "A", "#"};
  std::mt19937 random(2026);
  for (int n = 0; n < 20000; ++n) {
    std::string line;
    for (int k = std::uniform_int_distribution<int>(1, 14)(random); k > 0; --k)
      line += pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(random)];
    SCOPED_TRACE(line);
    Rewrite got = rewrite(line), want = searchingFromTheStart(line);
    ASSERT_EQ(got.line, want.line);
    ASSERT_EQ(got.status, want.status);
  }
}
