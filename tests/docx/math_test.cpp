// Office Math: each kind of element as MathML (golden/math.txt holds the
// MathML and the linear text of each case), equations in the page and in
// the text export, and what a copy or an edit does to them.
#include <gtest/gtest.h>


#include "../common/fixtures.h"
#include "docx_fixture.h"
#include "word/story_ops.h"

namespace {

using docxtest::p;

std::string r(const std::string& t, const std::string& pr = "") {
  return "<m:r>" + (pr.empty() ? "" : "<m:rPr>" + pr + "</m:rPr>") + "<m:t>" + t + "</m:t></m:r>";
}
std::string el(const std::string& name, const std::string& inner, const std::string& pr = "") {
  return "<m:" + name + ">" +
         (pr.empty() ? "" : "<m:" + name + "Pr>" + pr + "</m:" + name + "Pr>") + inner +
         "</m:" + name + ">";
}
std::string e(const std::string& inner) {
  return el("e", inner);
}

// One case per kind of element the reader knows, and one it does not.
const std::vector<std::pair<std::string, std::string>> kCases = {
    {"text runs", r("x+12.5=y-1") + r("if", "<m:nor/>")},
    {"fraction", el("f", el("num", r("a")) + el("den", r("b+1")))},
    {"linear fraction", el("f", el("num", r("1")) + el("den", r("2")), "<m:type m:val=\"lin\"/>")},
    {"no-bar fraction",
     el("f", el("num", r("n")) + el("den", r("k")), "<m:type m:val=\"noBar\"/>")},
    {"superscript", el("sSup", e(r("x")) + el("sup", r("2")))},
    {"subscript", el("sSub", e(r("a")) + el("sub", r("i")))},
    {"both scripts", el("sSubSup", e(r("x")) + el("sub", r("i")) + el("sup", r("n+1")))},
    {"prescripts", el("sPre", el("sub", r("1")) + el("sup", r("2")) + e(r("C")))},
    {"square root", el("rad", el("deg", "") + e(r("x")), "<m:degHide m:val=\"1\"/>")},
    {"cube root", el("rad", el("deg", r("3")) + e(r("y")))},
    {"sum with limits", el("nary", el("sub", r("i=1")) + el("sup", r("n")) + e(r("i")),
                           "<m:chr m:val=\"∑\"/><m:limLoc m:val=\"undOvr\"/>")},
    {"integral", el("nary", el("sub", r("0")) + el("sup", r("1")) + e(r("f")))},
    {"brackets", el("d", e(r("a")) + e(r("b")), "<m:begChr m:val=\"[\"/><m:endChr m:val=\"]\"/>")},
    {"matrix", el("m", el("mr", e(r("1")) + e(r("0"))) + el("mr", e(r("0")) + e(r("1"))))},
    {"function", el("func", el("fName", r("sin")) + e(r("x")))},
    {"accent", el("acc", e(r("a")), "<m:chr m:val=\"&#x0303;\"/>")},
    {"bar", el("bar", e(r("z")), "<m:pos m:val=\"top\"/>")},
    {"box", el("borderBox", e(r("E=mc")))},
    {"equation array", el("eqArr", e(r("a=1")) + e(r("b=2")))},
    {"limit", el("limLow", e(r("lim")) + el("lim", r("n→∞")))},
    {"unknown element", "<m:mystery><m:r><m:t>kept</m:t></m:r></m:mystery>"},
    {"a separator of many characters: the first",
     el("d", e(r("a")) + e(r("b")), "<m:sepChr m:val=\";;;;;;;;\"/>")},
};

}  // namespace

TEST(DocxMath, EachElementBecomesItsMathMLAndItsLinearText) {
  std::string got;
  for (const auto& [name, inner] : kCases) {
    word::Model m = docxtest::read(p("<m:oMath>" + inner + "</m:oMath>"));
    ASSERT_EQ(m.main.equations.size(), 1u) << name;
    const word::Equation& eq = m.main.equations[0];
    got += name + "\n" + word::u8(eq.mathml) + "\n" +
           word::u8(m.main.text.substr(eq.start, eq.end - eq.start)) + "\n\n";
  }
  EXPECT_EQ(got, testing_support::golden(RD_TEST_DIR "/docx/golden/math.txt", got));
}

TEST(DocxMath, EquationsShowInThePageAsMathAndInTheTextAsLinearText) {
  const std::string body =
      p(docxtest::r("Area: ") + "<m:oMath>" + el("sSup", e(r("r")) + el("sup", r("2"))) +
        "</m:oMath>" + docxtest::r(" units.")) +
      p("<m:oMathPara><m:oMath>" + r("a=b") + "</m:oMath></m:oMathPara>");
  word::Model m = docxtest::read(body);
  EXPECT_EQ(docxtest::text(m), "Area: r^2 units.\r\na=b\r\n");
  const std::string page = word::write::html(m, "p_files", u"t").text;
  EXPECT_NE(page.find("Area: <math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mrow><msup><mrow>"
                      "<mi>r</mi></mrow><mrow><mn>2</mn></mrow></msup></mrow></math> units."),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("<math xmlns=\"http://www.w3.org/1998/Math/MathML\" display=\"block\">"),
            std::string::npos);
  EXPECT_EQ(page.find("r^2"), std::string::npos);

  // A copy takes an equation only whole; an edit inside one leaves its text.
  const word::Equation& first = m.main.equations[0];
  EXPECT_EQ(word::ops::copyRange(m, first.start, first.end).main.equations.size(), 1u);
  EXPECT_EQ(word::ops::copyRange(m, first.start + 1, first.end).main.equations.size(), 0u);
  const uint32_t second = m.main.equations[1].start;
  word::ops::erase(m, first.start, first.start + 1);
  ASSERT_EQ(m.main.equations.size(), 1u);
  EXPECT_EQ(m.main.equations[0].start, second - 1);
}
