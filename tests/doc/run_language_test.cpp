// The language a run of text is marked with, in each format, carried to
// the page: text in a language other than the document's is read in its
// own (a screen reader's voice, hyphenation, quotes).
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>

#include "../docx/docx_fixture.h"
#include "../odt/odt_fixture.h"
#include "synthetic_doc.h"
#include "word/builder.h"
#include "word/read/reader.h"
#include "word/story_ops.h"
#include "word/write/writers.h"

namespace {

// Each span the page marks with a language, as "lang:text;".
std::string marked(const word::Model& m) {
  const std::string page = word::write::html(m, "p_files", u"t").text;
  static const std::regex span("<span lang=\"([^\"]+)\"[^>]*>(?:<[a-z][^>]*>)*([^<]*)");
  std::string out;
  for (std::sregex_iterator it(page.begin(), page.end(), span), end; it != end; ++it)
    out += (*it)[1].str() + ":" + (*it)[2].str() + ";";
  return out;
}

// As a page is made: the whole text of `from` pasted at the start of `into`.
word::Model pasted(word::Model into, const word::Model& from) {
  word::ops::insert(into, 0, word::ops::copyRange(from, 0, from.main.text.size()));
  return into;
}

word::Model docx() {
  const auto r = [](const std::string& text, const std::string& rPr = {}) {
    return "<w:r><w:rPr>" + rPr + "</w:rPr><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
  };
  const auto lang = [](const std::string& tag) { return "<w:lang w:val=\"" + tag + "\"/>"; };
  const std::string styles = docxtest::part(
      "styles",
      "<w:docDefaults><w:rPrDefault><w:rPr>" + lang("ru-RU") +
          "</w:rPr></w:rPrDefault></w:docDefaults>"
          "<w:style w:type=\"paragraph\" w:styleId=\"Fr\"><w:name w:val=\"French\"/><w:rPr>" +
          lang("fr-FR") +
          "</w:rPr></w:style><w:style w:type=\"character\" w:styleId=\"De\">"
          "<w:name w:val=\"German\"/><w:rPr>" +
          lang("de-DE") + "</w:rPr></w:style>");
  return docxtest::read(
      "<w:p>" + r("Это длинный русский абзац о курсе, ") + r("Hello ", lang("en-US")) +
          r("world", lang("en-US")) + r(" и ещё текст.") +
          "</w:p><w:p><w:pPr><w:pStyle w:val=\"Fr\"/></w:pPr>" + r("Bonjour") + "</w:p><w:p>" +
          r("Привет, ") + r("Guten Tag", "<w:rStyle w:val=\"De\"/>") + r(", ", lang("en-GB")) +
          r("тоже", lang("en-US")) +  // a template's mark, which its letters belie
          r("nichts", lang("x-none")) + r(" и ") + r("свой", lang("ru-RU")) +
          r("שלום", "<w:rtl/><w:lang w:val=\"en-US\" w:bidi=\"he-IL\"/>") + "</w:p>",
      {{"word/styles.xml", styles}});
}

word::Model doc() {
  doctest::SyntheticDoc d;
  d.text = u"Это длинный русский абзац о курсе, Hello world и ещё.\rBonjour\rGuten Tag, nichts\r";
  const auto lid = [](uint16_t sprm, uint16_t id) { return doctest::sprm16(sprm, id); };
  d.styles = {{u"Normal", "", lid(0x4873, 0x0419)}, {u"French", "", lid(0x4873, 0x040C)}};
  d.paragraphs = {{"", 0}, {"", 1}, {"", 0}};
  d.charRuns = {{35, 46, lid(0x4873, 0x0409)},   // Hello world
                {62, 71, lid(0x486D, 0x0407)},   // Guten Tag, in the older sprm
                {73, 79, lid(0x4873, 0x0400)}};  // nichts: no proofing
  return word::read::readDoc(d.build());
}

word::Model odt() {
  const auto text = [](const std::string& language, const std::string& country) {
    return "<style:text-properties fo:language=\"" + language + "\" fo:country=\"" + country +
           "\"/>";
  };
  odttest::Parts p;
  p.common = "<style:default-style style:family=\"paragraph\">" + text("ru", "RU") +
             "</style:default-style>" + odttest::style("Fr", "paragraph", text("fr", "FR")) +
             odttest::style("De", "text", text("de", "DE")) +
             odttest::style("Z", "text", text("zxx", "none"));
  p.automatic = odttest::style("T1", "text", text("en", "US"));
  // French first: the document numbers its languages unlike the others.
  p.body =
      "<text:p text:style-name=\"Fr\">Bonjour <text:span text:style-name=\"Z\">zzz</text:span>"
      "</text:p><text:p>Это длинный русский абзац о курсе, <text:span text:style-name=\"T1\">"
      "Hello world</text:span> и ещё.</text:p><text:p>Привет, <text:span "
      "text:style-name=\"De\">Guten Tag</text:span></text:p>";
  return odttest::read(p);
}

TEST(RunLanguage, SpansInAnotherLanguageThanTheDocumentsAreMarked) {
  const struct {
    const char* format;
    std::function<word::Model()> read;
    const char* spans;
  } rows[] = {
      {"docx", docx, "en-US:Hello world;fr-FR:Bonjour;de-DE:Guten Tag;he-IL:שלום;"},
      {"doc", doc, "en-US:Hello world;fr-FR:Bonjour;de-DE:Guten Tag;"},
      {"odt", odt, "fr-FR:Bonjour ;en-US:Hello world;de-DE:Guten Tag;"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.format);
    const word::Model m = r.read();
    EXPECT_EQ(m.language, "ru-RU");
    EXPECT_EQ(marked(m), r.spans);
    // A page is the text pasted into a new document.
    EXPECT_EQ(marked(pasted(word::Builder().finish(), m)), r.spans);
  }
  // Pasted into a document that numbers its languages otherwise.
  const word::Model both = pasted(odt(), docx());
  EXPECT_EQ(marked(both),
            "en-US:Hello world;fr-FR:Bonjour;de-DE:Guten Tag;he-IL:שלום;"
            "fr-FR:Bonjour ;en-US:Hello world;de-DE:Guten Tag;");
}

// A run marks its Chinese, Japanese and Korean letters and its complex
// ones (Arabic, Hebrew, Thai ...) each with a language of its own; the
// page is in the document's language.
TEST(RunLanguage, EachKindOfLettersTakesItsRunsLanguageForIt) {
  const std::string russian = "Это длинный русский абзац о курсе и ещё немного текста.";
  const std::string mixed = "Hello 中文 مرحبا";
  const auto docx = [&] {
    return docxtest::read(
        "<w:p><w:r><w:rPr><w:lang w:val=\"ru-RU\"/></w:rPr><w:t>" + russian +
        "</w:t></w:r></w:p><w:p><w:r><w:rPr><w:lang w:val=\"en-US\" w:eastAsia=\"zh-CN\" "
        "w:bidi=\"ar-SA\"/></w:rPr><w:t xml:space=\"preserve\">" +
        mixed + "</w:t></w:r></w:p>");
  };
  const auto doc = [&] {
    doctest::SyntheticDoc d;
    d.text = word::u16(russian + "\r" + mixed + "\r");
    d.styles = {{u"Normal", "", doctest::sprm16(0x4873, 0x0419)}};
    d.paragraphs = {{"", 0}, {"", 0}};
    const uint32_t at = static_cast<uint32_t>(word::u16(russian).size()) + 1;
    d.charRuns = {{at, at + 14,
                   doctest::sprm16(0x4873, 0x0409) + doctest::sprm16(0x4874, 0x0804) +
                       doctest::sprm16(0x485F, 0x0401)}};
    return word::read::readDoc(d.build());
  };
  const auto odt = [&] {
    odttest::Parts p;
    p.common =
        "<style:default-style style:family=\"paragraph\"><style:text-properties "
        "fo:language=\"ru\" fo:country=\"RU\"/></style:default-style>";
    p.automatic = odttest::style("T1", "text",
                                 "<style:text-properties fo:language=\"en\" fo:country=\"US\" "
                                 "style:language-asian=\"zh\" style:country-asian=\"CN\" "
                                 "style:language-complex=\"ar\" style:country-complex=\"SA\"/>");
    p.body = "<text:p>" + russian + "</text:p><text:p><text:span text:style-name=\"T1\">" + mixed +
             "</text:span></text:p>";
    return odttest::read(p);
  };
  for (const auto& [format, read] :
       std::initializer_list<std::pair<const char*, std::function<word::Model()>>>{
           {"docx", docx}, {"doc", doc}, {"odt", odt}}) {
    SCOPED_TRACE(format);
    const word::Model m = read();
    EXPECT_EQ(marked(m), "en-US:Hello ;zh-CN:中文 ;ar-SA:مرحبا;");
    const std::string page = word::write::html(pasted(word::Builder().finish(), m), "p", u"t").text;
    EXPECT_NE(page.find("<html lang=\"ru-RU\">"), std::string::npos);
  }
}

// Russian text in a template that marks everything English: the page is
// Russian, and English words are marked English (and Latin words of
// accented letters alone), of their own run or in a run of both; not digits alone, nor a word holding a course's "%"
// marker, whose mark would hide the marker from the page's rewriting.
TEST(RunLanguage, EnglishWordsOfARussianTextInAnEnglishTemplate) {
  const std::string styles = docxtest::part(
      "styles",
      "<w:docDefaults><w:rPrDefault><w:rPr><w:lang w:val=\"en-US\"/></w:rPr></w:rPrDefault>"
      "</w:docDefaults>");
  const word::Model m = word::read::loadBytes(docxtest::build(
      {docxtest::documentXml(
           "<w:p><w:r><w:t xml:space=\"preserve\">Курс посвящён основам работы с данными, à la "
           "carte, и языку </w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>SQL</w:t></w:r><w:r><w:t "
           "xml:space=\"preserve\">. Для практики берите PostgreSQL </w:t></w:r><w:r><w:rPr>"
           "<w:b/></w:rPr><w:t>2024</w:t></w:r><w:r><w:t>.</w:t></w:r></w:p>"
           "<w:p><w:r><w:rPr><w:lang w:val=\"ru-RU\"/></w:rPr><w:t xml:space=\"preserve\">См. "
           "%</w:t></w:r><w:r><w:t xml:space=\"preserve\">A=101 </w:t></w:r><w:r><w:rPr>"
           "<w:lang w:val=\"ru-RU\"/></w:rPr><w:t>раздел%</w:t></w:r><w:r><w:t>A# и "
           "%A=102 Intro%A#</w:t></w:r>"
           "</w:p>"),
       {{"word/styles.xml", styles}},
       {}}));
  EXPECT_EQ(marked(m), "en-US:à la carte,;en-US:SQL;en-US:PostgreSQL ;");
  const std::string page = word::write::html(m, "p", u"t").text;
  EXPECT_NE(page.find("<html lang=\"ru\">"), std::string::npos);
  for (const char* marker : {"%A=101 раздел%A#", "%A=102 Intro%A#"})
    EXPECT_NE(page.find(marker), std::string::npos) << marker;
}

}  // namespace
