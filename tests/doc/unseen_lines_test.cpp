// The main text's paragraphs that hold hidden or deleted text and a
// percent sign, which lint looks at for markers, in each format: each as
// it reads with that text shown, a CR where a hidden or deleted paragraph
// mark joined two; none for hidden text without a percent sign.
#include <gtest/gtest.h>

#include <tuple>

#include "../docx/docx_fixture.h"
#include "../odt/odt_fixture.h"
#include "synthetic_doc.h"
#include "word/read/reader.h"

namespace {

// The text, hidden, deleted, and the text the paragraph reads as.
using Seen = std::tuple<std::u16string, bool, bool, std::u16string>;

// Between two shown lines: "%H2=Two" hidden whole, "%H2=Three" deleted
// whole, "%H2=" hidden before "Four", and " gone" hidden in a line without
// a percent sign.
const std::vector<Seen> kSeen{{u"%H2=Two\rBody two.", true, false, u"Body two."},
                              {u"%H2=Three\rBody three.", false, true, u"Body three."},
                              {u"%H2=Four", true, false, u"Four"}};
const std::u16string kShown = u"Text one. 5%\rBody two.\rBody three.\rFour\rAll\r";

void expectSeen(const word::Model& m, const char* format) {
  SCOPED_TRACE(format);
  EXPECT_EQ(m.main.text, kShown);
  std::vector<Seen> seen;
  for (const word::Model::UnseenLine& l : m.unseenLines) {
    const size_t end = m.main.text.find(u'\r', l.pos);
    seen.emplace_back(l.text, l.hidden, l.deleted, m.main.text.substr(l.pos, end - l.pos));
    EXPECT_TRUE(l.pos == 0 || m.main.text[l.pos - 1] == u'\r');
  }
  EXPECT_EQ(seen, kSeen);
}

TEST(UnseenLines, AreKeptAsTheyReadWithTheTextShownInEachFormat) {
  doctest::SyntheticDoc d;
  d.text = u"Text one. 5%\r%H2=Two\rBody two.\r%H2=Three\rBody three.\r%H2=Four\rAll gone\r";
  const auto at = [&](const char16_t* s) { return static_cast<uint32_t>(d.text.find(s)); };
  const std::string hidden = doctest::sprm8(0x083C, 1), deleted = doctest::sprm8(0x0800, 1);
  d.charRuns = {{at(u"%H2=Two"), at(u"Body two."), hidden},
                {at(u"%H2=Three"), at(u"Body three."), deleted},
                {at(u"%H2=Four"), at(u"Four\r"), hidden},
                {at(u" gone"), at(u" gone") + 5, hidden}};
  expectSeen(word::read::readDoc(d.build()), ".doc");

  using docxtest::p;
  using docxtest::r;
  const std::string vanish = "<w:vanish/>", del = "<w:del w:id=\"1\" w:author=\"a\"/>";
  expectSeen(
      docxtest::read(
          p(r("Text one. 5%")) + p(r("%H2=Two", vanish), "<w:rPr>" + vanish + "</w:rPr>") +
          p(r("Body two.")) +
          p("<w:del w:id=\"2\" w:author=\"a\"><w:r><w:delText>%H2=Three</w:delText></w:r></w:del>",
            "<w:rPr>" + del + "</w:rPr>") +
          p(r("Body three.")) + p(r("%H2=", vanish) + r("Four")) +
          p(r("All") + r(" gone", vanish))),
      ".docx");

  odttest::Parts parts;
  const auto span = [](const char* s) {
    return std::string("<text:span text:style-name=\"H\">") + s + "</text:span>";
  };
  const auto odtP = [](const std::string& s) { return "<text:p>" + s + "</text:p>"; };
  parts.automatic = odttest::style("H", "text", "<style:text-properties text:display=\"none\"/>");
  parts.body = "<text:tracked-changes><text:changed-region text:id=\"c1\"><text:deletion>"
               "<office:change-info/><text:p>%H2=Three</text:p><text:p/></text:deletion>"
               "</text:changed-region></text:tracked-changes>" +
               odtP("Text one. 5%") + odtP(span("%H2=Two")) + odtP("Body two.") +
               odtP("<text:change text:change-id=\"c1\"/>Body three.") +
               odtP(span("%H2=") + "Four") + odtP("All" + span(" gone"));
  expectSeen(odttest::read(parts), ".odt");
}

}  // namespace
