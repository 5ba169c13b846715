// The list labels the readers share: roman numerals, letters that repeat
// up to one cap, labels no longer than another.
#include "word/read/list_labels.h"

#include <gtest/gtest.h>

#include "word/read/doc/lists.h"
#include "word/read/docx/numbering.h"
#include "word/read/odt/lists.h"

namespace word::read {
namespace {

std::u16string times(size_t n, char16_t c) {
  return std::u16string(n, c);
}

TEST(ListLabels, Letters) {
  const struct {
    int64_t number;
    bool upper;
    std::u16string text;
  } cases[] = {{1, false, u"a"},
               {26, true, u"Z"},
               {27, false, u"aa"},
               {53, true, u"AAA"},
               {1664, false, times(64, u'z')},
               {1665, false, times(64, u'a')},
               {1'000'000, true, times(64, u'N')},
               {0, false, u"0"},
               {-3, true, u"-3"}};
  for (const auto& c : cases) EXPECT_EQ(letters(c.number, c.upper), c.text) << c.number;
}

TEST(ListLabels, Roman) {
  const struct {
    int64_t number;
    bool upper;
    std::u16string text;
  } cases[] = {{1, false, u"i"},
               {3999, true, u"MMMCMXCIX"},
               {4000, false, u"4000"},
               {0, true, u"0"},
               {-5, false, u"-5"}};
  for (const auto& c : cases) EXPECT_EQ(roman(c.number, c.upper), c.text) << c.number;
}

// Marks a document inserts from a symbol font show as the characters they
// are; glyphs not known here, and other fonts' glyphs, stay.
TEST(ListLabels, SymbolFontsShowTheirMarks) {
  std::u16string text = u"\uF0FC\uF0E0\uF096xp\uF0E8J";
  showSymbols(text, u"Wingdings");
  EXPECT_EQ(text, u"\u2714\u27A2\uF096\u2327p\u27A1\u263A");
  // Scissors, a telephone, a star, Gemini, a white arrow, an airplane.
  text = u"\uF022(\uF0AB\uF060\uF0F0Q";
  showSymbols(text, u"Wingdings");
  EXPECT_EQ(text, u"\u2702\u260E\u2605\u264A\u21E8\u2708");
  // Wingdings 2 and Webdings have glyphs of their own at the same codes.
  text = u"\uF0FC\uF050\uF0A3\uF054";
  showSymbols(text, u"Wingdings 2");
  EXPECT_EQ(text, u"\uF0FC\u2713\u2610\u2612");
  text = u"\uF034\uF0FC";
  showSymbols(text, u"Webdings");
  EXPECT_EQ(text, u"\u25B6\uF0FC");
  EXPECT_EQ(mapSymbolChar(0xF096, "Wingdings"), u'\u2022');  // a bullet still shows as one
  EXPECT_EQ(mapSymbolChar(0xF050, "Wingdings 2"), u'\u2713');
  EXPECT_EQ(mapSymbolChar(0xF0FC, "Wingdings 3"), u'\u2022');
}

TEST(ListLabels, BothReadersStopLettersAtTheSameCap) {
  EXPECT_EQ(doc::formatNumber(1665, 4), times(kMaxLetterRepeat, u'a'));
  EXPECT_EQ(docx::formatNumber(1665, "lowerLetter"), times(kMaxLetterRepeat, u'a'));
  EXPECT_EQ(doc::formatNumber(1664, 3), times(kMaxLetterRepeat, u'Z'));
  EXPECT_EQ(docx::formatNumber(1664, "upperLetter"), times(kMaxLetterRepeat, u'Z'));
}

void le(std::string& out, uint32_t v, size_t n) {
  for (size_t i = 0; i < n; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

// A .doc list table of one list of one level (starting at `start`, in
// number format `nfc`, its labels of character properties `chpx` and
// level text `text`) and its override 1.
doc::Lists docLists(uint32_t start, uint8_t nfc, const std::string& chpx,
                    const std::u16string& text) {
  std::string lst;
  le(lst, 1, 2);                    // one list
  le(lst, 7, 4);                    // its id
  lst.append(22, '\0');             // template, styles
  lst += std::string("\x01\0", 2);  // simple: one level
  le(lst, start, 4);
  lst.push_back(static_cast<char>(nfc));
  lst.append(10, '\0');  // number places
  lst.append(9, '\0');   // follower tab, indents
  lst.push_back(static_cast<char>(chpx.size()));
  lst.append(3, '\0');  // no paragraph properties
  lst += chpx;
  le(lst, static_cast<uint32_t>(text.size()), 2);
  for (char16_t c : text) le(lst, c, 2);
  std::string lfo;
  le(lfo, 1, 4);
  le(lfo, 7, 4);
  lfo.append(16, '\0');
  const std::string table = lst + lfo;
  doc::Lists lists;
  lists.read(doc::Bytes(table), 0, static_cast<uint32_t>(lst.size()),
             static_cast<uint32_t>(lst.size()), static_cast<uint32_t>(lfo.size()));
  return lists;
}

// A .doc list level's character properties give its labels their own
// look; "as the style" and "the style's opposite" leave it to the text.
TEST(ListLabels, DocLevelsGiveTheirLabelsALook) {
  const struct {
    std::string chpx;
    LabelLook look;
  } cases[] = {
      {std::string("\x35\x08\x01\x36\x08\x00", 6), {true, false, {}, {}}},
      {std::string("\x35\x08\x80\x36\x08\x81", 6), {}},
      {std::string("\x43\x4A\x1C\x00\x70\x68\xC0\x10\x20\x00", 10), {{}, {}, 28, 0xC01020}},
      {std::string("\x42\x2A\x06\x43\x4A\x00\x00", 7), {{}, {}, {}, 0xFF0000}},
  };
  for (const auto& c : cases) {
    doc::Lists lists = docLists(1, 0, c.chpx, std::u16string(u"\0.", 2));
    const auto label = lists.next(1, 0);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text, u"1.");
    EXPECT_EQ(label->look.bold, c.look.bold);
    EXPECT_EQ(label->look.italic, c.look.italic);
    EXPECT_EQ(label->look.halfPoints, c.look.halfPoints);
    EXPECT_EQ(label->look.color, c.look.color);
  }
}

// A hostile level's text (a thousand numbers, each of 64 letters; a
// prefix of 100,000 characters) gives every reader labels of at most
// kMaxLabelLength, not megabytes an item.
TEST(ListLabels, LabelsStopAtTheirLongest) {
  const uint32_t far = 1u << 24;  // 64 letters
  doc::Lists docs = docLists(far, 4, "", std::u16string(1000, u'\0'));
  EXPECT_EQ(docs.next(1, 0)->text.size(), kMaxLabelLength);

  std::string numbers;
  for (int i = 0; i < 1000; ++i) numbers += "%1";
  pugi::xml_document xml;
  ASSERT_TRUE(xml.load_string(("<numbering><abstractNum abstractNumId=\"0\"><lvl ilvl=\"0\">"
                               "<start val=\"" +
                               std::to_string(far) +
                               "\"/><numFmt val=\"lowerLetter\"/><lvlText val=\"" + numbers +
                               "\"/></lvl></abstractNum><num numId=\"1\"><abstractNumId "
                               "val=\"0\"/></num></numbering>")
                                  .c_str()));
  docx::Numbering docx;
  docx.load(xml.document_element(), {});
  EXPECT_EQ(docx.next("1", 0)->label.size(), kMaxLabelLength);

  odt::Lists::Style style;
  odt::Lists::Level& level = style.levels[0];
  level.prefix = times(100'000, u'x');
  level.format = "1";
  odt::Lists::Counter counter;
  EXPECT_EQ(odt::Lists::count(counter, style, 0, {}).text, times(kMaxLabelLength, u'x'));
  level.pattern = u"";
  for (int i = 0; i < 1000; ++i) *level.pattern += u"%1%";
  level.format = "a";
  level.start = far;
  EXPECT_EQ(odt::Lists::count(counter, style, 0, far).text.size(), kMaxLabelLength);
}

}  // namespace
}  // namespace word::read
