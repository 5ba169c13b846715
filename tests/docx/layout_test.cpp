// A table's columns kept as wide as set (w:tblLayout), sections set in
// columns (w:sectPr/w:cols), the East Asian font of a run (w:rFonts
// w:eastAsia) and justified lines that end in a line break.
#include <gtest/gtest.h>

#include "docx_fixture.h"
#include "word/font_names.h"

namespace {

using docxtest::p;
using docxtest::r;

std::string table(const std::string& tblPr) {
  return "<w:tbl><w:tblPr>" + tblPr +
         "</w:tblPr><w:tblGrid><w:gridCol w:w=\"1000\"/><w:gridCol w:w=\"3000\"/></w:tblGrid>"
         "<w:tr><w:tc>" +
         p(r("a")) + "</w:tc><w:tc>" + p(r("b")) + "</w:tc></w:tr></w:tbl>";
}

TEST(DocxLayout, TablesFixedOrFittedToTheirText) {
  const std::pair<std::string, bool> cases[] = {
      {"<w:tblLayout w:type=\"fixed\"/>", true},
      {"<w:tblLayout w:type=\"autofit\"/>", false},
      {"", false},
  };
  for (const auto& [tblPr, fixed] : cases)
    EXPECT_EQ(docxtest::read(table(tblPr) + p(r("after"))).main.tables.at(0).fixedLayout, fixed)
        << tblPr;
}

// A section's properties end it: those in a paragraph's, then the body's
// for the last section.
TEST(DocxLayout, SectionsInColumns) {
  const std::string twoColumns =
      "<w:sectPr><w:cols w:num=\"2\" w:space=\"360\" w:sep=\"1\"/></w:sectPr>";
  const std::string body =
      p(r("one")) + p(r("two"), twoColumns) + table("") + p(r("three")) +
      p(r("four"), "<w:sectPr><w:cols w:space=\"720\"/></w:sectPr>") + p(r("five")) +
      "<w:sectPr><w:cols w:equalWidth=\"0\"><w:col w:w=\"3000\"/><w:col w:w=\"3000\"/>"
      "<w:col w:w=\"3000\"/></w:cols></w:sectPr>";
  const word::Model m = docxtest::read(body);
  struct Expected {
    uint8_t columns;
    int gap;  // points
    bool line;
  };
  // one, two; the table's two cells and its row's mark, three, four; five.
  const Expected kTwo{2, 18, true}, kOne{0, 0, false}, kThree{3, 36, false};
  const Expected expected[] = {kTwo, kTwo, kOne, kOne, kOne, kOne, kOne, kThree};
  ASSERT_EQ(m.main.paragraphs.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const word::ParagraphFormat& f = m.main.paragraphs[i].format;
    EXPECT_EQ(f.columns, expected[i].columns) << i;
    EXPECT_EQ(f.columnGap, expected[i].gap) << i;
    EXPECT_EQ(f.columnLine, expected[i].line) << i;
  }
}

// The East Asian font reaches the runs with such letters, its own or its
// theme's; Latin text of the same properties keeps to its font alone.
TEST(DocxLayout, EastAsianFontOfRunsWithSuchLetters) {
  const std::string theme =
      "<?xml version=\"1.0\"?><a:theme "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><a:themeElements>"
      "<a:fontScheme><a:majorFont><a:latin typeface=\"Calibri Light\"/><a:ea typeface=\"MS "
      "Gothic\"/></a:majorFont><a:minorFont><a:latin typeface=\"Calibri\"/><a:ea "
      "typeface=\"MS Mincho\"/></a:minorFont></a:fontScheme></a:themeElements></a:theme>";
  const std::pair<std::string, const char16_t*> cases[] = {
      {"<w:rFonts w:ascii=\"Arial\" w:eastAsia=\"SimSun\"/>", u"SimSun"},
      {"<w:rFonts w:ascii=\"Arial\" w:eastAsiaTheme=\"minorEastAsia\" w:hint=\"eastAsia\"/>",
       u"MS Mincho"},
      {"<w:rFonts w:ascii=\"Arial\"/>", u""},
  };
  for (const auto& [rPr, font] : cases) {
    const word::Model m =
        docxtest::read(p(r("Latin", rPr) + r("\xe6\xbc\xa2\xe5\xad\x97 ok", rPr)),
                       {{"word/theme/theme1.xml", theme}},
                       docxtest::relationship("rTheme", "theme", "theme/theme1.xml"));
    EXPECT_EQ(word::asianFontName(docxtest::formatAt(m, 6).asianFont), font) << rPr;
    EXPECT_EQ(docxtest::formatAt(m, 0).asianFont, 0) << rPr;
  }
}

// Marked East Asian (w:hint), the characters East Asian fonts share with
// Latin ones (curly quotes, Greek letters) show in the East Asian font, as
// the word processor shows them; plain Latin letters keep theirs.
TEST(DocxLayout, EastAsianHintTakesSharedCharactersToTheEastAsianFont) {
  const struct {
    const char* hint;
    const char16_t *quote, *greek;
  } rows[] = {
      {" w:hint=\"eastAsia\"", u"SimSun", u"SimSun"},
      {"", u"Arial", u"Arial"},
  };
  for (const auto& row : rows) {
    const std::string rPr =
        std::string("<w:rFonts w:ascii=\"Arial\" w:eastAsia=\"SimSun\"") + row.hint + "/>";
    // A Chinese character in curly quotes, Latin letters, a Greek one.
    const word::Model m =
        docxtest::read(p(r("\xe2\x80\x9c\xe6\xbc\xa2\xe2\x80\x9d ok \xce\xb1", rPr)));
    EXPECT_EQ(docxtest::formatAt(m, 0).font, row.quote) << row.hint;
    EXPECT_EQ(docxtest::formatAt(m, 4).font, u"Arial") << row.hint;
    EXPECT_EQ(docxtest::formatAt(m, 7).font, row.greek) << row.hint;
  }
}

// A justified line that ends in a line break is stretched as the word
// processor stretches it, unless the settings leave it ragged; the
// paragraph's last line stays ragged, in a box of its own.
TEST(DocxLayout, JustifiedLinesBeforeBreaks) {
  const std::string ragged =
      docxtest::part("settings", "<w:compat><w:doNotExpandShiftReturn/></w:compat>");
  const std::string kTail = "<span style=\"display:block;text-indent:0;text-align-last:auto\">";
  const struct {
    std::string jc, runs;
    bool raggedSetting;
    const char* tail;  // what starts the last line's box; nullptr: no stretch
  } cases[] = {
      {"both", r("one") + "<w:r><w:br/></w:r>" + r("two"), false, "two"},
      {"both", r("one") + "<w:r><w:br/></w:r>" + r("two"), true, nullptr},
      {"left", r("one") + "<w:r><w:br/></w:r>" + r("two"), false, nullptr},
      {"both", r("one") + "<w:r><w:br/></w:r>", false, ""},
  };
  for (const auto& c : cases) {
    const word::Model m = docxtest::read(
        p(c.runs, "<w:jc w:val=\"" + c.jc + "\"/>"),
        c.raggedSetting ? std::map<std::string, std::string>{{"word/settings.xml", ragged}}
                        : std::map<std::string, std::string>{});
    EXPECT_EQ(m.stretchBeforeBreaks, !c.raggedSetting);
    const std::string page = word::write::html(m, "p_files", u"t").text;
    EXPECT_EQ(page.find("text-align-last:justify") != std::string::npos, c.tail != nullptr)
        << c.jc << c.raggedSetting << "\n" << page;
    if (c.tail) {
      EXPECT_EQ(page.find(*c.tail ? kTail + c.tail : kTail) != std::string::npos, *c.tail != 0)
          << page;
    }
  }
}

}  // namespace
