// Equation-editor objects: each kind of MTEF record becomes its linear text
// as the picture's alternative text (golden/equation_objects.txt), read
// from an oleObject.bin beside a WMF preview; damaged or hostile equations
// give no text and no crash. The whole conversion of such a course is in
// tests/convert/pictures_test.cpp.
#include <gtest/gtest.h>

#include <fstream>

#include "../common/fixtures.h"
#include "equation_fixture.h"
#include "word/read/mtef.h"

using namespace testing_support;
using docxtest::docxWith;
using docxtest::Object;
using docxtest::objectOf;

namespace {

const mtef::Writer v5{5}, v3{3};

struct Case {
  const char* name;
  std::string mtef;  // the whole MTEF
};

std::vector<Case> cases() {
  auto eq5 = [](const std::string& r) { return v5.equation(v5.line(r)); };
  auto eq3 = [](const std::string& r) { return v3.equation(v3.line(r)); };
  const std::string definitions5 =
      mtef::bytes({19}) + std::string("MTCode\0", 7) + mtef::bytes({17, 1}) +
      std::string("Times\0", 6) + mtef::bytes({18, 0, 2, 0x22, 0xF2, 0x1F, 1, 0x2F, 1, 3, 0}) +
      mtef::bytes({8, 1, 0, 9, 100, 1, 0, 1, 9, 101, 0, 2, 10, 15, 1, 16, 4, 0, 0, 0, 0, 0, 0}) +
      std::string("Red\0", 4) + mtef::bytes({120, 3, 0, 9, 9, 9});
  return {
      {"fraction (5)", eq5(v5.tmpl(11, 0, v5.line(u"a") + v5.line(u"b+1")))},
      {"superscript (5)", eq5(v5.text(u"x") + v5.tmpl(28, 0, v5.nullLine() + v5.line(u"2")))},
      {"both scripts (5)", eq5(v5.text(u"x") + v5.tmpl(29, 0, v5.line(u"i") + v5.line(u"n+1")))},
      {"square root (5)", eq5(v5.tmpl(10, 0, v5.line(u"x") + v5.nullLine()))},
      {"cube root (5)", eq5(v5.tmpl(10, 1, v5.line(u"y") + v5.line(u"3")))},
      {"sum with limits (5)",
       eq5(v5.tmpl(16, 0x70, v5.line(u"i") + v5.line(u"i=1") + v5.line(u"n") + v5.ch(u'∑', 6)))},
      {"integral (5)",
       eq5(v5.tmpl(15, 0x31, v5.line(u"f") + v5.line(u"0") + v5.line(u"1") + v5.ch(u'∫', 6)))},
      {"brackets (5)", eq5(v5.tmpl(3, 3, v5.line(u"a+b") + v5.ch(u'[', 22) + v5.ch(u']', 22)))},
      {"matrix (5)",
       eq5(v5.matrix(2, 2, v5.line(u"1") + v5.line(u"0") + v5.line(u"0") + v5.line(u"1")))},
      {"embellishments (5)", eq5(v5.ch(u'x', 3, {5}) + v5.text(u"=") + v5.ch(u'v', 3, {2}))},
      {"function (5)", eq5(v5.text(u"sin", 2) + v5.text(u"x"))},
      {"pile (5)", v5.equation(v5.pile(v5.line(u"a=1") + v5.line(u"b=2")))},
      {"limit (5)",
       eq5(v5.tmpl(23, 0, v5.line(v5.text(u"lim", 2)) + v5.line(u"n→∞") + v5.nullLine()))},
      {"definitions and a nudge (5)", v5.header() + definitions5 + v5.tag(mtef::kLine, 0x08) +
                                          mtef::bytes({128, 128, 1, 0, 2, 0}) + v5.text(u"E=mc") +
                                          v5.tmpl(28, 0, v5.nullLine() + v5.line(u"2")) + v5.end() +
                                          v5.end()},
      {"Greek letter and symbol operator (3)",
       eq3(v3.ch('p', 4) + v3.text(u"r") + v3.tmpl(15, 0, v3.nullLine() + v3.line(u"2")) +
           v3.ch(0xB9, 6) + v3.text(u"0"))},
      {"fraction (3)", eq3(v3.tmpl(14, 0, v3.line(u"a") + v3.line(u"b")))},
      {"parentheses (3)", eq3(v3.tmpl(1, 0, v3.line(u"x+1") + v3.ch('(', 22) + v3.ch(')', 22)))},
      {"sum from the symbol font (3)",
       eq3(v3.tmpl(29, 1, v3.line(u"k") + v3.line(u"k=0") + v3.line(u"n") + v3.ch(0xE5, 6)))},
      {"square root (3)", eq3(v3.tmpl(13, 0, v3.line(u"2") + v3.nullLine()))},
      {"fonts, sizes and a ruler (3)",
       v3.header() + mtef::bytes({8, 131, 0}) + std::string("Times New Roman\0", 16) +
           mtef::bytes({9, 1, 130, 9, 100, 2, 0, 1, 9, 101, 0, 3, 10, 11}) +
           v3.tag(mtef::kLine, 0x02) + mtef::bytes({7, 1, 0, 100, 0}) + v3.text(u"a+b") + v3.end() +
           v3.end()},
  };
}

std::string golden() {
  std::ifstream in(std::string(RD_TEST_DIR) + "/docx/golden/equation_objects.txt",
                   std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::u16string> alts(const std::string& docx) {
  std::vector<std::u16string> out;
  for (const word::Picture& p : word::read::readDocx(docx).main.pictures) out.push_back(p.alt);
  return out;
}

}  // namespace

TEST(EquationObjects, EachRecordBecomesItsLinearTextAsThePicturesAlternativeText) {
  std::vector<Object> objects;
  for (const Case& c : cases()) objects.push_back({objectOf(c.mtef)});
  const std::vector<std::u16string> got = alts(docxWith({}, objects));
  ASSERT_EQ(got.size(), cases().size());
  std::string text;
  for (size_t i = 0; i < got.size(); ++i)
    text += std::string(cases()[i].name) + "\n" + word::u8(got[i]) + "\n\n";
  EXPECT_EQ(text, golden());
}

TEST(EquationObjects, TheShapesOwnTextWinsAndOtherObjectsGetNone) {
  const std::string mtef = v5.equation(v5.line(u"a+b"));
  const std::string package = compoundFile({{"\x01Ole10Native", "data"}});
  EXPECT_EQ(
      alts(docxWith({}, {{objectOf(mtef), "Area"}, {package}, {"not a compound file"}, {""}})),
      (std::vector<std::u16string>{u"Area", u"", u"", u""}));
}

// Damaged and hostile equations: no text, no crash.
TEST(EquationObjects, DamagedOrHostileEquationsGiveNoText) {
  const std::string good = v5.equation(v5.line(u"a+b"));
  std::string deep = v5.header();
  for (int i = 0; i < 100000; ++i) deep += v5.tag(mtef::kLine);
  std::string wide = v5.header() + v5.tag(mtef::kLine);
  for (int i = 0; i < 5000; ++i) wide += v5.ch(u'x');
  const std::vector<std::pair<const char*, std::string>> hostile = {
      {"empty", ""},
      {"unknown version", mtef::bytes({4, 1, 0, 0, 0, 1, 0, 0})},
      {"application key without its end", v5.header().substr(0, 8)},
      {"unknown record (5)", v5.header() + mtef::bytes({50, 0, 0})},
      {"unknown record (3)", v3.header() + mtef::bytes({15, 0})},
      {"deep nesting", deep},
      {"text over the cap", wide + v5.end() + v5.end()},
      {"matrix of 255 by 255 cut short", v5.header() + v5.tag(mtef::kMatrix) +
                                             mtef::bytes({0, 0, 0, 255, 255}) +
                                             std::string(10, '\0')},
      {"ruler of 255 stops cut short",
       v5.header() + v5.tag(mtef::kLine, 0x02) + mtef::bytes({255, 1})},
      {"future record longer than the data", v5.header() + mtef::bytes({200, 0xFF, 0xFF, 1})},
      {"preferences without their end", v5.header() + mtef::bytes({18, 0, 200, 0x11, 0x11})},
      {"string without its end", v5.header() + mtef::bytes({19}) + "MTCode"},
  };
  for (const auto& [name, bytes] : hostile) {
    EXPECT_EQ(word::read::mtefText(bytes), u"") << name;
    EXPECT_EQ(word::read::equationNativeText(mtef::equationNative(bytes)), u"") << name;
  }
  // Cut anywhere, an equation gives its whole text or none.
  for (size_t n = 0; n < good.size(); ++n)
    EXPECT_TRUE(word::read::mtefText(good.substr(0, n)).empty() ||
                word::read::mtefText(good.substr(0, n)) == u"a+b")
        << n;
  // The stream's header: cut short, or naming a size beyond the stream.
  const std::string native = mtef::equationNative(good);
  EXPECT_EQ(word::read::equationNativeText(native), u"a+b");
  EXPECT_EQ(word::read::equationNativeText(native.substr(0, 27)), u"");
  EXPECT_EQ(word::read::equationNativeText(std::string(1, '\xFF') + native.substr(1)), u"");
}
