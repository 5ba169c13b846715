// Reader tests by golden dumps: the model of small corpus documents as
// indented text (word::write::dump). A change in what a reader fills shows
// as a diff of paragraphs, runs, cells and pictures. A golden file is made
// with `raredozud dump DOC > tests/dump/golden/DOC.txt` and read through
// against the document before it is kept.
#include <gtest/gtest.h>

#include <filesystem>

#include "../common/fixtures.h"
#include "word/builder.h"
#include "word/read/reader.h"
#include "word/write/writers.h"

namespace fs = std::filesystem;

namespace {

const fs::path kTests(RD_TEST_DIR);

class GoldenDump : public testing::TestWithParam<std::string> {};

TEST_P(GoldenDump, ReaderFillsTheModelAsBefore) {
  const std::string name = GetParam();
  const std::string format = fs::path(name).extension() == ".doc" ? "doc" : "docx";
  word::Model m = word::read::load((kTests / "corpus" / format / name).string());
  EXPECT_EQ(word::write::dump(m),
            testing_support::readBytes(kTests / "dump/golden" / (name + ".txt")));
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, GoldenDump,
    testing::Values("Lists.doc", "footnote.doc", "hyperlink.doc", "FloatingPictures.doc",
                    "pictures_escher.doc", "innertable.doc", "PngPicture.doc", "table-merges.doc",
                    "Bug51686.doc", "header_image.doc",
                    "cap.stanford.edu_profiles_viewbiosketch_facultyid=4009&name=m_maciver.doc",
                    "bookmarks.docx", "ComplexNumberedLists.docx", "table_footnotes.docx",
                    "WithGIF.docx"),
    [](const auto& info) {
      std::string n = info.param;
      for (char& c : n)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
      return n;
    });

// What the corpus documents above do not show: merges, formatting against
// the style, escapes, a picture without its entry, bookmarks cut short.
TEST(Dump, ShowsMergesFormattingEscapesAndBrokenEntries) {
  word::Builder b;
  word::Style heading;
  heading.name = u"Heading";
  heading.chars.halfPoints = 28;
  heading.chars.color = 0x112233;
  word::ParagraphFormat pf;
  pf.style = b.addStyle(heading);
  pf.outlineLevel = 0;
  b.paragraph(pf);
  b.startBookmark(u"long");
  word::CharFormat hot;
  hot.highlight = 0xFFFF00;
  hot.halfPoints = 28;
  hot.hyperlink = u"http://example.org/?a=\"b\"";
  b.text("say \"hi\"\t\\", hot);
  b.text(std::u16string(u"\x0B and a long tail after the break \U0001F600"));
  b.endBookmark(u"long");
  b.endParagraph();
  b.startTable();
  b.startRow();
  b.startCell(1440, 2, word::VMerge::Restart);
  b.text("a");
  b.startRow();
  b.startCell(1440, 2, word::VMerge::Continue);
  b.endTable();
  word::Model m = b.finish();
  m.main.text[2] = word::kPictureMark;  // a mark with no picture behind it
  EXPECT_EQ(word::write::dump(m),
            "style \"Normal\"\n"
            "style \"Heading\" size=14 color=#112233\n"
            "main\n"
            "  p \"Heading\" heading=1\n"
            "    \"sa\" [picture missing] \" \\\"hi\\\"\\t\\\\\" color=auto highlight=#FFFF00 "
            "link=\"http://example.org/?a=\\\"b\\\"\"\n"
            "    \"\\n and a long tail after the break \U0001F600\" size=default color=auto\n"
            "  table\n"
            "    row\n"
            "      cell width=1440 span=2 vmerge=restart\n"
            "        p \"Normal\"\n"
            "          \"a\"\n"
            "    row\n"
            "      cell width=1440 span=2 vmerge=continue\n"
            "        p \"Normal\"\n"
            "  p \"Normal\"\n"
            "  bookmark \"long\" \"sa\\x01 \\\"hi\\\"\\t\\\\\\n and a long tail af\"...\n");
}

}  // namespace
