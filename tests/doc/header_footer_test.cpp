// The page headers' and footers' paragraphs, which lint looks at for
// markers, in each format: as the word processor shows them (a field's
// result, not its code; not what a tracked change deleted), and none of
// the main text's.
#include <gtest/gtest.h>

#include "../docx/docx_fixture.h"
#include "../odt/odt_fixture.h"
#include "synthetic_doc.h"
#include "word/read/reader.h"

namespace {

const std::vector<std::u16string> kShown{u"%H2=Intro", u"Page 7"};

TEST(HeadersAndFooters, TheirLinesAreReadAsShownInEachFormat) {
  doctest::SyntheticDoc d;
  d.text = u"Body text.\r";
  d.headers =
      u"%H2=Intro\r\rPage \x13 PAGE \x14"
      u"7\x15\r\r";
  EXPECT_EQ(word::read::readDoc(d.build()).headerFooterLines, kShown);

  using docxtest::p;
  using docxtest::r;
  auto fieldChar = [](const char* type) {
    return std::string("<w:r><w:fldChar w:fldCharType=\"") + type + "\"/></w:r>";
  };
  const std::string page = fieldChar("begin") + "<w:r><w:instrText> PAGE </w:instrText></w:r>" +
                           fieldChar("separate") + r("7") + fieldChar("end");
  const std::string deleted = "<w:del><w:r><w:delText>Old </w:delText></w:r></w:del>";
  const word::Model docx =
      docxtest::read(p(r("Body text.")),
                     {{"word/header1.xml", docxtest::part("hdr", p(deleted + r("%H2=Intro")))},
                      {"word/footer1.xml", docxtest::part("ftr", p(r("Page ") + page))}},
                     docxtest::relationship("r1", "header", "header1.xml") +
                         docxtest::relationship("r2", "footer", "footer1.xml"));
  EXPECT_EQ(docx.headerFooterLines, kShown);

  odttest::Parts parts;
  parts.body = "<text:p>Body text.</text:p>";
  std::string flat = odttest::flat(parts);
  flat.insert(flat.find("<office:body>"),
              "<office:master-styles><style:master-page style:name=\"Standard\"><style:header>"
              "<text:p>%H2=<text:span>Intro</text:span></text:p></style:header><style:footer>"
              "<text:p>Page<text:s/><text:page-number>7</text:page-number></text:p>"
              "</style:footer></style:master-page></office:master-styles>");
  EXPECT_EQ(word::read::readOdt(flat).headerFooterLines, kShown);
}

}  // namespace
