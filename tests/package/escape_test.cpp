// Title escaping: once when a heading is read, once more for XML content.
#include "package/escape.h"

#include <gtest/gtest.h>

#include "package/scorm.h"
#include "support/strings.h"

using package::escapeText;
using package::xmlContent;

namespace {

struct Case {
  std::u16string in, out;
};

template <class F>
void expectAll(F f, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.in));
    EXPECT_EQ(f(c.in), c.out);
  }
}

}  // namespace

// Apostrophes become backquotes of the same length, angle brackets entities
// in place; ampersands, quotes, breaks and other text pass unchanged.
TEST(EscapeText, ApostrophesAndAngleBracketsChangeTheRestPasses) {
  expectAll(escapeText, {{u"Tom's 'notes'", u"Tom`s `notes`"},
                         {u"a<b>c", u"a&lt;b&gt;c"},
                         {u"'<'", u"`&lt;`"},
                         {u"<<>>", u"&lt;&lt;&gt;&gt;"},
                         {u"R&D \"x\" &lt;\r", u"R&D \"x\" &lt;\r"},
                         {u"", u""},
                         {u"Глава 1", u"Глава 1"}});
}

TEST(XmlContent, BareAmpersandsAndBracketsAreEscapedValidReferencesKept) {
  expectAll(xmlContent, {{u"R&D", u"R&amp;D"},
                         {u"&lt;tag&gt; &amp; &quot; &apos;", u"&lt;tag&gt; &amp; &quot; &apos;"},
                         {u"&#1071; &#x42F;", u"&#1071; &#x42F;"},
                         {u"&", u"&amp;"},
                         {u"&&lt;", u"&amp;&lt;"},
                         {u"<b>Safety</b>", u"&lt;b&gt;Safety&lt;/b&gt;"}});
}

TEST(XmlContent, ReferencesThatXmlRejectsAreEscaped) {
  // Undeclared entities, references to forbidden characters, bad forms.
  expectAll(xmlContent, {{u"&nbsp;", u"&amp;nbsp;"},
                         {u"&#0;", u"&amp;#0;"},
                         {u"&#x1F;", u"&amp;#x1F;"},
                         {u"&#X41;", u"&amp;#X41;"},
                         {u"&#;", u"&amp;#;"},
                         {u"&#65", u"&amp;#65"},
                         {u"&#99999999999;", u"&amp;#99999999999;"},
                         {u"&lt", u"&amp;lt"}});
}

TEST(XmlContent, ForbiddenCharactersAreDroppedAllowedOnesKept) {
  // Controls other than tab, LF and CR, U+FFFE and lone surrogates go; a
  // line, page or column break leaves a blank between the words it parted.
  const std::u16string raw{u'a',  1,  7,      u'\t',  11,   u'\n', 12,
                           u'\r', 14, 0xFFFE, 0xD800, u'b', 0xDC00};
  EXPECT_EQ(xmlContent(raw), u"a\t \n \r b");
  EXPECT_EQ(xmlContent(u"\U0001F600"), u"\U0001F600");  // a pair stays
}

// Whatever bytes it is given, the result is XML text: a folder's name that
// is no UTF-8 became the title of the SCORM and cmi5 manifests, and no LMS
// could read them.
TEST(EscapeXml, MarkupControlsAndWhatXmlDoesNotTakeAreReplaced) {
  const std::pair<std::string, std::string> cases[] = {
      {"a<b>&\"c'", "a&lt;b&gt;&amp;&quot;c'"},
      {"tab\there\x01\x1F.", "tab\there  ."},
      {"caf\xE9\xFF", "caf\uFFFD\uFFFD"},
      {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},  // a surrogate's code
      {"\uFFFEx\uFFFF", "x"},
      {"Курс \U0001F600", "Курс \U0001F600"},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(support::escapeXml(in), out);
  }
}

// SCORM 1.2's schema takes titles of 200 characters: a longer one is cut
// after a whole character (never inside a pair of surrogates or before an
// accent it carries), blanks before the ellipsis dropped.
TEST(ScormTitle, LongerTitlesAreCutAtACharacterWithAnEllipsis) {
  const auto times = [](const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
  };
  const std::pair<std::string, std::string> cases[] = {
      {times("a", 200), times("a", 200)},
      {times("a", 201), times("a", 199) + "…"},
      {times("я", 260), times("я", 199) + "…"},
      {times("a", 198) + "e\xCC\x81" + "bc", times("a", 198) + "…"},  // e + a combining accent
      {times("a", 198) + "\xF0\x9F\x98\x80" + "bc", times("a", 198) + "\xF0\x9F\x98\x80…"},
      {times("a", 190) + times(" ", 20), times("a", 190) + "…"},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(package::scormTitle(in), out);
  }
}
