// The builder's structure, the text export and the plain-text reader.
#include <gtest/gtest.h>

#include "support/codepage.h"
#include "word/builder.h"
#include "word/error.h"
#include "word/read/reader.h"
#include "word/write/writers.h"

using word::Builder;
using word::u16;

namespace {

std::string utf8Text(const word::Model& m) {
  return word::write::text(m, word::write::TextEncoding::Utf8);
}

TEST(Builder, TableCellsAndRowsGetMarksAndAFinalParagraph) {
  Builder b;
  b.text("before");
  b.startTable();
  b.startRow();
  b.startCell(1000);
  b.text("a");
  b.startCell(1000, 2);
  b.text("b");
  b.endRow();
  b.endTable();
  word::Model m = b.finish();
  // "before" 13, "a" 7, "b" 7, row 7, then the final paragraph mark that a
  // table at the end of a document needs.
  EXPECT_EQ(m.main.text, u"before\ra\ab\a\a\r");
  ASSERT_EQ(m.main.tables.size(), 1u);
  const word::Table& t = m.main.tables[0];
  EXPECT_EQ(t.start, 7u);
  EXPECT_EQ(t.end, 12u);
  ASSERT_EQ(t.rows.size(), 1u);
  ASSERT_EQ(t.rows[0].cells.size(), 2u);
  EXPECT_EQ(t.rows[0].cells[1].gridSpan, 2);
  EXPECT_EQ(t.rows[0].cells[1].start, 9u);
  EXPECT_EQ(t.rows[0].cells[1].end, 11u);
  // Paragraphs cover the story: before, a, b, the row mark, the final one.
  ASSERT_EQ(m.main.paragraphs.size(), 5u);
  EXPECT_EQ(m.main.paragraphs.back().end, m.main.text.size());
}

TEST(Builder, NestedTableLiesInsideItsCell) {
  Builder b;
  b.startTable();
  b.startCell();
  b.text("outer");
  b.startTable();
  b.startCell();
  b.text("inner");
  b.endTable();
  b.endTable();
  word::Model m = b.finish();
  ASSERT_EQ(m.main.tables.size(), 2u);
  const word::Table& outer = m.main.tables[0];
  const word::Table& inner = m.main.tables[1];
  EXPECT_EQ(outer.depth, 1);
  EXPECT_EQ(inner.depth, 2);
  EXPECT_GT(inner.start, outer.start);
  EXPECT_LT(inner.end, outer.end);
  const word::Cell& cell = outer.rows[0].cells[0];
  EXPECT_LE(cell.start, inner.start);
  EXPECT_LT(inner.end, cell.end);  // the cell's own mark comes after the inner table
}

TEST(Builder, EqualNeighbourRunsMergeAndBookmarksKeepTheirSpan) {
  Builder b;
  word::CharFormat bold;
  bold.bold = true;
  b.text("%A=", bold);
  b.text("12", bold);
  b.startBookmark(u"mark");
  b.text(" plain");
  b.endBookmark(u"mark");
  b.endBookmark(u"never-started");
  word::Model m = b.finish();
  ASSERT_EQ(m.main.runs.size(), 2u);
  EXPECT_EQ(m.main.runs[1].start, 5u);
  ASSERT_EQ(m.main.bookmarks.size(), 1u);
  EXPECT_EQ(m.main.bookmarks[0].start, 5u);
  EXPECT_EQ(m.main.bookmarks[0].end, 11u);
}

TEST(TextExport, CellsAreTabSeparatedAndRowsEndLines) {
  Builder b;
  b.text("head");
  b.endParagraph();
  b.startTable();
  for (int r = 0; r < 2; ++r) {
    b.startRow();
    for (int c = 0; c < 3; ++c) {
      b.startCell();
      b.text(std::string(1, static_cast<char>('a' + r * 3 + c)));
    }
    b.endRow();
  }
  b.endTable();
  b.text("tail");
  EXPECT_EQ(utf8Text(b.finish()), "head\r\na\tb\tc\r\nd\te\tf\r\ntail\r\n");
}

TEST(TextExport, ListLabelsBreaksAndPictures) {
  Builder b;
  word::ParagraphFormat item;
  item.listId = 1;
  item.listOrdered = true;
  item.listLabel = u"1.";
  b.paragraph(item);
  b.text("first");
  b.endParagraph();
  b.text(u"line\u000bbreak");
  b.picture(word::Picture{});
  b.endParagraph();
  EXPECT_EQ(utf8Text(b.finish()), "1.\tfirst\r\nline\r\nbreak\r\n");
}

TEST(TextExport, Windows1251WithNumericReferencesForMissingCharacters) {
  Builder b;
  b.text(u"Тест \u20AC \u4E2D \U0001F600 & <");
  std::string out = word::write::text(b.finish(), word::write::TextEncoding::Windows1251);
  // Cyrillic and the euro sign exist in windows-1251; CJK and emoji do not.
  EXPECT_EQ(out, "\xD2\xE5\xF1\xF2 \x88 &#20013; &#128512; & <\r\n");
}

TEST(Codepage, RoundTripsAndReplacesBadInput) {
  EXPECT_EQ(support::toUtf8(support::fromUtf8("Привет, мир")), "Привет, мир");
  EXPECT_EQ(support::fromUtf8("a\xFFz"), u"a\uFFFDz");
  EXPECT_EQ(support::fromCodePage("\xCF\xF0\xE8", "WINDOWS-1251"), u"При");
  // The last letter a decoder holds back (a vowel sign written before its
  // consonant) comes out at the end.
  EXPECT_EQ(support::toUtf8From("\xA6\xB8", "TSCII"), "கெ");
  EXPECT_EQ(support::toUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  // Unpaired surrogates become U+FFFD; a NUL character is kept, not an end.
  EXPECT_EQ(support::toUtf8(std::u16string{u'a', char16_t{0xD800}, u'b', char16_t{0xDC00}}),
            "a\uFFFDb\uFFFD");
  EXPECT_EQ(support::toUtf8(std::u16string(u"x\0y", 3)), std::string("x\0y", 3));
}

// Long texts are converted a slice at a time: wherever a slice would end,
// no sequence is cut, and ill-formed bytes are replaced as in one piece.
TEST(Codepage, LongTextsKeepEverySequenceWhole) {
  for (size_t n = 4090; n < 4100; ++n) {
    const std::string a(n, 'a');
    const std::u16string u(n, u'a');
    SCOPED_TRACE(n);
    EXPECT_EQ(support::fromUtf8(a + "\xF0\x9F\x98\x80\xD0\xB6\xE2\x82\xAC" + a),
              u + u"\U0001F600\u0436\u20AC" + u);
    EXPECT_EQ(support::toUtf8(u + u"\U0001F600\u0436" + u), a + "\xF0\x9F\x98\x80\xD0\xB6" + a);
    EXPECT_EQ(support::fromUtf8(a + "\xE2\x82" "b\x80\x80\x80\x80\x80"),
              u + u"\uFFFDb" + std::u16string(5, u'\uFFFD'));
  }
}

TEST(TextReader, OneParagraphPerLineWhateverTheLineEnd) {
  word::Model m = word::read::loadBytes("one\r\ntwo\rthree\nfour");
  EXPECT_EQ(m.main.text, u"one\rtwo\rthree\rfour\r");
  EXPECT_EQ(m.main.paragraphs.size(), 4u);
  // A final line end does not add an empty paragraph; a blank line does.
  EXPECT_EQ(word::read::loadBytes("a\n\nb\n").main.text, u"a\r\rb\r");
}

TEST(TextReader, NonUtf8TextIsReadAsCyrillicAnsi) {
  EXPECT_EQ(word::read::loadBytes("\xCF\xF0\xE8\n").main.text, u"При\r");
  EXPECT_EQ(word::read::loadBytes("\xEF\xBB\xBFok").main.text, u"ok\r");
}

TEST(Detection, ByContentNotByName) {
  using word::read::Format;
  EXPECT_EQ(word::read::detect(""), Format::Unknown);
  EXPECT_EQ(word::read::detect("{\\rtf1\\ansi}"), Format::Rtf);
  EXPECT_EQ(word::read::detect("  <!DOCTYPE html><html>"), Format::Html);
  EXPECT_EQ(word::read::detect(std::string("\x7F"
                                           "ELF\0\0\0\x01\x02",
                                           9)),
            Format::Unknown);
  EXPECT_EQ(word::read::detect("%TITLE=Course\n"), Format::Text);
  // A damaged container is not taken for something else.
  EXPECT_EQ(word::read::detect(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1garbage", 15)),
            Format::Damaged);
  // A zip too damaged to open is handed to the reader that can say why.
  EXPECT_EQ(word::read::detect("PK\x03\x04truncated"), Format::Docx);
}

TEST(Load, BadFilesFailWithAClearEngineError) {
  auto description = [](const std::string& bytes) {
    try {
      word::read::loadBytes(bytes);
    } catch (const word::Error& e) {
      EXPECT_EQ(e.number(), word::kCannotOpen);
      EXPECT_EQ(e.source(), word::kEngineSource);
      return e.description();
    }
    return std::string("no error");
  };
  // Each says what to do, besides what is wrong.
  EXPECT_TRUE(description("").starts_with("the file is empty: save the document again"));
  EXPECT_NE(description(std::string("\0\1\2\3", 4)).find("unknown content): open it in the word"),
            std::string::npos);
  // A PDF whose parts are not compressed would read as text.
  EXPECT_NE(description("%PDF-1.4\n1 0 obj\n<< /Type /Catalog >>\nendobj\n%%EOF\n")
                .find("this is a PDF file, not a Word document"),
            std::string::npos);
  EXPECT_NE(description("{\\rtf1}").find("RTF"), std::string::npos);
  EXPECT_NE(description("PK\x03\x04truncated").find("damaged"), std::string::npos);
  try {
    word::read::load("/nonexistent/raredozud/file.doc");
    ADD_FAILURE() << "a missing file opened";
  } catch (const word::Error& e) {
    EXPECT_EQ(e.number(), word::kFileNotFound);
  }
}

}  // namespace
