// Formula objects keep their formula as MathML: a page shows it as
// mathematics, its linear text standing for it in the document's text.
// The same objects embedded in a .doc describe their picture (tests/doc).
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

// A page holds only the mathematics of a document's MathML: browsers'
// elements and plain presentation attributes, escaped text, the older
// brackets written out, a formula's first form alone.
TEST(OdtFormulas, MarkupKeepsOnlyTheMathematics) {
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(
      math("<semantics><mrow onclick=\"x()\"><mi mathvariant=\"bold\" href=\"javascript:x\">a"
           "</mi><mo>&lt;</mo><mfenced open=\"[\"><mn>1</mn><mn>2</mn></mfenced><script>x</script>"
           "<mi mathcolor=\"url(x)\">b</mi></mrow><annotation>a &lt; [1,2]</annotation>"
           "</semantics>")
          .c_str()));
  EXPECT_EQ(word::read::mathmlMarkup(doc.document_element()),
            u"<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mrow><mi mathvariant=\"bold\">a"
            u"</mi><mo>&lt;</mo><mrow><mo>[</mo><mn>1</mn><mo>,</mo><mn>2</mn><mo>)</mo></mrow>"
            u"<mrow></mrow><mi>b</mi></mrow></math>");
}

TEST(OdtFormulas, AFormulaObjectShowsAsMathematics) {
  const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, '\0');
  auto frame = [](const std::string& object) {
    return "<draw:frame svg:width=\"1in\" svg:height=\"0.3in\">" + object +
           "<draw:image xlink:href=\"./ObjectReplacements/Object 1\"/></draw:frame>";
  };
  const std::string linked = "<draw:object xlink:href=\"./Object 1\"/>";
  const std::string formula =
      math("<semantics><mrow><msup><mi>x</mi><mn>2</mn></msup></mrow></semantics>");
  const std::vector<std::pair<std::string, std::string>> parts = {
      {"Object 1/content.xml", formula}, {"ObjectReplacements/Object 1", png}};
  const struct {
    const char* what;
    std::string document;
    bool shown;  // as mathematics; else its picture
  } cases[] = {
      {"its own part", odttest::package(body("f " + frame(linked)), parts), true},
      {"in the flat form",
       odttest::flat(body("f " + frame("<draw:object>" + formula + "</draw:object>"))), true},
      {"a damaged part",
       odttest::package(body("f " + frame(linked)),
                        {{"Object 1/content.xml", "<math><msup>"}, parts[1]}),
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const word::Model m = word::read::readOdt(c.document);
    ASSERT_EQ(m.main.pictures.size(), c.shown ? 0u : 1u);
    ASSERT_EQ(m.main.equations.size(), c.shown ? 1u : 0u);
    if (!c.shown) continue;
    EXPECT_EQ(odttest::text(m), "f x^2\r\n");
    EXPECT_NE(m.main.equations[0].mathml.find(u"<msup><mi>x</mi><mn>2</mn></msup>"),
              std::u16string::npos);
  }
  // An object named by two frames is read once (a thousand frames naming
  // one large object read it a thousand times): the second shows its
  // picture.
  const word::Model twice =
      word::read::readOdt(odttest::package(body("f " + frame(linked) + frame(linked)), parts));
  EXPECT_EQ(twice.main.equations.size(), 1u);
  EXPECT_EQ(twice.main.pictures.size(), 1u);
}

}  // namespace
