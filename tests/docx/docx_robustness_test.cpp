// Bad input: every failure is a word::Error with a reason, never a crash,
// a hang or unbounded memory.
#include <gtest/gtest.h>

#include <random>

#include "docx_fixture.h"
#include "support/codepage.h"
#include "word/error.h"
#include "word/read/package.h"

namespace {

std::string fails(const std::string& bytes) {
  try {
    word::read::readDocx(bytes);
  } catch (const word::Error& e) {
    EXPECT_EQ(e.number(), word::kCannotOpen);
    EXPECT_EQ(e.source(), word::kEngineSource);
    return e.description();
  }
  ADD_FAILURE() << "the document opened";
  return {};
}

// Opens or fails with word::Error; anything else fails the test.
bool opensOrFails(const std::string& bytes) {
  try {
    word::Model m = word::read::readDocx(bytes);
    return !m.main.text.empty() && m.main.text.back() == word::kParagraphMark;
  } catch (const word::Error& e) {
    return !e.description().empty();
  }
}

std::string simpleDocx(const std::string& body = "<w:p><w:r><w:t>hello</w:t></w:r></w:p>") {
  return docxtest::build({docxtest::documentXml(body), {}, {}});
}

// Not a package, or a package whose main part is missing or damaged: the
// reason says why, and where.
TEST(DocxBadInput, NotAPackageOrADamagedMainPartSaysWhy) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"", {"empty"}},
      {"PK\x03\x04 and then nothing useful", {"damaged or truncated"}},
      {std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'), {"OLE2"}},
      {docxtest::zip({{"[Content_Types].xml", "<Types/>"}, {"other.txt", "x"}}),
       {"no word/document.xml"}},
      {docxtest::zip({{"word/document.xml", "<w:document><w:body><w:p>"}}),
       {"word/document.xml", "damaged"}},
      {testing_support::withBrokenLocalHeader(docxtest::zip({{"word/document.xml", "x"}}),
                                              "word/document.xml"),
       {"word/document.xml is damaged and cannot be unpacked"}},
      {docxtest::zip({{"word/document.xml", "<w:document/>"}}), {"no body"}},
      {docxtest::zip({{"word/document.xml", docxtest::documentXml("")},
                      {"word/document.xml", docxtest::documentXml("<w:p/>")}}),
       {"\"word/document.xml\" twice, with different contents"}},
  };
  for (const auto& [bytes, words] : cases) {
    std::string why = fails(bytes);
    for (const std::string& w : words) EXPECT_NE(why.find(w), std::string::npos) << why;
  }  // The same part twice, alike: nothing depends on which is read.
  const std::string same = docxtest::documentXml("<w:p/>");
  EXPECT_NO_THROW(word::read::readDocx(
      docxtest::zip({{"word/document.xml", same}, {"word/document.xml", same}})));
}

TEST(DocxBadInput, DamagedSidePartsDoNotStopTheText) {
  word::Model m = docxtest::read(
      "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr>"
      "<w:pStyle w:val=\"X\"/></w:pPr><w:r><w:t>text</w:t></w:r></w:p>",
      {{"word/styles.xml", "<w:styles><w:style w:styleId="},
       {"word/numbering.xml", "\x01\x02 not xml"}});
  EXPECT_EQ(docxtest::text(m), "text\r\n");
}

