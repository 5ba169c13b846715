// The language of a document: what its text is marked with (read from .doc
// and .docx), and what the facade makes of it with the script of its
// letters, which sets the course's language.
#include <gtest/gtest.h>

#include <string>

#include "../docx/docx_fixture.h"
#include "word/application.h"
#include "word/engine.h"
#include "word/read/languages.h"

namespace {

using word::read::canonicalTag;
using word::read::languageTag;
using word::read::textLanguage;

TEST(Language, TagsFromWindowsIdentifiersAndAsDocumentsSpellThem) {
  EXPECT_EQ(languageTag(0x0419), "ru-RU");
  EXPECT_EQ(languageTag(0x0409), "en-US");
  EXPECT_EQ(languageTag(0x0809), "en-GB");
  EXPECT_EQ(languageTag(0x0000), "");
  EXPECT_EQ(languageTag(0x0400), "");  // no proofing
  EXPECT_EQ(canonicalTag("en_us"), "en-US");
  EXPECT_EQ(canonicalTag("ru-RU"), "ru-RU");
  for (const char* none : {"", "x-none", "und", "not a tag", "ru-RU\"><script>"})
    EXPECT_EQ(canonicalTag(none), "") << none;
}

TEST(Language, TheMarkedLanguageUnlessTheLettersAreInAnotherScript) {
  const struct {
    const char* marked;
    std::u16string text;
    const char* language;
  } rows[] = {
      {"en-GB", u"Keep the floor dry.", "en-GB"},
      {"uk-UA", u"Тримайте підлогу сухою.", "uk-UA"},
      {"en-US", u"Курс посвящён основам работы с данными, see SQL.", "ru"},  // a template's mark
      {"ru-RU", u"Keep the floor dry, пожалуйста.", "en"},
      {"", u"Καλημέρα σας", "el"},
      {"", u"Keep it dry", "en"},
      {"de-DE", u"1234 — 5678", "de-DE"},       // no letters: the mark stands
      {"ja-JP", u"日本語の文章です", "ja-JP"},  // kana and Chinese characters are Japanese
      {"ko-KR", u"한국어 문장", "ko-KR"},
      {"", u"12 + 3", ""},
      {"", u"A\uA041\uA041A\uA041", "ii"},      // letters of two scripts 4096 code points apart
      {"", u"\U00010330\U00010331 ab", "got"},  // beyond the 16-bit range
  };
  for (const auto& r : rows) EXPECT_EQ(textLanguage(r.marked, r.text), r.language) << r.marked;
}

// A run's language comes from its own marks, its paragraph's style and the
// document defaults, in that order.
TEST(Language, DocxTextIsCountedByTheLanguageItIsMarkedWith) {
  const std::string styles = docxtest::part(
      "styles",
      "<w:docDefaults><w:rPrDefault><w:rPr><w:lang w:val=\"en-US\"/></w:rPr></w:rPrDefault>"
      "</w:docDefaults>"
      "<w:style w:type=\"paragraph\" w:styleId=\"De\"><w:name w:val=\"German\"/>"
      "<w:rPr><w:lang w:val=\"de-DE\"/></w:rPr></w:style>");
  const auto run = [](const std::string& text, const std::string& lang = {}) {
    return "<w:r>" + (lang.empty() ? "" : "<w:rPr><w:lang w:val=\"" + lang + "\"/></w:rPr>") +
           "<w:t>" + text + "</w:t></w:r>";
  };
  const auto para = [](const std::string& runs, const std::string& style = {}) {
    return "<w:p>" + (style.empty() ? "" : "<w:pPr><w:pStyle w:val=\"" + style + "\"/></w:pPr>") +
           runs + "</w:p>";
  };
  const word::Model defaults = docxtest::read(para(run("short")), {{"word/styles.xml", styles}});
  EXPECT_EQ(defaults.language, "en-US");
  const word::Model german =
      docxtest::read(para(run("Ein langer deutscher Absatz")) +
                         para(run("Guten Tag, liebe Leute"), "De") + para(run("Schluss", "x-none")),
                     {{"word/styles.xml", styles}});
  EXPECT_EQ(german.language, "en-US");  // the style's paragraph is the shorter
  const word::Model russian = docxtest::read(
      para(run("Короткий") + run("Длинный русский абзац", "ru-RU")) + para(run("Tag"), "De"),
      {{"word/styles.xml", styles}});
  EXPECT_EQ(russian.language, "ru-RU");
  EXPECT_EQ(docxtest::read(para(run("no marks anywhere"))).language, "");
}

// The sample courses: Russian text that the template left marked en-US is
// a Russian course; a document marked en-GB throughout is an English one.
// The document, and so each of its pages, is in that language.
TEST(Language, SampleDocumentsGiveTheirCourseLanguage) {
  const std::string corpus = std::string(RD_TEST_DIR) + "/corpus/";
  const struct {
    const char* file;
    const char* language;
  } rows[] = {
      {"courses/small.doc", "ru"},       {"courses/small.docx", "ru"},
      {"courses/english.docx", "en-GB"}, {"doc/equation.doc", "ru-RU"},
      {"doc/hyperlink.doc", "en"},       {"doc/test-fields.doc", "en-GB"},
      {"docx/FldSimple.docx", "pl-PL"},
  };
  word::Application app;
  for (const auto& r : rows) {
    SCOPED_TRACE(r.file);
    word::Document& doc = app.documents().open(corpus + r.file);
    EXPECT_EQ(word::engine::model(doc).language, r.language);
    EXPECT_EQ(doc.language(), r.language);
  }
}

}  // namespace
