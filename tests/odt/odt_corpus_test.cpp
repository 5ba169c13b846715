// Real documents: the text the reader gives must match what the word
// processor that saved them exports (whitespace aside), and damaged files
// and inputs the fuzzer found must fail with word::Error, never crash.
#include <gtest/gtest.h>

#include "../common/reference_text.h"
#include "odt_fixture.h"
#include "support/files.h"
#include "word/error.h"

namespace {

const std::string kDir = std::string(RD_TEST_DIR) + "/corpus/odt";

word::Model load(const std::string& name) {
  return word::read::loadBytes(support::readFile(kDir + "/" + name));
}

class ReferenceText : public testing::TestWithParam<std::string> {};

TEST_P(ReferenceText, MatchesTheReferenceExport) {
  // The flat XML form has the reference of the package it was saved from.
  std::string name = GetParam(), stem = name.substr(0, name.rfind('.'));
  std::string expected = support::readFile(kDir + "/reference/" + stem + ".odt.txt");
  EXPECT_EQ(testing_support::comparableText(odttest::text(load(name))),
            testing_support::comparableText(expected));
}

INSTANTIATE_TEST_SUITE_P(Corpus, ReferenceText,
                         testing::Values("ComplexNumberedLists.odt", "endnotes.odt",
                                         "table_footnotes.odt", "FieldCodes.odt", "bookmarks.odt",
                                         "checkboxes.odt", "smarttag-snippet.odt", "Styles.odt",
                                         "WithGIF.odt", "WithGIF.fodt", "60316.odt",
                                         "Bug54771b.odt", "TestTableColumns.odt",
                                         "form_footnotes.odt", "56392.odt"),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

TEST(CorpusOdt, ListsCountOnAcrossRestartsAndInterruptions) {
  std::vector<std::string> expected = {"1.", "2.", "a.", "b.",  "c.",  "3.",  "4.",
                                       "1.", "2.", "3.", "10.", "11.", "12.", "13."};
  EXPECT_EQ(odttest::labels(load("ComplexNumberedLists.odt")), expected);
}

TEST(CorpusOdt, TrackedChangesReadAsAccepted) {
  std::string t = odttest::text(load("delins.odt"));
  // The deleted list item is gone, the text around it stays.
  EXPECT_EQ(t.find("A pendant worn in place of the red spot"), std::string::npos);
  EXPECT_NE(t.find("the subcommentaries of the"), std::string::npos);
}

TEST(CorpusOdt, PicturesCarryBytesSizeAndAltTextInEitherForm) {
  word::Model zipped = load("WithGIF.odt"), flat = load("WithGIF.fodt");
  ASSERT_EQ(zipped.main.pictures.size(), 1u);
  ASSERT_EQ(flat.main.pictures.size(), 1u);
  const word::Picture& p = zipped.main.pictures[0];
  EXPECT_EQ(p.format, "gif");
  EXPECT_GT(p.widthPx, 0);
  EXPECT_GT(p.heightPx, 0);
  EXPECT_NE(p.alt.find(u"Sample.gif"), std::u16string::npos);
  EXPECT_EQ(*p.data, *flat.main.pictures[0].data);
  EXPECT_EQ(zipped.main.text[p.pos], word::kPictureMark);
}

TEST(CorpusOdt, NotesSpansAndLinks) {
  word::Model endnotes = load("endnotes.odt");
  ASSERT_FALSE(endnotes.notes.empty());
  EXPECT_TRUE(endnotes.notes[0].endnote);
  EXPECT_EQ(endnotes.notes[0].label, u"i");

  word::Model form = load("form_footnotes.odt");
  ASSERT_EQ(form.notes.size(), 1u);
  EXPECT_FALSE(form.notes[0].endnote);
  EXPECT_NE(form.notes[0].body.text.find(u"test phrase"), std::u16string::npos);
  size_t wide = 0;
  for (const auto& t : form.main.tables)
    for (const auto& r : t.rows)
      for (const auto& c : r.cells) wide += c.gridSpan == 13 ? 1 : 0;
  EXPECT_GT(wide, 0u);

  word::Model links = load("56392.odt");
  bool mail = false;
  for (const auto& r : links.main.runs)
    mail = mail || r.format.hyperlink == u"mailto:klienti@livetelecom.cz";
  EXPECT_TRUE(mail);
}

// Damaged files and inputs the fuzzer found: each must open or fail with
// word::Error.
TEST(CorpusOdt, DamagedFilesFailCleanly) {
  EXPECT_GE(testing_support::readDamagedFiles(kDir, word::read::readOdt), 3u);
}

}  // namespace