TEST(DocxBadInput, TruncationsAndFlippedBytesNeverCrash) {
  std::string good = simpleDocx(
      "<w:p><w:r><w:t>one</w:t></w:r></w:p><w:tbl><w:tblPr><w:tblBorders><w:top w:val=\"single\" "
      "w:sz=\"4\" w:color=\"FF0000\"/></w:tblBorders></w:tblPr><w:tr><w:tc><w:tcPr><w:tcBorders>"
      "<w:end w:val=\"double\" w:sz=\"6\"/></w:tcBorders></w:tcPr><w:p><w:r><w:t>cell</w:t></w:r>"
      "</w:p></w:tc></w:tr></w:tbl><w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r></w:p>");
  ASSERT_TRUE(opensOrFails(good));
  size_t opened = 0;
  for (size_t cut = 0; cut < good.size(); cut += 7)
    opened += opensOrFails(good.substr(0, cut)) ? 1 : 0;
  EXPECT_GT(opened, 0u);  // the failures say why; every cut is survived
  std::mt19937 rng(4);
  for (int i = 0; i < 400; ++i) {
    std::string bad = good;
    for (int k = 0; k < 4; ++k) bad[rng() % bad.size()] = static_cast<char>(rng());
    opensOrFails(bad);
  }
}

// Border values no word processor writes still give a cell its borders.
TEST(DocxBadInput, DamagedBordersGiveLinesWithinBounds) {
  using word::LineStyle;
  const struct {
    const char* attrs;
    word::Border top;
  } cases[] = {
      {"w:val=\"apples\" w:sz=\"-5\"", {LineStyle::Single, 0, 0, word::kAutoColor}},
      {"w:val=\"single\" w:sz=\"99999999999999999999\" w:color=\"12\"",
       {LineStyle::Single, word::kMaxBorderWidth, 0, word::kAutoColor}},
      {"w:val=\"dotted\" w:sz=\"4x\" w:color=\"00FF00FF\"",
       {LineStyle::Dotted, 4, 0, word::kAutoColor}},
      {"w:sz=\"8\"", {LineStyle::None, 0, 0, word::kAutoColor}},
      {"w:val=\"thinThickThinLargeGap\" w:sz=\"500\" w:color=\"auto\"",
       {LineStyle::Double, word::kMaxBorderWidth, 0, word::kAutoColor}},
  };
  for (const auto& c : cases) {
    const word::Model m = docxtest::read(
        std::string("<w:tbl><w:tr><w:tc><w:tcPr><w:tcBorders><w:top ") + c.attrs +
        "/><w:bottom/><w:left/><w:right/><w:insideH/><w:bogus w:val=\"single\"/></w:tcBorders>"
        "</w:tcPr><w:p/></w:tc></w:tr></w:tbl>");
    ASSERT_EQ(m.main.tables.size(), 1u) << c.attrs;
    const word::CellBorders& b = m.main.tables[0].rows[0].cells[0].borders;
    EXPECT_EQ(b.top, c.top) << c.attrs;
    EXPECT_EQ(b.bottom.style, LineStyle::None) << c.attrs;
  }
}

TEST(DocxBadInput, EntitiesAreNeverExpandedOrFetched) {
  std::string doc =
      "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY xxe SYSTEM \"file:///etc/passwd\">"
      "<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]><w:document " +
      std::string(docxtest::kNs) +
      "><w:body><w:p><w:r><w:t>[&xxe;][&c;]</w:t></w:r></w:p></w:body></w:document>";
  word::Model m = word::read::readDocx(docxtest::zip({{"word/document.xml", doc}}));
  std::string t = docxtest::text(m);
  EXPECT_EQ(t.find("root:"), std::string::npos);
  EXPECT_EQ(t.find("aaaaaaaaaa"), std::string::npos);
  EXPECT_LT(t.size(), 40u);
}

