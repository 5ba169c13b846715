// Bad input: every failure is a word::Error with a reason, never a crash,
// a hang or unbounded memory; the caps are those of the .docx reader.
#include <gtest/gtest.h>

#include <random>

#include "../common/fixtures.h"
#include "odt_fixture.h"
#include "word/error.h"

namespace {

using odttest::Parts;

// Opens or fails with word::Error; anything else fails the test.
bool opensOrFails(const std::string& bytes) {
  try {
    word::Model m = word::read::readOdt(bytes);
    return !m.main.text.empty() && m.main.text.back() == word::kParagraphMark;
  } catch (const word::Error& e) {
    return !e.description().empty();
  }
}

std::string withBody(const std::string& body) {
  return odttest::package({body, "", ""});
}

std::string encrypted() {
  return testing_support::zipBytes(
      {{"mimetype", odttest::kTextType},
       {"META-INF/manifest.xml",
        odttest::manifest("<manifest:file-entry manifest:full-path=\"content.xml\"><manifest:"
                          "encryption-data manifest:checksum=\"x\"/></manifest:file-entry>")},
       {"content.xml", "\x13\x87 ciphertext"}});
}

TEST(OdtBadInput, EachFailureSaysWhy) {
  const std::string content = odttest::contentXml({"", "", ""});
  const struct {
    std::string bytes;
    int number;
    std::vector<std::string> words;
  } cases[] = {
      {"", word::kCannotOpen, {"empty"}},
      {"PK\x03\x04 and then nothing useful", word::kCannotOpen, {"damaged or truncated"}},
      {encrypted(), word::kPasswordProtected, {"password-protected"}},
      {testing_support::zipBytes({{"mimetype", odttest::kTextType}}),
       word::kCannotOpen,
       {"no content.xml"}},
      {testing_support::zipBytes({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                                  {"content.xml", content}}),
       word::kCannotOpen,
       {"spreadsheet", "not a text document"}},
      {testing_support::zipBytes({{"mimetype", odttest::kTextType},
                                  {"content.xml", content.substr(0, content.size() / 2)}}),
       word::kCannotOpen,
       {"content.xml", "damaged"}},
      {testing_support::withBrokenLocalHeader(
           testing_support::zipBytes({{"mimetype", odttest::kTextType}, {"content.xml", content}}),
           "content.xml"),
       word::kCannotOpen,
       {"content.xml is damaged and cannot be unpacked"}},
      {testing_support::zipBytes(
           {{"mimetype", odttest::kTextType}, {"content.xml", "<office:document-content/>"}}),
       word::kCannotOpen,
       {"no text body"}},
      {"<?xml version=\"1.0\"?><html/>", word::kCannotOpen, {"not an OpenDocument text", "<html>"}},
  };
  for (const auto& c : cases) {
    word::Error e = testing_support::thrown([&] { word::read::readOdt(c.bytes); });
    EXPECT_EQ(e.number(), c.number) << e.description();
    EXPECT_EQ(e.source(), word::kEngineSource);
    for (const std::string& w : c.words)
      EXPECT_NE(e.description().find(w), std::string::npos) << e.description();
  }
  // Detection hands an encrypted package to this reader, which says so.
  EXPECT_EQ(testing_support::thrown([] { word::read::loadBytes(encrypted()); }).number(),
            word::kPasswordProtected);
}

TEST(OdtBadInput, DamagedStylesDoNotStopTheText) {
  std::string bytes = testing_support::zipBytes(
      {{"mimetype", odttest::kTextType},
       {"content.xml",
        odttest::contentXml({"<text:list text:style-name=\"L\"><text:list-item><text:p "
                             "text:style-name=\"X\">text</text:p></text:list-item></text:list>",
                             "<style:style style:name=\"X\" style:family=\"paragraph\" "
                             "style:parent-style-name=\"X\"/>",
                             ""})},
       {"styles.xml", "<office:document-styles><office:styles><style:style"}});
  EXPECT_EQ(odttest::text(word::read::readOdt(bytes)), "text\r\n");
}

// Border values no word processor writes still give a cell its borders.
TEST(OdtBadInput, DamagedBordersGiveLinesWithinBounds) {
  using word::LineStyle;
  const struct {
    const char* value;
    word::Border border;
  } cases[] = {
      {"1e308pt solid #000000", {LineStyle::Single, word::kMaxBorderWidth, 0, 0}},
      {"-5pt wavy #GG0000", {LineStyle::Single, 0, 0, word::kAutoColor}},
      {"#FF0000 2pt", {LineStyle::None, 0, 0, word::kAutoColor}},
      {"  solid   thick ", {LineStyle::Single, 30, 0, word::kAutoColor}},
      {"0.5pt hidden #000000", {LineStyle::None, 0, 0, word::kAutoColor}},
  };
  for (const auto& c : cases) {
    word::Model m = word::read::readOdt(odttest::package(
        {"<table:table><table:table-row><table:table-cell table:style-name=\"B\"><text:p/>"
         "</table:table-cell></table:table-row></table:table>",
         std::string("<style:style style:name=\"B\" style:family=\"table-cell\">"
                     "<style:table-cell-properties fo:border=\"") +
             c.value + "\"/></style:style>",
         ""}));
    ASSERT_EQ(m.main.tables.size(), 1u) << c.value;
    EXPECT_EQ(m.main.tables[0].rows[0].cells[0].borders.left, c.border) << c.value;
  }
}

TEST(OdtBadInput, EntitiesAreNeverExpandedOrFetched) {
  std::string dtd =
      "<?xml version=\"1.0\"?><!DOCTYPE office:document [<!ENTITY xxe SYSTEM "
      "\"file:///etc/passwd\"><!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>";
  std::string flat = odttest::flat({"<text:p>[&xxe;][&b;]</text:p>", "", ""});
  flat.replace(0, flat.find("<office:document"), dtd);
  for (const std::string& bytes :
       {flat,
        testing_support::zipBytes({{"mimetype", odttest::kTextType},
                                   {"content.xml", dtd + flat.substr(flat.find("<office"))}})}) {
    std::string t = odttest::text(word::read::readOdt(bytes));
    EXPECT_EQ(t.find("root:"), std::string::npos);
    EXPECT_EQ(t.find("aaaaaaaaaa"), std::string::npos);
    EXPECT_LT(t.size(), 40u);
  }
}

TEST(OdtBadInput, BombsAreRefusedOrCapped) {
  // A part that claims to inflate to 3 GB is refused before inflating.
  std::string bomb = withBody("");
  size_t central = bomb.find("PK\x01\x02");
  while (bomb.compare(central + 46, 11, "content.xml") != 0)
    central = bomb.find("PK\x01\x02", central + 1);
  bomb.replace(central + 24, 4, "\x00\x00\x00\xB0", 4);
  EXPECT_NE(
      testing_support::thrown([&] { word::read::readOdt(bomb); }).description().find("zip bomb"),
      std::string::npos);
  // Small parts can still explode once parsed: millions of empty
  // paragraphs are refused before parsing, in either form.
  std::string paragraphs;
  for (int i = 0; i < 4'100'000; ++i) paragraphs += "<text:p/>";
  for (const std::string& bytes : {withBody(paragraphs), odttest::flat({paragraphs, "", ""})})
    EXPECT_NE(testing_support::thrown([&] { word::read::readOdt(bytes); })
                  .description()
                  .find("million XML elements"),
              std::string::npos);
  // A few bytes that ask for billions of spaces, cells or rows are capped.
  std::string spaces, cells;
  for (int i = 0; i < 100000; ++i) spaces += "<text:s text:c=\"2000000000\"/>";
  word::Model m = word::read::readOdt(withBody("<text:p>" + spaces + "</text:p>"));
  EXPECT_LT(m.main.text.size(), 20'000'000u);
  m = word::read::readOdt(withBody(
      "<table:table><table:table-row table:number-rows-repeated=\"2000000000\"><table:table-cell "
      "table:number-columns-repeated=\"2000000000\"><text:p>x</text:p></table:table-cell>"
      "</table:table-row></table:table>"));
  EXPECT_LT(m.main.text.size(), 8'000'000u);
  // A row of a megabyte of text, repeated a thousand times, counts its text.
  m = word::read::readOdt(withBody(
      "<table:table><table:table-row table:number-rows-repeated=\"1000\"><table:table-cell>"
      "<text:p>" +
      std::string(1'000'000, 'x') +
      "</text:p></table:table-cell></table:table-row></table:table>"));
  EXPECT_LT(m.main.text.size(), 64'000'000u);
  // A style's name longer than any style's: its display name is cut, and a
  // style named beyond 256 characters is none, for its spans too.
  const std::string longName(300, 'n');
  m = odttest::read({"<text:p text:style-name=\"P\">a<text:span text:style-name=\"" + longName +
                         "\">b</text:span></text:p>",
                     "",
                     "<style:style style:name=\"P\" style:display-name=\"" +
                         std::string(100'000, 'd') +
                         "\" style:family=\"paragraph\"/><style:style style:name=\"" +
                         longName +
                         "\" style:family=\"text\"><style:text-properties "
                         "fo:font-weight=\"bold\"/></style:style>"});
  EXPECT_EQ(m.styles.at(static_cast<size_t>(m.main.paragraphs[0].format.style)).name.size(), 128u);
  EXPECT_FALSE(odttest::formatAt(m.main, 1).bold);
}

TEST(OdtBadInput, AbsurdNestingIsSurvived) {
  const struct {
    const char* open;
    const char* close;
  } nests[] = {{"<text:section>", "</text:section>"},
               {"<text:span>", "</text:span>"},
               {"<text:list><text:list-item>", "</text:list-item></text:list>"},
               {"<draw:g>", "</draw:g>"}};
  for (const auto& n : nests) {
    std::string deep;
    for (int i = 0; i < 50000; ++i) deep += n.open;
    deep += "<text:p>deep</text:p>";
    for (int i = 0; i < 50000; ++i) deep += n.close;
    EXPECT_TRUE(opensOrFails(withBody("<text:p>" + deep + "</text:p>" + deep))) << n.open;
  }
  std::string tables;
  for (int i = 0; i < 40; ++i)
    tables += "<table:table><table:table-row><table:table-cell><text:p>t</text:p>";
  for (int i = 0; i < 40; ++i) tables += "</table:table-cell></table:table-row></table:table>";
  word::Model m = word::read::readOdt(withBody(tables));
  int deepest = 0;
  for (const auto& t : m.main.tables) deepest = std::max<int>(deepest, t.depth);
  EXPECT_EQ(deepest, 16);
  EXPECT_EQ(std::count(m.main.text.begin(), m.main.text.end(), u't'), 40);  // no text lost

  std::string marks = "<text:p>";
  for (int i = 0; i < 200000; ++i)
    marks += "<text:bookmark-start text:name=\"b" + std::to_string(i) + "\"/>";
  for (int i = 0; i < 200000; ++i)
    marks += "<text:bookmark-end text:name=\"b" + std::to_string(i) + "\"/>";
  m = word::read::readOdt(withBody(marks + "x</text:p>"));
  EXPECT_EQ(m.main.bookmarks.size(), 256u);
}

TEST(OdtBadInput, TruncationsAndFlippedBytesNeverCrash) {
  for (const std::string& good :
       {withBody("<text:p>one</text:p><table:table><table:table-row><table:table-cell "
                 "table:number-rows-spanned=\"3\"><text:p>cell</text:p></table:table-cell>"
                 "</table:table-row><table:table-row><table:covered-table-cell/></table:table-row>"
                 "</table:table><text:list><text:list-item><text:p>i</text:p></text:list-item>"
                 "</text:list>"),
        odttest::flat({"<text:p>flat<text:note><text:note-body><text:p>n</text:p>"
                       "</text:note-body></text:note></text:p>",
                       "", ""})}) {
    ASSERT_TRUE(opensOrFails(good));
    for (size_t cut = 0; cut < good.size(); cut += 7)
      EXPECT_TRUE(opensOrFails(good.substr(0, cut)));
    std::mt19937 rng(4);
    for (int i = 0; i < 300; ++i) {
      std::string bad = good;
      for (int k = 0; k < 4; ++k) bad[rng() % bad.size()] = static_cast<char>(rng());
      EXPECT_TRUE(opensOrFails(bad));
    }
  }
}

}  // namespace
