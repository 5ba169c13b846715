// Formula objects keep their formula as MathML: its linear text says what
// the replacement picture shows, where the author gives it no description.
// The same objects embedded in a .doc are read in tests/doc.
#include <gtest/gtest.h>

#include "../common/zip.h"
#include "odt_fixture.h"
#include "word/read/mathml_text.h"

namespace {

using odttest::Parts;

// A document of one paragraph.
Parts body(const std::string& inner) {
  return {"<text:p>" + inner + "</text:p>", "", ""};
}

std::string math(const std::string& inner) {
  return "<math xmlns=\"http://www.w3.org/1998/Math/MathML\" display=\"block\">" + inner +
         "</math>";
}

TEST(OdtFormulas, MathMLBecomesItsLinearText) {
  const struct {
    const char* what;
    std::string ml;
    std::u16string linear;
  } cases[] = {
      {"powers, its own linear form left out",
       "<semantics><mrow><msup><mi>a</mi><mi>n</mi></msup><mo stretchy=\"false\">+</mo>"
       "<msup><mi>b</mi><mn>2</mn></msup></mrow>"
       "<annotation encoding=\"StarMath 5.0\">a^n + b^2</annotation></semantics>",
       u"a^n+b^2"},
      {"a fraction of sums", "<mfrac><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow><mn>2</mn></mfrac>",
       u"(a+b)/2"},
      {"roots", "<msqrt><mi>x</mi><mo>+</mo><mn>1</mn></msqrt><mroot><mi>y</mi><mn>3</mn></mroot>",
       u"√(x+1)√(3&y)"},
      {"a sum's limits",
       "<munderover><mo>∑</mo><mrow><mi>i</mi><mo>=</mo><mn>1</mn></mrow><mi>n</mi></munderover>"
       "<msub><mi>x</mi><mi>i</mi></msub>",
       u"∑_(i=1)^n▒x_i"},
      {"brackets of an older producer",
       "<mfenced open=\"[\" "
       "close=\"]\"><mi>a</mi><mi>b</mi></mfenced><mfenced><mi>c</mi></mfenced>",
       u"[a,b](c)"},
      {"a matrix",
       "<mtable><mtr><mtd><mn>1</mn></mtd><mtd><mn>0</mn></mtd></mtr><mtr><mtd><mn>0</mn></mtd>"
       "<mtd><mn>1</mn></mtd></mtr></mtable>",
       u"■(1&0@0&1)"},
      {"nested past any real formula: its depths left out",
       [] {
         std::string s;
         for (int i = 0; i < 100; ++i) s += "<mrow>";
         s += "<mi>x</mi>";
         for (int i = 0; i < 100; ++i) s += "</mrow>";
         return s;
       }(),
       u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(word::read::formulaContentText(math(c.ml)), c.linear);
  }
  EXPECT_EQ(word::read::formulaContentText("<office:document/>"), u"");
  EXPECT_EQ(word::read::formulaContentText("not xml <"), u"");
}

TEST(OdtFormulas, AFormulaObjectsPictureIsDescribedByItsFormula) {
  const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, '\0');
  auto frame = [](const std::string& object, const std::string& desc = "") {
    return "<draw:frame svg:width=\"1in\" svg:height=\"0.3in\">" + object +
           "<draw:image xlink:href=\"./ObjectReplacements/Object 1\"/>" + desc + "</draw:frame>";
  };
  const std::string linked = "<draw:object xlink:href=\"./Object 1\"/>";
  const std::string formula =
      math("<semantics><mrow><msup><mi>x</mi><mn>2</mn></msup></mrow></semantics>");
  const std::vector<std::pair<std::string, std::string>> parts = {
      {"Object 1/content.xml", formula}, {"ObjectReplacements/Object 1", png}};
  const struct {
    const char* what;
    std::string document;
    std::u16string alt;
  } cases[] = {
      {"its own part", odttest::package(body(frame(linked)), parts), u"x^2"},
      {"in the flat form (its picture only linked)",
       odttest::flat(body(frame("<draw:object>" + formula + "</draw:object>"))), u"x^2"},
      {"the author's description first",
       odttest::package(body(frame(linked, "<svg:desc>the square</svg:desc>")), parts),
       u"the square"},
      {"a damaged part",
       odttest::package(body(frame(linked)), {{"Object 1/content.xml", "<math><msup>"}, parts[1]}),
       u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const word::Model m = word::read::readOdt(c.document);
    ASSERT_EQ(m.main.pictures.size(), 1u);
    EXPECT_EQ(m.main.pictures[0].alt, c.alt);
  }
}

}  // namespace