TEST(DocxBadInput, ZipBombsAreRefused) {
  // A part that claims to inflate to 3 GB is refused before inflating.
  std::string bomb = docxtest::zip({{"word/document.xml", docxtest::documentXml("")}});
  size_t central = bomb.find("PK\x01\x02");
  ASSERT_NE(central, std::string::npos);
  bomb.replace(central + 24, 4, "\x00\x00\x00\xB0", 4);
  std::string why = fails(bomb);
  EXPECT_NE(why.find("zip bomb"), std::string::npos) << why;
  // Small parts can still explode in memory once parsed: millions of empty
  // paragraphs are refused before parsing.
  std::string paragraphs;
  paragraphs.reserve(4'100'000 * 6);
  for (int i = 0; i < 4'100'000; ++i) paragraphs += "<w:p/>";
  why = fails(simpleDocx(paragraphs));
  EXPECT_NE(why.find("million XML elements"), std::string::npos) << why;
  // One long link or font name over thousands of runs, each run a copy of
  // it: a link longer than any address is not kept, a font's name is cut,
  // and the model refuses runs whose copies pass its budget.
  const std::string huge(100'000, 'a');
  std::string runs;
  for (int i = 0; i < 400; ++i)
    runs += "<w:r><w:rPr><w:b/><w:rFonts w:ascii=\"" + huge +
            "\"/></w:rPr><w:t>a</w:t></w:r><w:r><w:t>b</w:t></w:r>";
  const word::Model m = word::read::readDocx(docxtest::build(
      {docxtest::documentXml("<w:p><w:hyperlink r:id=\"rL\">" + runs + "</w:hyperlink></w:p>"),
       {},
       docxtest::relationship("rL", "hyperlink", "http://example.com/" + huge, true)}));
  for (const word::Run& run : m.main.runs) {
    EXPECT_TRUE(run.format.hyperlink.empty());
    EXPECT_LE(run.format.font.size(), 128u);
  }
  word::Builder b;
  word::CharFormat plain, bold;
  plain.hyperlink = bold.hyperlink = std::u16string(100'000, u'a');
  bold.bold = true;
  try {
    for (int i = 0; i < 400; ++i) {
      b.text(std::u16string_view(u"a"), bold);
      b.text(std::u16string_view(u"b"), plain);
    }
    ADD_FAILURE() << "the runs' copies were kept";
  } catch (const word::Error& e) {
    EXPECT_NE(e.description().find("too large"), std::string::npos) << e.description();
  }
  // A style's id of megabytes, looked up for every run, is cut where it is
  // defined and where it is named alike; its name is cut for the pages.
  const word::Model styled = word::read::readDocx(docxtest::build(
      {docxtest::documentXml("<w:p><w:pPr><w:pStyle w:val=\"" + huge +
                             "\"/></w:pPr><w:r><w:t>x</w:t></w:r></w:p>"),
       {{"word/styles.xml", docxtest::part("styles", "<w:style w:type=\"paragraph\" w:styleId=\"" +
                                                         huge + "\"><w:name w:val=\"" + huge +
                                                         "\"/><w:rPr><w:b/></w:rPr></w:style>")}},
       {}}));
  EXPECT_TRUE(styled.main.runs[0].format.bold);
  EXPECT_EQ(
      styled.styles.at(static_cast<size_t>(styled.main.paragraphs[0].format.style)).name.size(),
      128u);
}

TEST(DocxBadInput, PackageCapsEachPartAndTheTotal) {
  std::string bytes = docxtest::zip({{"a.xml", std::string(3000, 'x')},
                                     {"b.xml", std::string(3000, 'y')},
                                     {"c.xml", std::string(100, 'z')}});
  word::read::Limits limits;
  limits.perPart = 4000;
  limits.total = 6500;
  word::read::Package pkg(bytes, limits);
  EXPECT_EQ(pkg.read("a.xml")->size(), 3000u);
  EXPECT_EQ(pkg.read("/B.XML")->size(), 3000u);  // names are case-insensitive
  EXPECT_FALSE(pkg.read("missing.xml"));
  EXPECT_THROW(pkg.read("a.xml"), word::Error);  // the total would pass 6500
  limits.perPart = 2000;
  word::read::Package small(bytes, limits);
  EXPECT_THROW(small.read("b.xml"), word::Error);
  EXPECT_EQ(small.read("c.xml")->size(), 100u);
}

TEST(DocxBadInput, RelationshipTargetsStayInsideThePackage) {
  using word::read::Package;
  EXPECT_EQ(Package::resolve("word/document.xml", "media/a%20b.png"), "word/media/a b.png");
  EXPECT_EQ(Package::resolve("word/document.xml", "../../../../etc/passwd"), "etc/passwd");
  EXPECT_EQ(Package::resolve("word/document.xml", "/word/x.xml#frag"), "word/x.xml");
  EXPECT_EQ(Package::relsOf("word/document.xml"), "word/_rels/document.xml.rels");
}

// A part is read as one story: a header or footer that names the main part
// or the notes' adds none of their text to the headers' lines, and a
// header named twice adds its own once.
TEST(DocxBadInput, APartIsReadAsOneStoryOnly) {
  using docxtest::p;
  using docxtest::r;
  using docxtest::relationship;
  const std::string body = p(r("body") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>");
  const std::map<std::string, std::string> parts = {
      {"word/footnotes.xml",
       docxtest::part("footnotes", "<w:footnote w:id=\"1\">" + p(r("note")) + "</w:footnote>")},
      {"word/header1.xml", docxtest::part("hdr", p(r("head")))}};
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {relationship("h1", "header", "document.xml"), {}},
      {relationship("h1", "footer", "../WORD/./Document.xml"), {}},
      {relationship("h1", "header", "footnotes.xml"), {}},
      {relationship("h1", "header", "header1.xml") + relationship("h2", "footer", "header1.xml"),
       {"head"}},
  };
  for (const auto& [rels, lines] : cases) {
    SCOPED_TRACE(rels);
    const word::Model m = docxtest::read(body, parts, rels);
    std::vector<std::string> read;
    for (const std::u16string& line : m.headerFooterLines) read.push_back(support::toUtf8(line));
    EXPECT_EQ(read, lines);
    EXPECT_EQ(docxtest::text(m).substr(0, 4), "body");
  }
}

TEST(DocxBadInput, AbsurdNestingIsSurvived) {
  std::string deep;
  for (int i = 0; i < 50000; ++i) deep += "<w:sdt><w:sdtContent>";
  deep += "<w:p><w:r><w:t>deep</w:t></w:r></w:p>";
  for (int i = 0; i < 50000; ++i) deep += "</w:sdtContent></w:sdt>";
  EXPECT_TRUE(opensOrFails(simpleDocx(deep + "<w:p><w:r><w:t>after</w:t></w:r></w:p>")));

  std::string tables;
  for (int i = 0; i < 40; ++i) tables += "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>t</w:t></w:r></w:p>";
  for (int i = 0; i < 40; ++i) tables += "</w:tc></w:tr></w:tbl>";
  word::Model m = word::read::readDocx(simpleDocx(tables));
  ASSERT_FALSE(m.main.tables.empty());
  int deepest = 0;
  for (const auto& t : m.main.tables) deepest = std::max<int>(deepest, t.depth);
  EXPECT_LE(deepest, 16);
  EXPECT_EQ(std::count(m.main.text.begin(), m.main.text.end(), u't'), 40);  // no text lost

  // Bookmarks all open before any ends (ends in the order of the starts).
  std::string marks = "<w:p>";
  for (int i = 0; i < 200000; ++i)
    marks += "<w:bookmarkStart w:id=\"" + std::to_string(i) + "\" w:name=\"b" + std::to_string(i) +
             "\"/>";
  for (int i = 0; i < 200000; ++i) marks += "<w:bookmarkEnd w:id=\"" + std::to_string(i) + "\"/>";
  m = word::read::readDocx(simpleDocx(marks + "<w:r><w:t>x</w:t></w:r></w:p>"));
  EXPECT_EQ(m.main.bookmarks.size(), 256u);

  std::string fields;
  for (int i = 0; i < 5000; ++i) fields += "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>";
  EXPECT_TRUE(opensOrFails(simpleDocx("<w:p>" + fields + "<w:r><w:t>x</w:t></w:r></w:p>")));
}

}  // namespace
