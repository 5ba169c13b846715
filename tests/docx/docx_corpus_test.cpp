// Real documents: the text the reader gives must match what another word
// processor exports for them (whitespace aside), and damaged or hostile
// files must fail with word::Error, never crash.
#include <gtest/gtest.h>

#include "../common/fixtures.h"
#include "../common/reference_text.h"
#include "docx_fixture.h"
#include "support/files.h"
#include "word/error.h"

namespace {

const std::string kDir = std::string(RD_TEST_DIR) + "/corpus/docx";

word::Model load(const std::string& name) {
  return word::read::readDocx(support::readFile(kDir + "/" + name));
}

class ReferenceText : public testing::TestWithParam<std::string> {};

TEST_P(ReferenceText, MatchesTheReferenceExport) {
  word::Model m = load(GetParam());
  std::string expected = support::readFile(kDir + "/reference/" + GetParam() + ".txt");
  EXPECT_EQ(testing_support::comparableText(docxtest::text(m)),
            testing_support::comparableText(expected));
}

INSTANTIATE_TEST_SUITE_P(Corpus, ReferenceText,
                         testing::Values("ComplexNumberedLists.docx", "endnotes.docx",
                                         "table_footnotes.docx", "FieldCodes.docx",
                                         "FldSimple.docx", "bookmarks.docx", "checkboxes.docx",
                                         "smarttag-snippet.docx", "Styles.docx", "WithGIF.docx",
                                         "60316.docx"),
                         [](const auto& info) {
                           std::string n = info.param.substr(0, info.param.find('.'));
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

TEST(CorpusDocx, ListsCountOnAcrossRestartsAndInterruptions) {
  word::Model m = load("ComplexNumberedLists.docx");
  std::vector<std::string> labels;
  for (const auto& p : m.main.paragraphs)
    if (!p.format.listLabel.empty()) labels.push_back(word::u8(p.format.listLabel));
  std::vector<std::string> expected = {"1.", "2.", "a.", "b.",  "c.",  "3.",  "4.",
                                       "1.", "2.", "3.", "10.", "11.", "12.", "13."};
  EXPECT_EQ(labels, expected);
}

TEST(CorpusDocx, TrackedChangesReadAsAccepted) {
  word::Model m = load("delins.docx");
  std::string t = docxtest::text(m);
  // The deleted list item is gone, the text around it stays.
  EXPECT_EQ(t.find("A pendant worn in place of the red spot"), std::string::npos);
  EXPECT_NE(t.find("the subcommentaries of the"), std::string::npos);
}

TEST(CorpusDocx, PicturesCarryTheirBytesAndDisplaySize) {
  word::Model m = load("WithGIF.docx");
  bool gif = false;
  for (const auto& p : m.main.pictures) {
    ASSERT_TRUE(p.data);
    EXPECT_FALSE(p.format.empty());
    EXPECT_GT(p.widthPx, 0);
    EXPECT_GT(p.heightPx, 0);
    EXPECT_EQ(m.main.text[p.pos], word::kPictureMark);
    gif = gif || p.format == "gif";
  }
  EXPECT_TRUE(gif);  // and so there is at least one picture
}

TEST(CorpusDocx, EndnotesBecomeNotesWithRomanLabels) {
  word::Model m = load("endnotes.docx");
  ASSERT_FALSE(m.notes.empty());
  EXPECT_TRUE(m.notes[0].endnote);
  EXPECT_EQ(m.notes[0].label, u"i");
  EXPECT_EQ(m.main.text[m.notes[0].pos], word::kNoteMark);
  EXPECT_FALSE(m.notes[0].body.text.empty());
}

// Files that are damaged, truncated, or crashed other readers, and inputs
// our own fuzzer found: each must open or fail with word::Error.
TEST(CorpusDocx, DamagedFilesFailCleanly) {
  EXPECT_GE(testing_support::readDamagedFiles(kDir, word::read::readDocx), 6u);
}

TEST(CorpusDocx, TruncatedZipSaysSo) {
  word::Error e = testing_support::thrown([] { load("damaged/truncated62886.docx"); });
  EXPECT_EQ(e.number(), word::kCannotOpen);
  EXPECT_NE(e.description().find("damaged or truncated"), std::string::npos) << e.description();
}

}  // namespace
